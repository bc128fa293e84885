#include "devices/NextRepFrm.h"

#include "app/Application.h"
#include "app/DueReminder.h"
#include "app/WindowJumps.h"
#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "devices/DeviceFrm.h"
#include "devices/DueLegend.h"
#include "devices/DueMarks.h"
#include "devices/rules/DueRule.h"
#include "tables/FieldBinder.h"
#include "tables/GridColumns.h"
#include "text/StrList.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>

namespace {

struct ColumnText {
    const char* field;
    Str title;
    const char* editor; // the form page's editor of the column
};

// The visible columns in the order the list shows them; the view's keys stay hidden.
const ColumnText kColumns[] = {
    {"ANumber", Str::ColAccessCode, "editAnumber"},
    {"ZNumber", Str::ColManufactureCode, "editZnumber"},
    {"Name_DevType", Str::ColType, "editType"},
    {"Mark_DevType", Str::ColModel, "editModel"},
    {"Short_Reps", Str::ColShortServiceName, "editShortName"},
    {"Name_Reps", Str::ColFullServiceName, "editFullName"},
    {"LastRep", Str::ColLastDate, "editLast"},
    {"NextRep", Str::ColNextDate, "editNext"},
    {"RT_Mon", Str::ColIntervalMonths, "editRT_Mon"},
};

const QString kNextDate = QStringLiteral("NextRep");

} // namespace

TNextRepForm::TNextRepForm(QWidget* parent) : TBaseForm(mainQuery(), parent)
{
    setObjectName(QStringLiteral("NextRepForm"));
    dsMain()->setObjectName(QStringLiteral("dsService"));
    setRowIdentityField(QStringLiteral("ID_NextRep"));
    setWindowTitle(withoutAccelerator(Text(Str::WinServices)));
    setUpMainView();
    createEditors();
    for (const char* name : {"btnInsert", "btnSame", "btnDelete"})
        hideButton(QString::fromLatin1(name));
    for (const char* name : {"Insert2", "Same", "Delete"})
        action(QString::fromLatin1(name))->setVisible(false);
    addButton(addCommand(QStringLiteral("Edit"), Text(Str::BtnEdit), Text(Str::HintEditService),
                         [this] { btnEditClick(); }, [this] { return dsMain()->isActive() && !dsMain()->isEmpty(); }),
              9);
    createDueCommands();
}

void TNextRepForm::setUpMainView()
{
    QList<GridColumns::Column> columns;
    for (const ColumnText& column : kColumns)
        columns.append({QString::fromLatin1(column.field), withoutAccelerator(Text(column.title))});
    GridColumns::show(*grid(), *dsMain(), columns);
    GridColumns::widenToTitles(*grid());
    m_legend = new DueLegend(this);
    addStatusWidget(m_legend);
    m_marks = DueMarks::attach(grid(), kNextDate, m_legend);
}

// One read-only editor per visible column, labelled as its column.
void TNextRepForm::createEditors()
{
    FormPanel()->setTabText(0, withoutAccelerator(Text(Str::PageInformation)));
    QWidget* page = ScrollBox1()->widget();
    m_binder = new FieldBinder(dsMain(), this);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->setColumnStretch(1, 1);
    int row = 0;
    for (const ColumnText& column : kColumns) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QString::fromLatin1(column.editor));
        edit->setReadOnly(true);
        m_binder->bind(edit, QString::fromLatin1(column.field));
        auto* label = new QLabel(withoutAccelerator(Text(column.title)), page);
        label->setBuddy(edit);
        layout->addWidget(label, row, 0);
        layout->addWidget(edit, row, 1);
        m_editorsByField.insert(QString::fromLatin1(column.field).toLower(), edit);
        ++row;
    }
    // The interval has no editor to focus from the list: a double click there only switches the view.
    m_editorsByField.remove(QStringLiteral("rt_mon"));
    layout->setRowStretch(row, 1);
}

void TNextRepForm::createDueCommands()
{
    const auto add = [this](const char* name, Str caption, Str hint, Handler run, Condition enabled, int tag) {
        QAction* a = addCommand(QString::fromLatin1(name), Text(caption), Text(hint), std::move(run), std::move(enabled));
        addButton(a, tag);
        return a;
    };
    const auto active = [this] { return dsMain()->isActive(); };
    add("ShowOverdue", Str::DueFilterOverdue, Str::DueFilterOverdueHint, [this] { ShowOverdue(); }, active, 10);
    QAction* soon = add("ShowDueSoon", Str::DueFilterSoon, Str::DueFilterSoonHint, [this] { ShowDueSoon(); },
                        [this] { return dsMain()->isActive() && m_marks->horizon() != DueRule::Off; }, 11);
    QAction* all = add("ShowAll", Str::DueFilterAll, Str::DueFilterAllHint, [this] { ShowAll(); }, active, 12);
    if (auto* menu = findChild<QMenu*>(QStringLiteral("PopupMenu1"))) {
        menu->addSeparator();
        menu->addActions({action(QStringLiteral("ShowOverdue")), soon, all});
    }
    // The button of the box is narrow: it shows the short caption, the menu the full one.
    const auto name = [soon](int days) {
        const int shown = days == DueRule::Off ? DueRule::DefaultHorizon : days;
        soon->setText(FormatText(Str::DueFilterSoon, shown));
        soon->setIconText(FormatText(Str::DueFilterSoonButton, shown));
    };
    name(m_marks->horizon());
    connect(&DueReminder::changes(), &DueReminder::horizonChanged, soon, name);
}

void TNextRepForm::ShowOverdue() { setFilterText(kNextDate, DueRule::overdueCondition(Clock::today())); }

void TNextRepForm::ShowDueSoon()
{
    if (m_marks->horizon() != DueRule::Off)
        setFilterText(kNextDate, DueRule::dueSoonCondition(Clock::today(), m_marks->horizon()));
}

void TNextRepForm::ShowAll() { clearFilterRow(); }

void TNextRepForm::GoToField(const QString& fieldName)
{
    if (!InstrelApplication::guarded([this] { Swap(); }))
        return;
    if (QWidget* editor = m_editorsByField.value(fieldName.toLower()); editor && isFormView())
        editor->setFocus();
}

void TNextRepForm::FormActivate()
{
    TBaseForm::FormActivate();
    m_marks->setHorizon(DueReminder::horizon()); // a new day or a horizon chosen meanwhile
}

// The jump never lands on another device: a device or service the device window does not list is
// said so, and that window stays where it was.
bool TNextRepForm::btnEditClick()
{
    if (dsMain()->isEmpty())
        return false;
    const QVariant device = dsMain()->value(QStringLiteral("IDevice"));
    const QVariant service = dsMain()->value(QStringLiteral("ID_NextRep"));
    auto* devices = qobject_cast<TDeviceForm*>(WindowJumps::openWindow(this, QStringLiteral("TDeviceForm")));
    if (!devices)
        return false;
    if (!devices->LocateDevice(device)) {
        Messages::warning(Text(Str::NextRepDeviceNotListed));
        return false;
    }
    if (!devices->ShowService(service)) {
        Messages::warning(Text(Str::NextRepServiceNotListed));
        return false;
    }
    return true;
}
