#include "FakeWindows.h"

#include "app/Application.h"
#include "app/FontDialog.h"
#include "app/ManagerFrm.h"
#include "app/HelpFrm.h"
#include "app/LanguageChoice.h"
#include "app/MainFrm.h"
#include "app/MonitorFrm.h"
#include "data/DMFrm.h"
#include "data/WaitCursor.h"
#include "data/InitialSchema.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "tables/FileDialogs.h"
#include "tables/print/GridPrinter.h"
#include "tables/print/GridPreviewDialog.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "text/StrList.h"

#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTimer>
#include <QGuiApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QSettings>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"), {"create table Scratch (x int)", "drop table Scratch"});
        SqlConnection connection;
        InitialSchema::create(connection); // an older database: no version row yet
    }

    // Shows the window and lets its first showing (settings, schema check) run.
    void showAndSettle(TMainForm& form)
    {
        form.show();
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }

    TempWorkDir dir;
    MessageRecorder messages;
};

TEST_F(MainFormTest, CaptionMenusAndSelectorInRussian)
{
    TMainForm form;
    EXPECT_EQ(form.windowTitle(), "Instrel v2.4");
    QStringList menus;
    for (QAction* a : form.menuBar()->actions())
        menus.append(a->text());
    EXPECT_EQ(menus, QStringList({"Файл", "Вид", "Правка", "Настройка", "Окно", "Справка"}));
    auto* selector = form.findChild<QComboBox*>("sComboTable");
    ASSERT_TRUE(selector);
    QStringList items;
    for (int i = 0; i < selector->count(); ++i)
        items.append(selector->itemText(i));
    EXPECT_EQ(items, QStringList({"Паспорта", "Типы устройств", "Обслуживания", "Отчеты и графики обслуживаний",
                                  "Неисправности", "Затраты на обслуживание", "Справочники", "Менеджер форм"}));
    EXPECT_EQ(form.action("EditCut1")->statusTip(), "Вырезать в буфер");
}

TEST_F(MainFormTest, FirstShowingUpgradesAnOlderDatabaseOnce)
{
    {
        TDM dm;
        TMainForm form;
        showAndSettle(form);
        ASSERT_FALSE(messages.shown().isEmpty());
        EXPECT_TRUE(messages.shown().first().text.startsWith("Текущая версия базы данных версии  будет преобразована "
                                                             "до версии 2.4."));
        EXPECT_EQ(dm.ADOConnection()->scalar("select Info_name from info where id_info = 2;").toString(), "2.4");
        form.close();
    }
    messages.clear();
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    EXPECT_TRUE(messages.shown().isEmpty()); // up to date: nothing to say
}

TEST_F(MainFormTest, SettingsRoundTripAndBrokenFileDeleted)
{
    {
        TMainForm form;
        form.setGeometry(40, 50, 700, 600);
        showAndSettle(form);
        form.setGeometry(40, 50, 700, 600);
        form.close();
    }
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("TMainForm/Width").toInt(), 700);
    EXPECT_EQ(ini.value("TMainForm/WindowState").toInt(), 0);
    {
        TMainForm form;
        showAndSettle(form);
        EXPECT_EQ(form.width(), 700);
        EXPECT_EQ(form.rememberedSkin(), "Neutral"); // no skins at all: the plain look under its name
        form.close();
    }
    QFile file(dir.file("Device.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[TMainForm]\nFont=not a font\nWidth=333\n");
    file.close();
    TMainForm form;
    showAndSettle(form);
    EXPECT_NE(form.width(), 333); // the broken file was not used...
    form.close();
    QSettings rewritten(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_NE(rewritten.value("TMainForm/Font").toString(), "not a font"); // ...and is gone
}

// The English interface, chosen while the program runs: the menus, the toolbar's list and the windows
// opened afterwards speak it, and the next start remembers it.
TEST_F(MainFormTest, LanguageChosenReachesTheMenusAndLaterWindowsAndIsKept)
{
    static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
    const auto russianTexts = [](TMainForm& form) {
        QStringList found;
        const std::function<void(QMenu*)> read = [&](QMenu* menu) {
            found.append(menu->title());
            for (QAction* a : menu->actions()) {
                found << a->text() << a->statusTip();
                if (a->menu())
                    read(a->menu());
            }
        };
        for (QAction* a : form.menuBar()->actions())
            read(a->menu());
        auto* selector = form.findChild<QComboBox*>("sComboTable");
        for (int i = 0; i < selector->count(); ++i)
            found.append(selector->itemText(i));
        found.append(selector->toolTip());
        return found.filter(cyrillic);
    };
    {
        TDM dm;
        TMainForm form;
        showAndSettle(form);
        form.findChild<QAction*>("LanguageEnglish")->trigger();
        EXPECT_EQ(russianTexts(form), QStringList({"Русский"})); // each language named in itself
        EXPECT_EQ(form.action("FileExit1")->text(), "E&xit");
        EXPECT_TRUE(form.findChild<QAction*>("LanguageEnglish")->isChecked());
        form.action("OpenMonitor")->trigger();
        EXPECT_FALSE(form.findChildWindow("TMonitorForm")->windowTitle().contains(cyrillic));
        form.close();
    }
    EXPECT_EQ(QSettings("Device.ini", QSettings::IniFormat).value("TMainForm/Language").toString(), "en");
    setLanguageIndex(1); // as a new start begins, before the settings are read
    LanguageChoice::applyStored("Device.ini");
    EXPECT_EQ(languageIndex(), 0);
    {
        TMainForm form;
        EXPECT_EQ(form.menuBar()->actions().first()->text(), "&File");
        form.findChild<QAction*>("LanguageRussian")->trigger();
        EXPECT_EQ(form.menuBar()->actions().first()->text(), "Файл");
        EXPECT_TRUE(form.findChild<QAction*>("LanguageRussian")->isChecked());
    }
    EXPECT_EQ(LanguageChoice::stored("Device.ini"), 1);
}

TEST_F(MainFormTest, MonitorShowsOnlyStatementsWhileOpen)
{
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    dm.ADOConnection()->execute("select 1 as before_opening");
    form.action("OpenMonitor")->trigger();
    auto* monitor = qobject_cast<TMonitorForm*>(form.findChildWindow("TMonitorForm"));
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->windowTitle(), "SQL-монитор");
    dm.ADOConnection()->execute("update Device set ANumber = :A where ID_Device = :K", {{"A", QVariant()}, {"K", 7}});
    const QString text = monitor->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    EXPECT_FALSE(text.contains("before_opening"));
    EXPECT_TRUE(text.contains("update Device set ANumber = :A where ID_Device = :K\nA = Null\nK = 7"));
    bool existed = false;
    form.openOrActivate("TMonitorForm", &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(form.mdiArea()->subWindowList().size(), 1);
    form.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChildWindow("TMonitorForm"), nullptr);
    form.action("OpenMonitor")->trigger();
    monitor = qobject_cast<TMonitorForm*>(form.findChildWindow("TMonitorForm"));
    EXPECT_FALSE(monitor->findChild<QPlainTextEdit*>("Memo1")->toPlainText().contains("update Device"));
}

// A user with two plants tells them apart by the database file, shown in full.
TEST_F(MainFormTest, StatusBarAndAboutBoxNameTheDatabaseFile)
{
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    const QString path = QDir::toNativeSeparators(QFileInfo(dir.file("Device.db")).absoluteFilePath());
    auto* label = form.findChild<QLabel*>("lbDatabase");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "База данных: " + path);
    EXPECT_TRUE(label->isVisible());
    QString about;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            if (auto* database = box->findChild<QLabel*>("Database"); database && database->isVisible())
                about = database->text();
            box->close();
        }
    });
    form.action("HelpAbout1")->trigger();
    EXPECT_EQ(about, "База данных: " + path);
}

// The manager and the monitor ask for a size of their own; the frame around them keeps it.
TEST_F(MainFormTest, ManagerAndMonitorOpenAtAUsefulSize)
{
    TDM dm;
    TMainForm form;
    TMainForm::registerWindow("TManagerForm", [] { return new TManagerForm; });
    showAndSettle(form);
    for (const char* name : {"TManagerForm", "TMonitorForm"}) {
        SCOPED_TRACE(name);
        QWidget* window = form.openOrActivate(QString::fromLatin1(name));
        ASSERT_TRUE(window);
        QCoreApplication::processEvents();
        EXPECT_GE(window->width(), 300);
        EXPECT_GE(window->height(), 300);
    }
}

TEST_F(MainFormTest, ClipboardCommandsWorkOnTheFocusedEditor)
{
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    form.action("OpenMonitor")->trigger();
    auto* memo = form.findChildWindow("TMonitorForm")->findChild<QPlainTextEdit*>("Memo1");
    memo->setPlainText("select 1");
    QApplication::setActiveWindow(&form);
    memo->setFocus();
    memo->selectAll();
    QGuiApplication::clipboard()->clear();
    form.updateActions();
    ASSERT_EQ(QApplication::focusWidget(), memo);
    EXPECT_TRUE(form.action("EditCopy1")->isEnabled());
    EXPECT_FALSE(form.action("EditPaste1")->isEnabled()); // nothing on the clipboard yet
    form.action("EditCut1")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "select 1");
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    form.updateActions();
    EXPECT_FALSE(form.action("EditCut1")->isEnabled()); // no selection left
    EXPECT_TRUE(form.action("EditPaste1")->isEnabled());
    form.action("EditPaste1")->trigger();
    form.action("EditPaste1")->trigger();
    EXPECT_EQ(memo->toPlainText(), "select 1select 1");
}

TEST_F(MainFormTest, CommandsOfMissingWindowsAreGreyed)
{
    TMainForm form;
    showAndSettle(form);
    form.updateActions();
    EXPECT_FALSE(form.action("OpenDevType")->isEnabled());
    EXPECT_FALSE(form.action("Find")->isEnabled());
    EXPECT_FALSE(form.action("FileClose")->isEnabled());
    EXPECT_TRUE(form.action("HelpAbout1")->isEnabled());
}

// The frame's rules for child windows, with stand-in windows and no database.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerFake<TDeviceForm>();
        registerFake<TMalfunctionForm>();
        registerFake<TSpravForm>();
        GridPrinter::setPreviewOutputFile(dir.file("preview.pdf")); // no modal preview in a test
        form.show();
        QApplication::setActiveWindow(&form);
        QTest::qWait(20);
    }

    void TearDown() override { GridPrinter::setPreviewOutputFile(QString()); }

    template <typename T>
    T* open()
    {
        return qobject_cast<T*>(form.openOrActivate(QString::fromLatin1(T::staticMetaObject.className())));
    }

    // Puts the keyboard focus on `widget` and lets the idle-time enabling run.
    void focus(QWidget* widget)
    {
        widget->setFocus();
        QCoreApplication::processEvents();
        form.updateActions();
    }

    bool enabled(const char* action) const { return form.action(QString::fromLatin1(action))->isEnabled(); }

    TempWorkDir dir;
    MessageRecorder messages;
    TMainForm form;
};

TEST_F(FrameTest, TableCommandsFollowTheActiveChildAndTheFocusedGrid)
{
    form.updateActions();
    for (const char* name : {"Find", "SaveAs", "Preview", "SelectAll", "Swap", "OpenTableProp", "CheckComplect"})
        EXPECT_FALSE(enabled(name)) << name; // no child window at all

    auto* device = open<TDeviceForm>();
    device->runs.clear();
    focus(device->formPanel->widget(0)); // an editor, not a grid
    ASSERT_EQ(QApplication::focusWidget(), device->formPanel->widget(0));
    EXPECT_FALSE(enabled("Find"));
    for (const char* name : {"SaveAs", "Preview", "SelectAll", "Swap", "OpenTableProp", "CheckComplect"})
        EXPECT_TRUE(enabled(name)) << name; // a table window is active
    focus(device->grid);
    EXPECT_TRUE(enabled("Find"));

    // A window that is not a table window: only a focused grid makes the table commands work.
    auto* sprav = open<TSpravForm>();
    focus(sprav->editor);
    for (const char* name : {"Find", "SaveAs", "Preview", "SelectAll", "Swap", "OpenTableProp"})
        EXPECT_FALSE(enabled(name)) << name;
    focus(sprav->grid);
    for (const char* name : {"Find", "SaveAs", "Preview", "SelectAll"})
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("Swap"));
}

TEST_F(FrameTest, TableCommandsRunTheActiveWindowsOwnCommands)
{
    auto* device = open<TDeviceForm>();
    focus(device->grid);
    // Preview prints the focused grid itself; without a focused grid the window's own Print runs.
    form.action("Preview")->trigger();
    EXPECT_TRUE(QFile::exists(dir.file("preview.pdf")));
    EXPECT_EQ(device->runs.value("Print"), 0);
    focus(device->formPanel->widget(0));
    form.action("Preview")->trigger();
    EXPECT_EQ(device->runs.value("Print"), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the wait cursor is gone again

    focus(device->grid);
    const struct {
        const char* mainCommand;
        const char* windowCommand;
    } routes[] = {{"SaveAs", "Save"}, {"SelectAll", "SelectAll"}, {"Find", "Find"},
                  {"Swap", "Swap"},   {"OpenTableProp", "OpenPropForm"}};
    for (const auto& route : routes) {
        device->runs.clear();
        form.action(QString::fromLatin1(route.mainCommand))->trigger();
        EXPECT_EQ(device->runs.value(QString::fromLatin1(route.windowCommand)), 1) << route.mainCommand;
        EXPECT_EQ(device->runs.size(), 1) << route.mainCommand;
    }

}

// The wait cursor covers preparing the pages, never the time the user spends reading the preview:
// neither the main window's Preview nor the printer may hold it while the preview is open.
TEST_F(FrameTest, PreviewIsReadWithTheNormalCursor)
{
    GridPrinter::setPreviewOutputFile(QString()); // the real preview
    int waiting = 0;
    WaitCursor::hooks().show = [&] { ++waiting; };
    WaitCursor::hooks().restore = [&] { --waiting; };
    const auto previewFocusedGrid = [&](QWidget* grid) {
        QApplication::setActiveWindow(&form); // a closed dialog may leave no window active
        focus(grid);
        bool previewShown = false;
        int waitingDuringPreview = -1;
        const QCursor* cursorDuringPreview = nullptr;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<GridPreviewDialog*>(QApplication::activeModalWidget())) {
                previewShown = true;
                waitingDuringPreview = waiting;
                cursorDuringPreview = QApplication::overrideCursor();
                dialog->reject();
            }
        });
        form.action("Preview")->trigger();
        EXPECT_TRUE(previewShown);
        EXPECT_EQ(waitingDuringPreview, 0);
        EXPECT_EQ(cursorDuringPreview, nullptr);
        EXPECT_EQ(waiting, 0);
    };
    {
        SCOPED_TRACE("table window");
        previewFocusedGrid(open<TDeviceForm>()->grid);
    }
    {
        SCOPED_TRACE("plain window");
        previewFocusedGrid(open<TSpravForm>()->grid);
    }
    WaitCursor::hooks() = {};
}

TEST_F(FrameTest, FocusedGridOfAPlainWindowIsSelectedAndSavedByTheMainWindow)
{
    auto* sprav = open<TSpravForm>();
    focus(sprav->grid);
    form.action("SelectAll")->trigger();
    EXPECT_EQ(sprav->grid->selectionModel()->selectedRows().size(), 4);

    // A name without extension gets the one of the chosen type; one that has it, in any case, keeps it.
    const int csv = 1;
    for (const auto& [typed, written] : {std::pair{"rows", "rows.csv"}, std::pair{"data.CSV", "data.CSV"}}) {
        FileDialogs::setNextSaveFileName(dir.file(QString::fromLatin1(typed)), csv);
        form.action("SaveAs")->trigger();
        EXPECT_TRUE(QFile::exists(dir.file(QString::fromLatin1(written)))) << typed;
        EXPECT_FALSE(QFile::exists(dir.file(QString::fromLatin1(written) + ".csv"))) << typed;
    }
    EXPECT_TRUE(messages.shown().isEmpty());
}

// An item whose window is not built yet cannot be chosen, like the command that opens it.
TEST_F(FrameTest, SelectorItemsOfMissingWindowsAreDisabled)
{
    form.updateActions();
    auto* selector = form.findChild<QComboBox*>("sComboTable");
    auto* items = qobject_cast<QStandardItemModel*>(selector->model());
    ASSERT_TRUE(items);
    const char* const classes[] = {"TDeviceForm",      "TTypeForm",    "TNextRepForm", "TReportForm",
                                   "TMalfunctionForm", "TAccountForm", "TSpravForm",   "TManagerForm"};
    ASSERT_FALSE(TMainForm::hasWindow("TTypeForm"));
    for (int i = 0; i < selector->count(); ++i)
        EXPECT_EQ(items->item(i)->isEnabled(), TMainForm::hasWindow(classes[i])) << classes[i];
    EXPECT_TRUE(items->item(0)->isEnabled());
    EXPECT_FALSE(items->item(1)->isEnabled());
}

// A skin is a style sheet; the font chosen later still reaches the grids and editors of every window.
TEST_F(FrameTest, ChosenFontReachesGridsAndEditorsUnderASkin)
{
    qApp->setStyleSheet("QToolBar { border-bottom: 1px solid palette(mid); } QPushButton { padding: 2px; }");
    auto* device = open<TDeviceForm>();
    auto* sprav = open<TSpravForm>();
    QCoreApplication::processEvents();
    form.applyFont(QFont(QStringLiteral("DejaVu Serif"), 11));
    QCoreApplication::processEvents();
    for (QWidget* w : std::initializer_list<QWidget*>{device->grid, device->grid->horizontalHeader(), sprav->grid,
                                                       sprav->editor}) {
        EXPECT_EQ(w->font().family(), "DejaVu Serif") << w->metaObject()->className();
        EXPECT_EQ(w->font().pointSizeF(), 11) << w->metaObject()->className();
    }
    qApp->setStyleSheet(QString());
}

TEST(FontDialogTest, OffersOnlyTheSizesTheWindowsTake)
{
    FontDialog dialog(QFont(QStringLiteral("DejaVu Sans"), 16));
    EXPECT_EQ(dialog.offeredSizes(), QList<int>({6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(dialog.selectedFont().pointSize(), 12) << "a larger stored font starts at the largest offered";
    dialog.findChild<QComboBox*>("cbFontSize")->setCurrentIndex(2);
    const QList<QCheckBox*> effects = dialog.findChildren<QCheckBox*>();
    ASSERT_EQ(effects.size(), 4);
    effects[0]->setChecked(true);
    const QFont chosen = dialog.selectedFont();
    EXPECT_EQ(chosen.pointSize(), 8);
    EXPECT_TRUE(chosen.bold());
    EXPECT_EQ(chosen.family(), "DejaVu Sans");
    EXPECT_EQ(dialog.findChild<QLabel*>("FontSample")->font(), chosen);
}

TEST_F(FrameTest, SelectorShowsTheTableViewOfOneDeviceWindowEveryTime)
{
    auto* selector = form.findChild<QComboBox*>("sComboTable");
    selector->setCurrentIndex(0);
    emit selector->activated(0);
    auto* device = qobject_cast<TDeviceForm*>(form.findChildWindow("TDeviceForm"));
    ASSERT_TRUE(device);
    device->findChild<QAction*>("Swap")->trigger();
    ASSERT_TRUE(device->isFormView());
    emit selector->activated(0);
    EXPECT_EQ(form.findChildWindow("TDeviceForm"), device);
    EXPECT_EQ(form.mdiArea()->subWindowList().size(), 1);
    EXPECT_FALSE(device->isFormView());
}

TEST_F(FrameTest, ShowKitsTogglesTheDeviceWindowsPanelAndBringsItToTheFront)
{
    form.action("CheckComplect")->trigger(); // no device window: nothing to do
    EXPECT_EQ(form.mdiArea()->subWindowList().size(), 0);

    auto* device = open<TDeviceForm>();
    open<TMalfunctionForm>();
    ASSERT_NE(form.activeChild(), device);
    form.updateActions();
    EXPECT_TRUE(enabled("CheckComplect"));
    EXPECT_FALSE(form.action("CheckComplect")->isChecked());

    form.action("CheckComplect")->trigger();
    EXPECT_EQ(form.activeChild(), device);
    EXPECT_TRUE(device->ComplectVisible());
    EXPECT_TRUE(form.action("CheckComplect")->isChecked());

    form.action("CheckComplect")->trigger();
    EXPECT_FALSE(device->ComplectVisible());
    EXPECT_FALSE(form.action("CheckComplect")->isChecked());

    // The window itself may change the flag; the check mark follows it.
    device->setComplectVisible(true);
    form.updateActions();
    EXPECT_TRUE(form.action("CheckComplect")->isChecked());
}

TEST_F(FrameTest, ArrangingRestoresMinimisedWindowsAndTilesInStrips)
{
    form.resize(1000, 700);
    open<TDeviceForm>();
    open<TMalfunctionForm>();
    const auto windows = form.mdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    const QRect area = form.mdiArea()->viewport()->rect();

    windows[0]->showMinimized();
    form.action("WindowTileVertical1")->trigger(); // side by side
    EXPECT_FALSE(windows[0]->isMinimized());
    QRect a = windows[0]->geometry(), b = windows[1]->geometry();
    EXPECT_EQ(a.top(), b.top());
    EXPECT_EQ(a.height(), area.height());
    EXPECT_NE(a.left(), b.left());
    EXPECT_EQ(a.width() + b.width(), area.width());

    windows[1]->showMaximized();
    form.action("WindowTileHorizontal1")->trigger(); // one above the other
    a = windows[0]->geometry(), b = windows[1]->geometry();
    EXPECT_EQ(a.left(), b.left());
    EXPECT_EQ(a.width(), area.width());
    EXPECT_NE(a.top(), b.top());
    EXPECT_EQ(a.height() + b.height(), area.height());

    windows[1]->showMinimized();
    form.action("WindowCascade1")->trigger();
    EXPECT_FALSE(windows[1]->isMinimized());
    EXPECT_NE(windows[0]->geometry().topLeft(), windows[1]->geometry().topLeft());
}

TEST_F(FrameTest, ChosenFontReachesOpenWindowsAndIsAtMostTwelvePoints)
{
    auto* device = open<TDeviceForm>();
    auto* sprav = open<TSpravForm>();
    form.applyFont(QFont(QStringLiteral("DejaVu Serif"), 16));
    EXPECT_EQ(form.font().pointSizeF(), 12);
    EXPECT_EQ(form.font().family(), "DejaVu Serif");
    EXPECT_EQ(device->fontChanges, 1); // its buttons are laid out again
    EXPECT_EQ(device->font(), form.font());
    EXPECT_EQ(device->grid->font().pointSizeF(), 12);
    EXPECT_EQ(sprav->font(), form.font());

    form.applyFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    EXPECT_EQ(device->font().pointSizeF(), 9);
    auto* later = open<TMalfunctionForm>();
    EXPECT_EQ(later->font(), form.font()); // windows opened later take it themselves
}

TEST_F(FrameTest, HelpOpensItsWindowOrSaysWhereItWasLookedFor)
{
    form.action("OpenHelp")->trigger();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().kind, MessageService::Kind::Error);
    EXPECT_TRUE(messages.shown().first().text.contains(QDir::toNativeSeparators(dir.file("help/index.html"))))
        << messages.shown().first().text.toStdString();
    EXPECT_EQ(form.helpForm(), nullptr);

    QDir(dir.path()).mkpath("help");
    QFile page(dir.file("help/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>Содержание</title></head><body><a href=\"b.html\">b</a></body></html>");
    page.close();
    messages.clear();
    form.action("OpenHelp")->trigger();
    EXPECT_TRUE(messages.shown().isEmpty());
    THelpForm* help = form.helpForm();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->objectName(), "HelpForm");
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->documentTitle(), "Содержание");
    EXPECT_EQ(help->windowTitle(), "Справка — Содержание");
    form.action("OpenHelp")->trigger();
    EXPECT_EQ(form.helpForm(), help); // one help window
    EXPECT_EQ(form.action("OpenHelp")->shortcut(), QKeySequence(Qt::Key_F1));
}

// The help shipped with the program: an index and pages whose every local link leads somewhere.
TEST(ShippedHelpTest, IndexExistsAndEveryLinkResolves)
{
    const QDir help(QStringLiteral(INSTREL_TEST_SOURCE_DIR "/../help"));
    ASSERT_TRUE(help.exists("index.html"));
    const QStringList pages = help.entryList({"*.html"}, QDir::Files);
    EXPECT_GE(pages.size(), 15);
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
    QSet<QString> linked;
    for (const QString& name : pages) {
        QFile file(help.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains("<title>")) << name.toStdString();
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.contains(':'))
                continue; // an address outside the help
            linked.insert(target);
            EXPECT_TRUE(help.exists(target)) << name.toStdString() << " -> " << target.toStdString();
        }
    }
    for (const QString& name : pages)
        EXPECT_TRUE(name == "index.html" || linked.contains(name)) << name.toStdString() << " is not linked";
}

TEST(ApplicationTest, DatabaseErrorsEndInOneErrorBoxAndAbortsAreSilent)
{
    MessageRecorder messages;
    EXPECT_FALSE(InstrelApplication::guarded([] { throw DatabaseError("no such table: Nope"); }));
    EXPECT_FALSE(InstrelApplication::guarded([] { abortOperation(); }));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().kind, MessageService::Kind::Error);
    EXPECT_EQ(messages.shown().first().text, "no such table: Nope");
}

} // namespace

#include "moc_FakeWindows.cpp"
