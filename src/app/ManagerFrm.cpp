#include "app/ManagerFrm.h"

#include "app/MainFrm.h"
#include "app/StoredGeometry.h"
#include "tables/FormSettings.h"
#include "text/StrList.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kSection = "TManagerForm";

// Where a node code leads: the window class, the view, and the form page to select (-1: none).
struct Target {
    const char* windowClass;
    bool formView;
    int page;
};

bool targetOf(int code, Target* target)
{
    switch (code) {
    case 0:
        *target = {"TDeviceForm", false, -1};
        return true;
    case 1: case 2: case 3: case 4: case 5:
        *target = {"TDeviceForm", true, code - 1};
        return true;
    case 10: case 11:
        *target = {"TTypeForm", code == 11, -1};
        return true;
    case 20: case 21:
        *target = {"TNextRepForm", code == 21, -1};
        return true;
    case 30: case 31:
        *target = {"TReportForm", code == 31, -1};
        return true;
    case 40:
        *target = {"TMalfunctionForm", false, -1};
        return true;
    case 41: case 42:
        *target = {"TMalfunctionForm", true, code - 41};
        return true;
    case 50:
        *target = {"TAccountForm", false, -1};
        return true;
    case 51:
        *target = {"TAccountForm", true, 0};
        return true;
    default:
        return false;
    }
}

} // namespace

TManagerForm::TManagerForm(QWidget* parent) : QWidget(parent), m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ManagerForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Inside the main window's frame: system menu and maximising, no minimising.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(withoutAccelerator(Text(Str::WinManager)));
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &TManagerForm::TreeView1DblClick);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    resize(320, 420);
    buildTree();
}

int TManagerForm::codeOf(const QTreeWidgetItem* item) { return item ? item->data(0, Qt::UserRole).toInt() : -1; }

QTreeWidgetItem* TManagerForm::addNode(QTreeWidgetItem* parent, const QString& caption, int code)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, withoutAccelerator(caption));
    item->setData(0, Qt::UserRole, code);
    return item;
}

void TManagerForm::buildTree()
{
    m_tree->clear();
    const QString table = Text(Str::TitleTable);
    const QString information = Text(Str::PageInformation);

    QTreeWidgetItem* devices = addNode(nullptr, Text(Str::WinDevices), DeviceTable);
    addNode(devices, table, DeviceTable);
    const Str devicePages[] = {Str::PageInformation, Str::PageExtended, Str::PageShiftLog, Str::PageServiceLog,
                               Str::PageEditLog};
    for (int i = 0; i < int(std::size(devicePages)); ++i)
        addNode(devices, Text(devicePages[i]), DeviceTable + 1 + i);

    QTreeWidgetItem* types = addNode(nullptr, Text(Str::WinTypes), TypeTable);
    addNode(types, table, TypeTable);
    addNode(types, information, TypeForm);

    QTreeWidgetItem* services = addNode(nullptr, Text(Str::WinServices), ServiceTable);
    addNode(services, table, ServiceTable);
    addNode(services, information, ServiceForm);

    QTreeWidgetItem* reports = addNode(nullptr, Text(Str::WinServiceReports), ReportTable);
    addNode(reports, table, ReportTable);
    addNode(reports, Text(Str::PageChart), ReportChart);

    QTreeWidgetItem* malfunctions = addNode(nullptr, Text(Str::WinMalfunctions), MalfunctionTable);
    addNode(malfunctions, table, MalfunctionTable);
    addNode(malfunctions, information, MalfunctionTable + 1);
    addNode(malfunctions, Text(Str::PageParameters), MalfunctionParameters);

    QTreeWidgetItem* account = addNode(nullptr, Text(Str::WinAmountPerUnit), AccountTable);
    addNode(account, table, AccountTable);
    addNode(account, information, AccountForm);

    QTreeWidgetItem* linked = addNode(nullptr, Text(Str::WinLinkedTables), LinkedTablesCode);
    const QStringList names = linkedTableNames();
    for (int i = 0; i < names.size(); ++i)
        addNode(linked, names[i], LinkedTablesCode + i);
}

TMainForm* TManagerForm::mainForm() const { return qobject_cast<TMainForm*>(window()); }

void TManagerForm::TreeView1DblClick() { runCode(codeOf(m_tree->currentItem())); }

void TManagerForm::runCode(int code)
{
    TMainForm* main = mainForm();
    if (!main)
        return;
    if (code >= LinkedTablesCode && code < LinkedTablesCode + LinkedTableCount) {
        if (QWidget* sprav = main->openOrActivate(QStringLiteral("TSpravForm")))
            QMetaObject::invokeMethod(sprav, "SelectPage", Q_ARG(int, code - LinkedTablesCode));
        return;
    }
    Target target{};
    if (!targetOf(code, &target))
        return;
    // A window whose unit is not in the program yet cannot be opened: nothing happens.
    if (QWidget* child = main->openOrActivate(QString::fromLatin1(target.windowClass)))
        TMainForm::switchView(child, target.formView, target.page);
}

bool TManagerForm::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a node does what a double click does, for those who keep their hands on the keyboard.
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_tree->currentItem()) {
            TreeView1DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The stored geometry is that of the frame around the manager (a sub-window of the main window).
QWidget* TManagerForm::frame() { return qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this; }

void TManagerForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_settingsLoaded)
        return;
    m_settingsLoaded = true;
    loadSettings();
}

void TManagerForm::loadSettings()
{
    FormSettings settings(QString::fromLatin1(kSection));
    QFont stored;
    if (settings.contains(QStringLiteral("Font")) && stored.fromString(settings.value(QStringLiteral("Font")).toString()))
        setFont(stored);
    StoredGeometry::restore(settings.settings(), frame());
    // Whatever font was stored, the manager shows the main window's; the tree follows the window.
    if (TMainForm* main = mainForm())
        setFont(main->font());
}

void TManagerForm::saveSettings()
{
    FormSettings settings(QString::fromLatin1(kSection));
    settings.setValue(QStringLiteral("Font"), font().toString());
    StoredGeometry::save(settings.settings(), frame());
}

void TManagerForm::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QWidget::closeEvent(event);
}
