#include "app/MainFrm.h"

#include "app/AboutFrm.h"
#include "app/FontDialog.h"
#include "app/Application.h"
#include "app/HelpFrm.h"
#include "app/LanguageChoice.h"
#include "app/MonitorFrm.h"
#include "app/PlantFiles.h"
#include "app/StoredGeometry.h"
#include "app/SubWindowLayout.h"
#include "tables/FormSettings.h"
#include "data/DMFrm.h"
#include "data/DatabaseChoice.h"
#include "data/MessageService.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "app/DueReminder.h"
#include "data/Clock.h"
#include "data/SchemaUpgrade.h"
#include "tables/BaseFrm.h"
#include "devices/rules/DueRule.h"
#include "tables/FindDialog.h"
#include "tables/SelectFrm.h"
#include "tables/print/GridPrinter.h"
#include "tables/SaveSelectedRows.h"
#include "text/StrList.h"
#include "devices/DeviceImportFrm.h"
#include "devices/ImportTemplate.h"
#include "tables/FileDialogs.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QTextEdit>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QClipboard>
#include <QAbstractItemView>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace {

QHash<QString, TMainForm::WindowFactory>& factories()
{
    static QHash<QString, TMainForm::WindowFactory> registry;
    return registry;
}


// The command that opens each child window, with the class it opens.
struct OpenCommand {
    const char* action;
    const char* windowClass;
    Str caption;
    Str hint;
};

const OpenCommand kOpenCommands[] = {
    {"OpenDevice", "TDeviceForm", Str::WinDevices, Str::HintOpenDevice},
    {"OpenDevType", "TTypeForm", Str::WinTypes, Str::HintOpenDevType},
    {"OpenNextRep", "TNextRepForm", Str::WinServices, Str::HintOpenNextRep},
    {"OpenReport", "TReportForm", Str::WinServiceReports, Str::HintOpenReport},
    {"OpenRefusal", "TMalfunctionForm", Str::WinMalfunctions, Str::HintOpenRefusal},
    {"OpenAccount", "TAccountForm", Str::WinAmountPerUnit, Str::HintOpenAccount},
    {"OpenSprav", "TSpravForm", Str::WinLinkedTables, Str::HintOpenSprav},
    {"OpenManager", "TManagerForm", Str::WinManager, Str::HintOpenManager},
};

// The table selector's items, in order, and the window each opens; the first five switch the window
// to its table view.
const char* const kSelectorClasses[] = {"TDeviceForm",  "TTypeForm",    "TNextRepForm", "TReportForm",
                                        "TMalfunctionForm", "TAccountForm", "TSpravForm", "TManagerForm"};
const Str kSelectorCaptions[] = {Str::WinDevices,      Str::WinTypes,         Str::WinServices,
                                 Str::WinServiceReports, Str::WinMalfunctions, Str::WinAmountPerUnit,
                                 Str::WinLinkedTables,  Str::WinManager};

// The text editor with the keyboard focus, or nullptr.
QWidget* focusedTextEditor()
{
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus))
        return focus;
    return nullptr;
}

struct ClipboardState {
    bool canCut = false;
    bool canCopy = false;
    bool canPaste = false;
};

// Cut needs a selection in an editable editor, Copy any selection, Paste an editable editor and text
// on the clipboard.
ClipboardState clipboardState(QWidget* editor)
{
    bool selection = false;
    bool readOnly = true;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        selection = line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
        readOnly = line->isReadOnly();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) {
        selection = plain->textCursor().hasSelection();
        readOnly = plain->isReadOnly();
    } else if (auto* rich = qobject_cast<QTextEdit*>(editor)) {
        selection = rich->textCursor().hasSelection();
        readOnly = rich->isReadOnly();
    } else {
        return {};
    }
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const bool clipboardHasText = clipboard && !clipboard->text().isEmpty();
    return {selection && !readOnly, selection, !readOnly && clipboardHasText};
}

// The style greys a disabled icon out towards light grey, which on a dark skin stands out more than
// the enabled icons: a disabled command shows its own icon, faded, on every skin.
QIcon fadedWhenDisabled(const QIcon& icon)
{
    if (icon.isNull())
        return icon;
    QIcon result;
    for (int size : {16, 22, 24, 32, 48}) {
        const QPixmap normal = icon.pixmap(size);
        if (normal.isNull())
            continue;
        QPixmap faded(normal.size());
        faded.setDevicePixelRatio(normal.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.3);
        painter.drawPixmap(0, 0, normal);
        painter.end();
        result.addPixmap(normal, QIcon::Normal);
        result.addPixmap(faded, QIcon::Disabled);
    }
    return result;
}

bool isTableWindow(const QWidget* w) { return w && w->inherits("TBaseForm"); }

// The grid (item view) of `child` that holds the keyboard focus, or nullptr.
QAbstractItemView* focusedGrid(const QWidget* child)
{
    QWidget* focus = QApplication::focusWidget();
    if (!child || !focus || !child->isAncestorOf(focus))
        return nullptr;
    for (QWidget* w = focus; w && w != child; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            return view;
    return nullptr;
}

bool focusInGrid(const QWidget* child) { return focusedGrid(child) != nullptr; }

// Runs the child window's own command `name`: its action of that name or, for windows built with
// plain buttons, its button "btn" + name. A disabled command does nothing.
void runChildCommand(QWidget* child, const QString& name)
{
    if (!child)
        return;
    if (auto* action = child->findChild<QAction*>(name))
        action->trigger();
    else if (auto* button = child->findChild<QAbstractButton*>(QStringLiteral("btn") + name))
        if (button->isEnabled())
            button->click();
}

// Command icons from the freedesktop icon theme (Adwaita where the desktop names none); a command
// whose icon is missing shows its caption instead.
const std::pair<const char*, const char*> kCommandIcons[] = {
    {"OpenManager", "preferences-system-windows"}, {"EditCut1", "edit-cut"},
    {"EditCopy1", "edit-copy"},                    {"EditPaste1", "edit-paste"},
    {"OpenTableProp", "document-properties"},      {"Swap", "object-flip-horizontal"},
    {"Find", "edit-find"},                         {"Preview", "document-print-preview"},
    {"SaveAs", "document-save-as"},                {"OpenHelp", "help-contents"},
    {"FileExit1", "application-exit"},             {"HelpAbout1", "help-about"},
    {"SelectAll", "edit-select-all"},              {"FontEdit1", "preferences-desktop-font"},
    {"OpenDevice", "document-open"},
};

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MainForm"));
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    m_plainMdiBackground = m_mdi->background();
    m_version = ReadProgramVersion();
    setWindowTitle(withoutAccelerator(Text(Str::MainCaption)) + QStringLiteral(" v") + m_version);
    m_linkedNames = ::linkedTableNames();
    FindDialog::shared(this); // the find dialog of every grid, freed with the main window
    TDualListDlg::shared(this); // the choice of a report's services and categories, reused
    m_dueReminder = new DueReminder(this);
    m_skinName = QStringLiteral("Label1");
    createActions();
    setCommandIcons();
    createMenus();
    createToolBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_databaseLabel = new QLabel(statusBar());
    m_databaseLabel->setObjectName(QStringLiteral("lbDatabase"));
    m_databaseLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addPermanentWidget(m_databaseLabel);
    resize(1024, 700);
    InstrelApplication::connectIdle(this, [this] { updateActions(); });
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TMainForm::updateActions);
}

TMainForm::~TMainForm()
{
    // The MDI area outlives this part of the destruction; its signals must not reach us any more.
    disconnect(m_mdi, nullptr, this, nullptr);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        disconnect(dispatcher, nullptr, this, nullptr);
    if (!m_settingsSaved)
        saveSettings(); // destroyed without closing: a quit request from a later start
}

void TMainForm::registerWindow(const QString& className, WindowFactory factory)
{
    factories().insert(className, std::move(factory));
}

bool TMainForm::hasWindow(const QString& className) { return factories().contains(className); }

QAction* TMainForm::addCommand(const QString& name, Str caption, std::optional<Str> hint)
{
    auto* action = new QAction(this);
    action->setObjectName(name);
    translated([action, caption, hint] {
        action->setText(Text(caption));
        const QString text = hint ? Text(*hint) : QString();
        action->setToolTip(withoutAccelerator(hintShort(text)));
        action->setStatusTip(hintLong(text));
    });
    m_actions.insert(name, action);
    return action;
}

void TMainForm::translated(std::function<void()> apply)
{
    apply();
    m_translations.push_back(std::move(apply));
}

void TMainForm::chooseLanguage(int language)
{
    if (language != languageIndex()) {
        LanguageChoice::apply(language);
        for (const auto& apply : m_translations)
            apply();
        showDatabaseName();
    }
    LanguageChoice::store(FormSettings::defaultFileName(), languageIndex());
    for (QAction* item : m_languageMenu->actions())
        item->setChecked(item->data().toInt() == languageIndex());
}

QAction* TMainForm::action(const QString& name) const { return m_actions.value(name); }

void TMainForm::createActions()
{
    for (const OpenCommand& command : kOpenCommands) {
        QAction* a = addCommand(QString::fromLatin1(command.action), command.caption, command.hint);
        const QString windowClass = QString::fromLatin1(command.windowClass);
        connect(a, &QAction::triggered, this, [this, windowClass] { openOrActivate(windowClass); });
    }
    QAction* saveAs = addCommand(QStringLiteral("SaveAs"), Str::ActionSaveAs, Str::HintSaveAs);
    connect(saveAs, &QAction::triggered, this, &TMainForm::SaveAsExecute);
    QAction* openDatabase =
        addCommand(QStringLiteral("OpenDatabase"), Str::ActionOpenDatabase, Str::HintOpenDatabase);
    connect(openDatabase, &QAction::triggered, this, &TMainForm::OpenDatabaseExecute);
    QAction* close = addCommand(QStringLiteral("FileClose"), Str::ActionFileClose, Str::HintFileClose);
    connect(close, &QAction::triggered, m_mdi, &QMdiArea::closeActiveSubWindow);
    QAction* preview = addCommand(QStringLiteral("Preview"), Str::ActionPreview, Str::HintPreview);
    connect(preview, &QAction::triggered, this, &TMainForm::PreviewExecute);
    QAction* exit = addCommand(QStringLiteral("FileExit1"), Str::ActionExit, Str::HintExit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QAction* kits = addCommand(QStringLiteral("CheckComplect"), Str::ActionShowKits);
    kits->setCheckable(true);
    connect(kits, &QAction::triggered, this, &TMainForm::CheckComplectExecute);
    QAction* swap = addCommand(QStringLiteral("Swap"), Str::ActionSwap, Str::HintSwap);
    connect(swap, &QAction::triggered, this, [this] { runChildCommand(activeChild(), QStringLiteral("Swap")); });
    QAction* props = addCommand(QStringLiteral("OpenTableProp"), Str::ActionTableProps, Str::HintTableProps);
    connect(props, &QAction::triggered, this, [this] { runChildCommand(activeChild(), QStringLiteral("OpenPropForm")); });
    QAction* find = addCommand(QStringLiteral("Find"), Str::ActionFind, Str::HintFind);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &TMainForm::FindExecute);
    const struct {
        const char* name;
        Str caption, hint;
        QKeySequence::StandardKey key;
        const char* slot;
    } clipboardCommands[] = {{"EditCut1", Str::ActionCut, Str::HintCut, QKeySequence::Cut, "cut"},
                             {"EditCopy1", Str::ActionCopy, Str::HintCopy, QKeySequence::Copy, "copy"},
                             {"EditPaste1", Str::ActionPaste, Str::HintPaste, QKeySequence::Paste, "paste"}};
    for (const auto& command : clipboardCommands) {
        QAction* a = addCommand(QString::fromLatin1(command.name), command.caption, command.hint);
        a->setShortcut(command.key);
        const char* slot = command.slot;
        // The focused text editor does the work: line edits, text areas and editable combo boxes all
        // have these slots.
        connect(a, &QAction::triggered, this, [slot] {
            if (QWidget* editor = focusedTextEditor())
                QMetaObject::invokeMethod(editor, slot);
        });
    }
    QAction* selectAll = addCommand(QStringLiteral("SelectAll"), Str::ActionSelectAll, Str::HintSelectAll);
    connect(selectAll, &QAction::triggered, this, &TMainForm::SelectAllExecute);
    QAction* font = addCommand(QStringLiteral("FontEdit1"), Str::ActionFont, Str::HintFont);
    connect(font, &QAction::triggered, this, &TMainForm::FontEdit1Accept);
    QAction* cascade = addCommand(QStringLiteral("WindowCascade1"), Str::ActionCascade, Str::HintCascade);
    connect(cascade, &QAction::triggered, this, [this] {
        restoreMinimised();
        m_mdi->cascadeSubWindows();
    });
    QAction* tileH = addCommand(QStringLiteral("WindowTileHorizontal1"), Str::ActionTileHorizontal, Str::HintTileHorizontal);
    connect(tileH, &QAction::triggered, this, [this] { tile(Qt::Horizontal); });
    QAction* tileV = addCommand(QStringLiteral("WindowTileVertical1"), Str::ActionTileVertical, Str::HintTileVertical);
    connect(tileV, &QAction::triggered, this, [this] { tile(Qt::Vertical); });
    QAction* help = addCommand(QStringLiteral("OpenHelp"), Str::ActionHelpIndex, Str::HintHelpIndex);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::ApplicationShortcut);
    connect(help, &QAction::triggered, this, &TMainForm::OpenHelpExecute);
    QAction* about = addCommand(QStringLiteral("HelpAbout1"), Str::ActionAbout, Str::HintAbout);
    connect(about, &QAction::triggered, this, &TMainForm::HelpAbout1Execute);
    QAction* monitor = addCommand(QStringLiteral("OpenMonitor"), Str::MonitorCaption);
    monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    monitor->setShortcutContext(Qt::ApplicationShortcut);
    addAction(monitor); // reachable by its shortcut only
    connect(monitor, &QAction::triggered, this, [this] { openOrActivate(QStringLiteral("TMonitorForm")); });
}

void TMainForm::setCommandIcons()
{
    if (!QIcon::hasThemeIcon(QStringLiteral("edit-cut"))) {
        // No desktop theme to ask (a bare X server): look where the system keeps the icon themes.
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths()
                                   + QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                               QStringLiteral("icons"), QStandardPaths::LocateDirectory));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
    for (const auto& [name, icon] : kCommandIcons)
        action(QString::fromLatin1(name))->setIcon(fadedWhenDisabled(QIcon::fromTheme(QString::fromLatin1(icon))));
    // Child windows show it in their title bars, in place of the toolkit's logo.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("applications-science"), QApplication::windowIcon()));
}

void TMainForm::createMenus()
{
    auto addMenu = [this](const QString& name, Str caption, Str hint) {
        QMenu* menu = menuBar()->addMenu(QString());
        menu->setObjectName(name);
        translated([menu, caption, hint] {
            menu->setTitle(Text(caption));
            menu->menuAction()->setStatusTip(hintLong(Text(hint)));
        });
        return menu;
    };
    QMenu* file = addMenu(QStringLiteral("File1"), Str::MenuFile, Str::MenuFileHint);
    m_fileMenu = file;
    file->addAction(action(QStringLiteral("OpenDatabase")));
    QMenu* open = file->addMenu(QString());
    open->setObjectName(QStringLiteral("OpenTable1"));
    translated([open] {
        open->setTitle(Text(Str::MenuOpenTable));
        open->menuAction()->setStatusTip(Text(Str::MenuOpenTableHint));
    });
    for (const char* name : {"OpenDevice", "OpenDevType", "OpenNextRep", "OpenReport", "OpenRefusal", "OpenAccount",
                             "OpenSprav"})
        open->addAction(action(QString::fromLatin1(name)));
    file->addSeparator();
    file->addAction(action(QStringLiteral("SaveAs")));
    file->addAction(action(QStringLiteral("FileClose")));
    file->addSeparator();
    file->addAction(action(QStringLiteral("Preview")));
    addImportCommands(file);
    file->addSeparator();
    // The plants opened last go here, above Exit.
    m_recentSeparator = file->addSeparator();
    file->addAction(action(QStringLiteral("FileExit1")));

    QMenu* view = addMenu(QStringLiteral("View1"), Str::MenuView, Str::MenuViewHint);
    view->addAction(action(QStringLiteral("OpenManager")));
    view->addSeparator();
    view->addAction(action(QStringLiteral("CheckComplect")));
    view->addAction(action(QStringLiteral("Swap")));
    view->addAction(action(QStringLiteral("OpenTableProp")));
    view->addSeparator();
    view->addAction(action(QStringLiteral("Find")));
    connect(view, &QMenu::aboutToShow, this, &TMainForm::ViewMenuShow);

    QMenu* edit = addMenu(QStringLiteral("Edit1"), Str::MenuEdit, Str::MenuEditHint);
    for (const char* name : {"EditCut1", "EditCopy1", "EditPaste1", "SelectAll"})
        edit->addAction(action(QString::fromLatin1(name)));

    QMenu* options = addMenu(QStringLiteral("Options1"), Str::MenuOptions, Str::MenuOptionsHint);
    options->addAction(action(QStringLiteral("FontEdit1")));
    QMenu* remind = m_dueReminder->addHorizonMenu(options);
    translated([remind] {
        remind->setTitle(Text(Str::MenuRemind));
        remind->menuAction()->setStatusTip(Text(Str::HintRemind));
        for (QAction* item : remind->actions())
            if (!item->isSeparator())
                item->setText(item->data().toInt() == DueRule::Off ? Text(Str::RemindOff)
                                                                   : FormatText(Str::RemindDays, item->data().toInt()));
    });
    m_skinMenu = options->addMenu(QString());
    m_skinMenu->setObjectName(QStringLiteral("SkinMenu"));
    translated([this] {
        m_skinMenu->setTitle(Text(Str::MenuSkins));
        m_skinMenu->menuAction()->setStatusTip(Text(Str::HintSkins));
    });
    buildSkinMenu();
    buildLanguageMenu(options);

    QMenu* window = addMenu(QStringLiteral("Window1"), Str::MenuWindow, Str::MenuWindowHint);
    for (const char* name : {"WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1"})
        window->addAction(action(QString::fromLatin1(name)));
    connect(window, &QMenu::aboutToShow, this, [this, window] {
        // The platform's list of open child windows follows the arrange commands.
        const auto actions = window->actions();
        for (int i = 3; i < actions.size(); ++i)
            window->removeAction(actions[i]), actions[i]->deleteLater();
        const auto windows = m_mdi->subWindowList();
        if (!windows.isEmpty())
            window->addSeparator();
        for (int i = 0; i < windows.size(); ++i) {
            QMdiSubWindow* sub = windows[i];
            QAction* item = window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(sub->windowTitle()));
            item->setCheckable(true);
            item->setChecked(sub == m_mdi->activeSubWindow());
            connect(item, &QAction::triggered, this, [this, sub] { m_mdi->setActiveSubWindow(sub); });
        }
    });

    QMenu* help = addMenu(QStringLiteral("Help1"), Str::MenuHelp, Str::MenuHelpHint);
    help->addAction(action(QStringLiteral("OpenHelp")));
    help->addSeparator();
    help->addAction(action(QStringLiteral("HelpAbout1")));
}

void TMainForm::createToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->addAction(action(QStringLiteral("OpenManager")));
    for (const char* name : {"EditCut1", "EditCopy1", "EditPaste1"})
        bar->addAction(action(QString::fromLatin1(name)));
    m_tableSelector = new QComboBox(bar);
    m_tableSelector->setObjectName(QStringLiteral("sComboTable"));
    m_tableSelector->setFixedWidth(289);
    for (int i = 0; i < int(std::size(kSelectorCaptions)); ++i)
        m_tableSelector->addItem(QString());
    translated([this] {
        m_tableSelector->setToolTip(Text(Str::MainChooseTable));
        m_tableSelector->setStatusTip(Text(Str::MainChooseTable));
        for (int i = 0; i < int(std::size(kSelectorCaptions)); ++i)
            m_tableSelector->setItemText(i, withoutAccelerator(Text(kSelectorCaptions[i])));
    });
    m_tableSelector->setCurrentIndex(-1);
    connect(m_tableSelector, &QComboBox::activated, this, &TMainForm::sComboTableChange);
    bar->addWidget(m_tableSelector);
    for (const char* name : {"OpenTableProp", "Swap", "Find", "Preview", "SaveAs", "OpenHelp"})
        bar->addAction(action(QString::fromLatin1(name)));
    bar->setFixedHeight(m_tableSelector->sizeHint().height() + 16);
}

void TMainForm::sComboTableChange(int index)
{
    if (index < 0 || index >= int(std::size(kSelectorClasses)))
        return;
    QWidget* child = openOrActivate(QString::fromLatin1(kSelectorClasses[index]));
    if (child && index <= 4 && index != 3)
        switchView(child, false); // items of the data windows bring them back to their table view
}

void TMainForm::switchView(QWidget* window, bool formView, int page)
{
    if (!window)
        return;
    QWidget* grid = window->findChild<QWidget*>(QStringLiteral("GridPanel"));
    QWidget* form = window->findChild<QWidget*>(QStringLiteral("FormPanel"));
    if (!grid || !form)
        return;
    // The page first, so that the form view opens the datasets of that page only.
    if (formView && page >= 0)
        form->setProperty("currentIndex", page);
    if (form->isHidden() != formView)
        return;
    // The window's own toggle posts a pending edit and opens or closes the datasets of the page.
    if (auto* swap = window->findChild<QAction*>(QStringLiteral("Swap"))) {
        swap->trigger();
        return;
    }
    grid->setVisible(!formView);
    form->setVisible(formView);
}

QWidget* TMainForm::findChildWindow(const QString& className) const
{
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->widget() && QString::fromLatin1(sub->widget()->metaObject()->className()) == className)
            return sub->widget();
    return nullptr;
}

QWidget* TMainForm::activeChild() const
{
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

QWidget* TMainForm::openOrActivate(const QString& className, bool* existed)
{
    // Taken before anything changes: the window asked for joins the layout the user has.
    const bool maximised = SubWindowLayout::maximised(*m_mdi);
    if (QWidget* open = findChildWindow(className)) {
        if (existed)
            *existed = true;
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget());
        SubWindowLayout::bringForward(*sub, maximised);
        m_mdi->setActiveSubWindow(sub);
        return open;
    }
    if (existed)
        *existed = false;
    QWidget* child = nullptr;
    if (className == QLatin1String("TMonitorForm"))
        child = new TMonitorForm;
    else if (factories().contains(className))
        child = factories().value(className)();
    if (!child)
        return nullptr;
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->setFont(font());
    // The frame takes the size the window gave itself (its stored geometry, if any, comes when it is
    // shown); without one, its size hint.
    const QSize wanted = child->testAttribute(Qt::WA_Resized) ? child->size() : child->sizeHint();
    // A window may ask for its own title-bar buttons (the manager cannot be minimised).
    QMdiSubWindow* sub = m_mdi->addSubWindow(child, child->windowFlags() & ~Qt::WindowType_Mask);
    if (wanted.isValid()) {
        const QSize frame = (sub->sizeHint() - child->sizeHint()).expandedTo(QSize(0, 0)); // title bar and borders
        sub->resize(sub->sizeHint().expandedTo(wanted + frame));
    }
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(child->windowTitle());
    sub->show();
    // The first showing has applied the window's stored geometry; the layout has the last word.
    SubWindowLayout::placeNew(*sub, maximised);
    m_mdi->setActiveSubWindow(sub);
    return child;
}

void TMainForm::restoreMinimised()
{
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->isMinimized())
            sub->showNormal();
}

// QMdiArea::tileSubWindows lays the windows out in a grid; the commands ask for strips: stacked rows
// (horizontally) or side-by-side columns (vertically), the active window first.
void TMainForm::tile(Qt::Orientation orientation)
{
    restoreMinimised();
    QList<QMdiSubWindow*> windows;
    const auto stacking = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        if ((*it)->isHidden())
            continue;
        if ((*it)->isMaximized())
            (*it)->showNormal();
        windows.append(*it);
    }
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        if (orientation == Qt::Horizontal) {
            const int top = area.top() + area.height() * i / n;
            const int bottom = area.top() + area.height() * (i + 1) / n;
            windows[i]->setGeometry(area.left(), top, area.width(), bottom - top);
        } else {
            const int left = area.left() + area.width() * i / n;
            const int right = area.left() + area.width() * (i + 1) / n;
            windows[i]->setGeometry(left, area.top(), right - left, area.height());
        }
    }
}

void TMainForm::FontEdit1Accept()
{
    FontDialog dialog(font(), this);
    if (dialog.exec() == QDialog::Accepted)
        applyFont(dialog.selectedFont());
}

void TMainForm::applyFont(QFont font)
{
    // Larger type does not fit the fixed-width button columns of the table windows.
    if (font.pointSizeF() > 12)
        font.setPointSizeF(12);
    setFont(font);
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
        QWidget* child = sub->widget();
        if (!child)
            continue;
        // Table windows lay their buttons out again for the new type.
        if (child->metaObject()->indexOfMethod("fontChanged()") >= 0)
            QMetaObject::invokeMethod(child, "fontChanged");
        child->setFont(font);
    }
}

// The printer shows the wait cursor itself while it counts the pages; the preview is read with the
// normal one. A window with a print command of its own prints its focused grid with its own title.
void TMainForm::PreviewExecute()
{
    QWidget* child = activeChild();
    auto* grid = qobject_cast<QTableView*>(focusedGrid(child));
    // A window whose Print decides itself what to print (a chart page) gets Preview whatever has the focus.
    if (isTableWindow(child) && child->property("PreviewRunsPrint").toBool())
        runChildCommand(child, QStringLiteral("Print"));
    else if (grid && !isTableWindow(child) && child->findChild<QAbstractButton*>(QStringLiteral("btnPrint")))
        runChildCommand(child, QStringLiteral("Print"));
    else if (grid)
        GridPrinter(grid).preview(this);
    else if (isTableWindow(child))
        runChildCommand(child, QStringLiteral("Print"));
}

void TMainForm::SaveAsExecute()
{
    QWidget* child = activeChild();
    if (isTableWindow(child))
        runChildCommand(child, QStringLiteral("Save"));
    else if (auto* grid = qobject_cast<QTableView*>(focusedGrid(child)))
        saveSelectedRows(grid, this);
}

void TMainForm::SelectAllExecute()
{
    QWidget* child = activeChild();
    if (isTableWindow(child))
        runChildCommand(child, QStringLiteral("SelectAll"));
    else if (QAbstractItemView* grid = focusedGrid(child))
        grid->selectAll();
}

void TMainForm::FindExecute()
{
    QWidget* child = activeChild();
    QAbstractItemView* grid = focusedGrid(child);
    if (!grid)
        return;
    if (isTableWindow(child)) {
        runChildCommand(child, QStringLiteral("Find"));
        return;
    }
    // Other windows' grids share the main window's find dialog.
    auto* model = qobject_cast<DatasetModel*>(grid->model());
    if (!model || !model->dataset())
        return;
    FindDialog* dialog = FindDialog::shared(this);
    dialog->setDataset(model->dataset());
    const QModelIndex current = grid->currentIndex();
    const auto& fields = model->dataset()->fields();
    const int column = current.isValid() ? current.column() : -1;
    const QString field = column >= 0 && column < int(fields.size()) ? fields[column]->name() : QString();
    dialog->setSearch(current.isValid() ? current.data().toString() : QString(), field);
    dialog->show();
    dialog->raise();
}

// Opening the View menu brings an open device window to the front, so that "Show kits" visibly acts
// on it.
void TMainForm::ViewMenuShow()
{
    if (findChildWindow(QStringLiteral("TDeviceForm")))
        openOrActivate(QStringLiteral("TDeviceForm"));
    updateActions();
}

void TMainForm::CheckComplectExecute()
{
    QAction* kits = action(QStringLiteral("CheckComplect"));
    if (!findChildWindow(QStringLiteral("TDeviceForm"))) {
        kits->setChecked(false);
        return;
    }
    QWidget* device = openOrActivate(QStringLiteral("TDeviceForm"));
    const bool visible = !device->property("ComplectVisible").toBool();
    device->setProperty("ComplectVisible", visible);
    kits->setChecked(device->property("ComplectVisible").toBool());
}

void TMainForm::OpenHelpExecute()
{
    const QString path = THelpForm::indexPath();
    if (!QFileInfo(path).isFile()) {
        QStringList places;
        for (const QString& place : THelpForm::placesLookedIn())
            places.append(QDir::toNativeSeparators(place));
        Messages::error(FormatText(Str::HelpNotFound, places.join(QLatin1Char('\r'))));
        return;
    }
    if (!m_help) {
        m_help = new THelpForm(this);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        m_help->openPage(path);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

THelpForm* TMainForm::helpForm() const { return m_help; }

QString TMainForm::databasePath() const
{
    const TDM* dm = TDM::instance();
    if (!dm)
        return {};
    const SqlConnection* connection = dm->ADOConnection();
    if (!connection->server().isEmpty())
        return DatabaseChoice::shownName(connection->server());
    return QFileInfo(connection->databaseFile()).absoluteFilePath();
}

void TMainForm::HelpAbout1Execute()
{
    TAboutForm box(m_version, QDir::toNativeSeparators(databasePath()), this);
    box.adjustSize();
    if (QScreen* screen = this->screen())
        box.move(screen->availableGeometry().center() - box.rect().center());
    box.exec();
}

// Each language by its own name, so that a user who reads only that one finds it.
void TMainForm::buildLanguageMenu(QMenu* options)
{
    m_languageMenu = options->addMenu(QString());
    m_languageMenu->setObjectName(QStringLiteral("LanguageMenu"));
    translated([this] {
        m_languageMenu->setTitle(Text(Str::MenuLanguage));
        m_languageMenu->menuAction()->setStatusTip(Text(Str::HintLanguage));
    });
    auto* group = new QActionGroup(m_languageMenu);
    group->setExclusive(true);
    const std::tuple<const char*, Str, int> languages[] = {{"LanguageRussian", Str::LanguageRussian, 1},
                                                           {"LanguageEnglish", Str::LanguageEnglish, 0}};
    for (const auto& [name, caption, language] : languages) {
        QAction* item = m_languageMenu->addAction(Text(caption));
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        item->setData(language);
        item->setChecked(language == languageIndex());
        group->addAction(item);
    }
    connect(group, &QActionGroup::triggered, this, [this](QAction* item) { chooseLanguage(item->data().toInt()); });
}

void TMainForm::buildSkinMenu()
{
    m_skinGroup = new QActionGroup(this);
    m_skinGroup->setExclusive(true);
    // Each name goes to the top of the submenu, so the submenu lists the skins in reverse order.
    for (const QString& name : m_skins.names()) {
        auto* item = new QAction(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")), m_skinGroup);
        item->setCheckable(true);
        item->setData(name);
        const auto items = m_skinMenu->actions();
        m_skinMenu->insertAction(items.isEmpty() ? nullptr : items.first(), item);
    }
    connect(m_skinGroup, &QActionGroup::triggered, this, &TMainForm::SkinItemClick);
}

bool TMainForm::selectSkinItem(const QString& name)
{
    const QString wanted = withoutAccelerator(name);
    for (QAction* item : m_skinMenu->actions()) {
        const QString itemName = item->data().toString();
        if (withoutAccelerator(itemName).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (!applySkin(itemName))
            return false;
        item->setChecked(true);
        return true;
    }
    return false;
}

// Runs once, after the settings are loaded: the remembered skin if the menu has it, else Neutral,
// else the plain look under the name Neutral. Qt lays the windows out again by itself when a sheet
// changes, and nothing here depends on painting, so no repaint can bring it back round.
void TMainForm::applyRememberedSkin()
{
    if (m_skins.current() == m_skinName)
        return;
    m_applyingSkin = true;
    if (!selectSkinItem(m_skinName)) {
        m_skinName = Skins::neutralName();
        if (!selectSkinItem(m_skinName))
            applySkin(m_skinName);
    }
    m_applyingSkin = false;
}

// A sheet sets the MDI area's background as a property, which outlives the sheet: start each skin
// from the plain one.
bool TMainForm::applySkin(const QString& name)
{
    const QBrush previous = m_mdi->background();
    m_mdi->setBackground(m_plainMdiBackground);
    if (m_skins.apply(name))
        return true;
    m_mdi->setBackground(previous);
    return false;
}

void TMainForm::SkinItemClick(QAction* item)
{
    const QString name = item->data().toString();
    if (m_applyingSkin || name == m_skins.current())
        return;
    m_applyingSkin = true;
    if (applySkin(name)) {
        m_skinName = m_skins.current();
    } else {
        // The sheet could not be read: the check mark goes back to the skin still shown.
        item->setChecked(false);
        for (QAction* other : m_skinGroup->actions())
            if (other->data().toString() == m_skins.current())
                other->setChecked(true);
    }
    m_applyingSkin = false;
}

void TMainForm::updateActions()
{
    QWidget* child = activeChild();
    const bool anyChild = !m_mdi->subWindowList().isEmpty();
    const bool tableRule = anyChild && (isTableWindow(child) || focusInGrid(child));
    for (const OpenCommand& command : kOpenCommands)
        action(QString::fromLatin1(command.action))
            ->setEnabled(hasWindow(QString::fromLatin1(command.windowClass)));
    // Like the open commands: a window not built yet cannot be chosen.
    if (auto* items = qobject_cast<QStandardItemModel*>(m_tableSelector->model()))
        for (int i = 0; i < items->rowCount(); ++i)
            items->item(i)->setEnabled(hasWindow(QString::fromLatin1(kSelectorClasses[i])));
    action(QStringLiteral("SaveAs"))->setEnabled(tableRule);
    action(QStringLiteral("Preview"))->setEnabled(tableRule);
    action(QStringLiteral("SelectAll"))->setEnabled(tableRule);
    action(QStringLiteral("FileClose"))->setEnabled(anyChild);
    action(QStringLiteral("Swap"))->setEnabled(isTableWindow(child));
    action(QStringLiteral("OpenTableProp"))->setEnabled(isTableWindow(child));
    action(QStringLiteral("Find"))->setEnabled(anyChild && focusInGrid(child));
    QWidget* device = findChildWindow(QStringLiteral("TDeviceForm"));
    action(QStringLiteral("CheckComplect"))->setEnabled(device != nullptr);
    if (device)
        action(QStringLiteral("CheckComplect"))->setChecked(device->property("ComplectVisible").toBool());
    const ClipboardState clipboard = clipboardState(focusedTextEditor());
    action(QStringLiteral("EditCut1"))->setEnabled(clipboard.canCut);
    action(QStringLiteral("EditCopy1"))->setEnabled(clipboard.canCopy);
    action(QStringLiteral("EditPaste1"))->setEnabled(clipboard.canPaste);
}

QString TMainForm::rememberedSkin() const { return m_skinName; }

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_firstShown)
        return;
    m_firstShown = true;
    // After the window is on screen, so that the upgrade's boxes have a visible owner.
    QMetaObject::invokeMethod(this, &TMainForm::FormFirstShow, Qt::QueuedConnection);
}

void TMainForm::FormFirstShow()
{
    loadSettings();
    applyRememberedSkin();
    databaseOpened();
}

void TMainForm::databaseOpened()
{
    showDatabaseName();
    if (TDM* dm = TDM::instance()) {
        SchemaUpgrade upgrade(*dm->ADOConnection());
        const SchemaUpgrade::Outcome outcome = upgrade.CheckSchemaVersion();
        const bool usable =
            outcome == SchemaUpgrade::Outcome::UpToDate || outcome == SchemaUpgrade::Outcome::Upgraded;
        const QString file = dm->ADOConnection()->databaseFile();
        if (usable && !file.isEmpty())
            PlantFiles::remember(FormSettings::defaultFileName(), file);
        updateRecentMenu();
        showReadOnly(*dm->ADOConnection(), usable);
        if (usable)
            m_dueReminder->remindAtStart(*dm->ADOConnection(), this, hasWindow(QStringLiteral("TNextRepForm")),
                                         [this] { openDueSchedule(); });
    }
    updateActions();
}

void TMainForm::showDatabaseName()
{
    const QString caption = withoutAccelerator(Text(Str::MainCaption)) + QStringLiteral(" v") + m_version;
    const QString shown = QDir::toNativeSeparators(databasePath());
    setWindowTitle(shown.isEmpty() ? caption : caption + QStringLiteral(" — ") + shown);
    m_databaseLabel->setText(shown.isEmpty() ? QString() : FormatText(Str::DatabaseFile, shown));
    m_databaseLabel->setToolTip(QString());
}

void TMainForm::updateRecentMenu()
{
    for (QAction* item : std::as_const(m_recentItems)) {
        m_fileMenu->removeAction(item);
        item->deleteLater();
    }
    m_recentItems.clear();
    const QStringList paths = PlantFiles::recent(FormSettings::defaultFileName());
    for (int i = 0; i < paths.size(); ++i) {
        const QString shown = QDir::toNativeSeparators(paths[i]);
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"))), m_fileMenu);
        item->setObjectName(QStringLiteral("RecentDatabase%1").arg(i + 1));
        item->setStatusTip(shown);
        const QString path = paths[i];
        connect(item, &QAction::triggered, this, [this, path] { openDatabase(path); });
        m_fileMenu->insertAction(m_recentSeparator, item);
        m_recentItems.append(item);
    }
    if (!paths.isEmpty()) {
        // A separator of their own between the plants and Exit.
        QAction* line = new QAction(m_fileMenu);
        line->setSeparator(true);
        m_fileMenu->insertAction(m_recentSeparator, line);
        m_recentItems.append(line);
    }
}

void TMainForm::OpenDatabaseExecute()
{
    const QString current = TDM::instance() ? TDM::instance()->ADOConnection()->databaseFile() : QString();
    const QString folder = current.isEmpty() ? QDir::currentPath() : QFileInfo(current).absolutePath();
    const QString chosen = PlantFiles::choose(this, folder);
    if (!chosen.isEmpty())
        openDatabase(chosen);
}

bool TMainForm::openDatabase(const QString& fileName)
{
    TDM* dm = TDM::instance();
    if (!dm || fileName.isEmpty())
        return false;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    // Tried on a connection of its own first: a file that cannot be opened (missing, damaged, held
    // by another program) leaves the plant in use and its windows as they are.
    {
        SqlConnection trial;
        trial.setDatabaseFile(path);
        if (!InstrelApplication::guarded([&trial] { trial.open(); }))
            return false;
    }
    // The windows store their pending edits in the plant they were opened on; one that cannot keep
    // its edit stays open and the plant stays as it is.
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty())
        return false;
    dm->ADOConnection()->setDatabaseFile(path);
    databaseOpened();
    return true;
}

void TMainForm::showReadOnly(SqlConnection& connection, bool tell)
{
    QString reason;
    try {
        reason = connection.readOnlyReason();
    } catch (const DatabaseError&) {
        return; // a database that cannot be opened has told its own cause
    }
    if (reason.isEmpty())
        return;
    m_databaseLabel->setText(m_databaseLabel->text() + QStringLiteral(" — ") + Text(Str::DatabaseReadOnlyStatus));
    m_databaseLabel->setToolTip(reason);
    // A database from a newer program has said so already; a read-only file says it here, once.
    if (tell)
        Messages::information(reason);
}

void TMainForm::openDueSchedule()
{
    auto* schedule = qobject_cast<TBaseForm*>(openOrActivate(QStringLiteral("TNextRepForm")));
    if (!schedule)
        return;
    schedule->clearFilterRow();
    schedule->setFilterText(QStringLiteral("NextRep"), DueRule::dueCondition(Clock::today(), DueReminder::horizon()));
}

void TMainForm::loadSettings()
{
    FormSettings settings(QStringLiteral("TMainForm"));
    bool broken = !settings.isReadable();
    QFont stored;
    if (!broken && settings.contains(QStringLiteral("Font")))
        broken = !stored.fromString(settings.value(QStringLiteral("Font")).toString());
    if (broken) {
        // A settings file the program cannot read is not worth keeping: start from the defaults.
        QFile::remove(settings.fileName());
        m_skinName = QStringLiteral("Label1");
        return;
    }
    if (settings.contains(QStringLiteral("Font")))
        setFont(stored);
    StoredGeometry::restore(settings.settings(), this);
    m_skinName = settings.value(QStringLiteral("Label1.Caption"), m_skinName).toString();
}

void TMainForm::saveSettings()
{
    FormSettings settings(QStringLiteral("TMainForm"));
    settings.setValue(QStringLiteral("Font"), font().toString());
    StoredGeometry::save(settings.settings(), this);
    settings.setValue(QStringLiteral("Label1.Caption"), m_skinName);
    m_settingsSaved = true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    saveSettings();
    QMainWindow::closeEvent(event);
}

// ---------------------------------------------------------------- device import

void TMainForm::addImportCommands(QMenu* file)
{
    QAction* import = addCommand(QStringLiteral("ImportDevices"), Str::ActionImportDevices, Str::HintImportDevices);
    connect(import, &QAction::triggered, this, &TMainForm::ImportDevicesExecute);
    QAction* pattern = addCommand(QStringLiteral("ImportTemplate"), Str::ActionImportTemplate, Str::HintImportTemplate);
    connect(pattern, &QAction::triggered, this, &TMainForm::ImportTemplateExecute);
    file->addSeparator();
    file->addAction(import);
    file->addAction(pattern);
}

void TMainForm::ImportDevicesExecute()
{
    TDM* dm = TDM::instance();
    if (!dm)
        return;
    auto* dialog = new TDeviceImportForm(*dm->ADOConnection(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

void TMainForm::ImportTemplateExecute()
{
    int filter = 0;
    const QString name = FileDialogs::getSaveFileName(this, QStringLiteral("Шаблон импорта"),
                                                      QStringLiteral("Шаблон импорта.xlsx"),
                                                      {QStringLiteral("Книга Excel и CSV (*.xlsx)")}, &filter);
    if (name.isEmpty())
        return;
    QString error;
    if (!ImportTemplate::write(name, error)) {
        Messages::error(error);
        return;
    }
    const QString base = QFileInfo(name).path() + QLatin1Char('/') + QFileInfo(name).completeBaseName();
    Messages::information(QStringLiteral("Записаны файлы «%1.xlsx» и «%1.csv».").arg(QDir::toNativeSeparators(base)));
}
