// The Russian program as a user meets it: every window and dialog it opens, Qt's own among them,
// read for texts in Latin letters. Names that are names in any language (SQL, Excel, the product's
// name) and file patterns are allowed; what the user typed or the database holds is not read.
#include "app/AboutFrm.h"
#include "app/FontDialog.h"
#include "app/HelpFrm.h"
#include "app/ManagerFrm.h"
#include "app/MainFrm.h"
#include "app/QtTranslations.h"
#include "app/WidgetMessageService.h"
#include "app/WindowRegistry.h"
#include "data/DMFrm.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "tables/FindDialog.h"
#include "tables/InputDateFrm.h"
#include "tables/PasportListFrm.h"
#include "tables/SpravFrm.h"
#include "tables/TablePropFrm.h"
#include "text/StrList.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Words a Russian user reads as they stand.
// "ID" labels a device's number in the database and reads the same in both languages. The language
// menu names each language in that language, so that a user who reads only it finds it.
const QStringList kNames = {"SQL", "Instrel", "Excel", "RTF", "HTML", "PDF", "CSV", "STOP", "ID", "English"};

QString plain(const QString& text)
{
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// The Latin words of `text` that are not names. File patterns ("*.txt"), file names and paths, web
// addresses and the key names of shortcuts ("Ctrl+Z") do not count.
QStringList latinWords(QString text)
{
    static const QRegularExpression patterns(QStringLiteral(
        "\\t.*$|https?://\\S+|\\b[\\w-]+(\\.[\\w-]+)*\\.(org|com|ru|net)\\b|/\\S*|\\*\\.\\w+|\\b\\w+\\.(db|ini|qss|html|chm|mdb)\\b"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    text = plain(text).remove(patterns);
    QStringList found;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured();
        if (!kNames.contains(w))
            found.append(w);
    }
    return found;
}

// Every text a user reads in a window: captions, labels, buttons, titles, list items, menus and tips.
class TextCollector {
public:
    // Item views whose items are the program's own texts (not data): their items are read too.
    explicit TextCollector(QStringList ownLists = {}) : m_ownLists(std::move(ownLists)) {}

    void addWidget(QWidget* root, const QString& where)
    {
        QList<QWidget*> widgets{root};
        widgets += root->findChildren<QWidget*>();
        for (QWidget* w : widgets) {
            if (w != root && !w->isVisibleTo(root))
                continue;
            const QString at = where + QLatin1Char('/') + (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
            if (w->isWindow())
                add(w->windowTitle(), at + " caption");
            add(w->toolTip(), at + " tip");
            add(w->statusTip(), at + " status tip");
            addOwnTexts(w, at);
            for (QAction* action : w->actions())
                addAction(action, at);
        }
    }

    void addMenu(QMenu* menu, const QString& where)
    {
        add(menu->title(), where);
        for (QAction* action : menu->actions())
            addAction(action, where);
    }

    void add(const QString& text, const QString& where)
    {
        const QStringList words = latinWords(text);
        if (!words.isEmpty())
            m_found.append(where + ": «" + text + "» (" + words.join(", ") + ")");
    }

    const QStringList& found() const { return m_found; }

private:
    void addAction(QAction* action, const QString& where)
    {
        if (action->isSeparator() || !action->isVisible())
            return;
        const QString at = where + " > " + action->text();
        add(action->text(), at);
        add(action->toolTip(), at + " tip");
        add(action->statusTip(), at + " status tip");
        if (QMenu* menu = action->menu())
            addMenu(menu, at);
    }

    void addOwnTexts(QWidget* w, const QString& at)
    {
        if (auto* label = qobject_cast<QLabel*>(w))
            add(label->text(), at);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(button->text(), at);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            add(box->title(), at);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            add(edit->placeholderText(), at + " placeholder");
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i), at + " tab");
        // Fonts, paper sizes and typographic units are known by these names in every language.
        static const QStringList catalogues = {"pageSizeCombo", "unitCombo"};
        if (auto* combo = qobject_cast<QComboBox*>(w);
            combo && !qobject_cast<QFontComboBox*>(w) && !combo->isEditable() && !catalogues.contains(w->objectName()))
            for (int i = 0; i < combo->count(); ++i)
                add(combo->itemText(i), at + " item");
        if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                if (!header->isSectionHidden(i))
                    add(header->model()->headerData(i, header->orientation()).toString(), at + " title");
        if (!m_ownLists.contains(w->objectName()))
            return;
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                add(list->item(i)->text(), at + " item");
        if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                add((*it)->text(0), at + " item");
    }

    QStringList m_ownLists;
    QStringList m_found;
};

class RussianTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(languageIndex(), 1) << "the program users see is the Russian build";
        ASSERT_TRUE(installQtTranslations(1)) << "Qt's Russian translations (qt6-translations-l10n) are missing";
        TestDatabase::createDemoDatabase(dir.path());
    }
    void TearDown() override { installQtTranslations(0); }

    // Runs `open`, which shows a modal dialog, and reads that dialog before closing it.
    void readModal(const std::function<void()>& open, const QString& where, const std::function<void(QWidget*)>& also = {})
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            seen = true;
            texts.addWidget(dialog, where);
            if (also)
                also(dialog);
            dialog->close();
        });
        open();
        EXPECT_TRUE(seen) << where.toStdString() << " did not open";
    }

    TempWorkDir dir;
    MessageRecorder messages;
    TextCollector texts{{"TableList", "TreeView1"}};
};

TEST_F(RussianTextsTest, EveryWindowAndDialogSpeaksRussian)
{
    TDM dm;
    TMainForm form;
    registerProgramWindows();
    TMainForm::registerWindow("TPasportListForm", [] { return new TPasportListForm; });
    form.show();
    QTest::qWait(50);
    form.updateActions();
    texts.addWidget(&form, "main window");
    for (QAction* menu : form.menuBar()->actions())
        texts.addMenu(menu->menu(), "menu " + menu->text());

    // Every window the program has, each view and page of it, and the table window every data
    // window is built on.
    for (const char* name : {"TDeviceForm", "TTypeForm", "TNextRepForm", "TReportForm", "TMalfunctionForm", "TAccountForm",
                             "TManagerForm", "TMonitorForm"}) {
        const QString className = QString::fromLatin1(name);
        if (className != "TMonitorForm" && !TMainForm::hasWindow(className))
            continue;
        QWidget* window = form.openOrActivate(className);
        ASSERT_TRUE(window) << name;
        QCoreApplication::processEvents();
        texts.addWidget(window, className);
        if (auto* pages = window->findChild<QTabWidget*>("FormPanel")) {
            for (int page = 0; page < pages->count(); ++page) {
                TMainForm::switchView(window, true, page);
                QCoreApplication::processEvents();
                texts.addWidget(window, className + QString(" page %1").arg(page));
            }
            TMainForm::switchView(window, false);
        }
    }
    auto* sprav = qobject_cast<TSpravForm*>(form.openOrActivate("TSpravForm"));
    ASSERT_TRUE(sprav);
    for (int page = 0; page < LinkedTableCount; ++page) {
        sprav->SelectPage(page);
        QCoreApplication::processEvents();
        texts.addWidget(sprav, QString("linked tables page %1").arg(page));
    }

    auto* list = static_cast<TPasportListForm*>(form.openOrActivate("TPasportListForm"));
    ASSERT_TRUE(list);
    list->setWindowTitle("Паспорта"); // as the device window built on it is called
    QCoreApplication::processEvents();
    list->updateOnIdle();
    // Its columns are titled by the windows derived from it; its own commands and panels are read.
    list->grid()->horizontalHeader()->setVisible(false);
    texts.addWidget(list, "table window");
    list->grid()->horizontalHeader()->setVisible(true);
    if (auto* popup = list->findChild<QMenu*>("PopupMenu1"))
        texts.addMenu(popup, "table window context menu");
    TTablePropForm* props = list->OpenPropForm();
    ASSERT_TRUE(props);
    texts.addWidget(props, "table properties");
    props->close();
    TInputDateForm dates(list);
    texts.addWidget(&dates, "date range");

    // The dialogs: the program's own and Qt's.
    list->grid()->setFocus();
    form.updateActions();
    readModal([&] { form.action("SaveAs")->trigger(); }, "save dialog");
    readModal([&] { form.action("Preview")->trigger(); }, "print preview", [&](QWidget* preview) {
        auto* setup = preview->findChild<QAction*>("PreviewPageSetup");
        readModal([&] { setup->trigger(); }, "page setup");
        auto* print = preview->findChild<QAction*>("PreviewPrint");
        readModal([&] { print->trigger(); }, "print dialog");
    });
    readModal([&] { form.action("HelpAbout1")->trigger(); }, "about box");
    readModal([&] { form.action("FontEdit1")->trigger(); }, "font dialog");
    FindDialog* find = FindDialog::shared(&form);
    texts.addWidget(find, "find dialog");
    THelpForm help(&form);
    texts.addWidget(&help, "help window");
    WidgetMessageService boxes;
    readModal([&] { boxes.show(MessageService::Kind::Warning, "Текст", QString()); }, "message box");
    readModal([&] { boxes.askYesNo(MessageService::Kind::Warning, "Вопрос?", QString()); }, "question box");
    QLineEdit editor;
    std::unique_ptr<QMenu> editorMenu(editor.createStandardContextMenu());
    texts.addMenu(editorMenu.get(), "editor's context menu");

    EXPECT_TRUE(texts.found().isEmpty()) << texts.found().join("\n").toStdString();
    form.mdiArea()->closeAllSubWindows();
}

} // namespace
