#include "devices/DeviceLogPage.h"

#include "app/Application.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "tables/DatasetGrid.h"
#include "tables/FieldBinder.h"
#include "tables/FormSettings.h"
#include "tables/GridSettings.h"
#include "text/StrList.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using DeviceLogs::Log;

namespace {

struct ColumnText {
    const char* field;
    Str title;
};

// The columns each log shows, in order. The author is last; a log without that column (a file the
// program may not extend) shows the others.
const ColumnText kEditColumns[] = {{"IDevice", Str::ColDeviceId},
                                   {"ANumber", Str::ColAccessCode},
                                   {"ZNumber", Str::ColManufactureCode},
                                   {"Victim", Str::DeviceColEditKind},
                                   {"ChangeDate", Str::DeviceColChangeDate},
                                   {"ChangedBy", Str::DeviceColChangedBy}};
const ColumnText kServiceColumns[] = {
    {"IDevice", Str::ColDeviceId},           {"Name_DevType", Str::ColType},
    {"Mark_DevType", Str::ColModel},         {"ZNumber", Str::ColManufactureCode},
    {"ANumber", Str::ColAccessCode},         {"Name_Reps", Str::ColFullServiceName},
    {"Short_Reps", Str::ColShortServiceName}, {"LastDate", Str::DeviceColLastDateBefore},
    {"ExpectedDate", Str::DeviceColNextDateBefore}, {"NewDate", Str::DeviceColLastDateAfter},
    {"NextDate", Str::DeviceColNextDateAfter}, {"ChangeDate", Str::DeviceColChangeDate},
    {"ChangedBy", Str::DeviceColChangedBy}};
const ColumnText kMoveColumns[] = {
    {"IDevice", Str::ColDeviceId},           {"Name_DevType", Str::ColType},
    {"Mark_DevType", Str::ColModel},         {"ZNumber", Str::ColManufactureCode},
    {"ANumber", Str::ColAccessCode},         {"LastLocation", Str::DeviceColLastLocation},
    {"NewLocation", Str::DeviceColNextLocation}, {"LastLocSet", Str::DeviceColLastPlace},
    {"NewLocSet", Str::DeviceColNextPlace},  {"LastState", Str::DeviceColLastState},
    {"NewState", Str::DeviceColNextState},   {"LastSetDate", Str::DeviceColLastSetupDate},
    {"NewSetDate", Str::DeviceColNextSetupDate}, {"LastSetPlace", Str::DeviceColLastExtPlace},
    {"NewSetPlace", Str::DeviceColNextExtPlace}, {"ChangeDate", Str::DeviceColChangeDate},
    {"Sign", Str::ColSign},                  {"Comments", Str::ColComments},
    {"ChangedBy", Str::DeviceColChangedBy}};

QString caption(Str text, bool colon = false)
{
    return withoutAccelerator(Text(text)) + (colon ? QStringLiteral(":") : QString());
}

} // namespace

DeviceLogPage::DeviceLogPage(Log log, Dataset* mainView, QWidget* parent)
    : QWidget(parent), m_log(log), m_mainView(mainView)
{
    static const char* const pages[] = {"TabSheetEditHist", "TabSheetRepHist", "TabSheetMovHist"};
    setObjectName(QString::fromLatin1(pages[int(log)]));
    m_dataset = new Dataset(this);
    m_dataset->setObjectName(name("ds"));
    m_dataset->setSql(DeviceLogs::deviceEntriesStatement(log));
    m_dataset->setMaster(mainView);
    m_binder = new FieldBinder(m_dataset, this);
    if (log == Log::Move) {
        // The move log's view is not a table the dataset could write to: the notes go by the entry's key.
        m_dataset->setRowWriter([](Dataset& entry) {
            if (!DeviceLogs::writeMoveNotes(*entry.connection(), entry))
                throw DatabaseError(messageText(Text(Str::DeviceMoveEntryGone)));
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (log == Log::Edit) {
        layout->addWidget(createTop());
    } else {
        m_splitter = new QSplitter(Qt::Vertical, this);
        m_splitter->setObjectName(name("Splitter"));
        m_splitter->setChildrenCollapsible(false);
        m_splitter->addWidget(createTop());
        m_splitter->addWidget(log == Log::Move ? createMovePanel() : createServicePanel());
        m_splitter->setStretchFactor(0, 1);
        layout->addWidget(m_splitter);
    }
    m_dataset->afterOpen.connect([this](Dataset&) { setColumns(); });
}

QString DeviceLogPage::name(const char* prefix) const
{
    static const char* const tables[] = {"EditHist", "RepHist", "MovHist"};
    return QString::fromLatin1(prefix) + QString::fromLatin1(tables[int(m_log)]);
}

QWidget* DeviceLogPage::createTop()
{
    auto* top = new QWidget;
    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout;
    static const char* const boxes[] = {"cbShowAll", "cbShowAll2", "cbShowAll3"};
    m_showAll = new QCheckBox(caption(Str::DeviceLogShowAll), top);
    m_showAll->setObjectName(QString::fromLatin1(boxes[int(m_log)]));
    m_clear = new QToolButton(top);
    m_clear->setObjectName(QStringLiteral("btn") + name("") + QStringLiteral("Clear"));
    m_clear->setText(caption(Str::DeviceLogClear));
    bar->addWidget(m_showAll);
    bar->addStretch(1);
    bar->addWidget(m_clear);
    layout->addLayout(bar);
    m_grid = new DatasetGrid(m_dataset, top);
    m_grid->setObjectName(name("grid"));
    m_grid->setReadOnly(true);
    m_grid->setSortableByTitles();
    layout->addWidget(m_grid, 1);
    connect(m_showAll, &QCheckBox::clicked, this,
            [this](bool all) { InstrelApplication::guarded([&] { ShowAllClick(all); }); });
    connect(m_clear, &QToolButton::clicked, this, [this] { InstrelApplication::guarded([this] { ClearClick(); }); });
    return top;
}

void DeviceLogPage::setColumns()
{
    QList<DatasetGrid::Column> columns;
    const auto add = [&columns](const auto& list) {
        for (const ColumnText& c : list)
            columns.append({QString::fromLatin1(c.field), caption(c.title)});
    };
    switch (m_log) {
    case Log::Edit:
        add(kEditColumns);
        break;
    case Log::Service:
        add(kServiceColumns);
        break;
    case Log::Move:
        add(kMoveColumns);
        break;
    }
    m_grid->setColumns(columns);
}

// The labels of the device above the entry's values, shared by both panels.
namespace {
QLineEdit* shown(FieldBinder* binder, QGridLayout* layout, int row, int column, const char* field, const char* name = nullptr)
{
    auto* edit = new QLineEdit;
    edit->setReadOnly(true);
    if (name)
        edit->setObjectName(QString::fromLatin1(name));
    binder->bind(edit, QString::fromLatin1(field));
    layout->addWidget(edit, row, column);
    return edit;
}

void deviceRows(FieldBinder* binder, QGridLayout* layout, int& row)
{
    const ColumnText device[] = {{"IDevice", Str::ColDeviceId},
                                 {"ANumber", Str::ColAccessCode},
                                 {"ZNumber", Str::ColManufactureCode},
                                 {"Name_DevType", Str::ColType},
                                 {"Mark_DevType", Str::ColModel}};
    for (const ColumnText& c : device) {
        layout->addWidget(new QLabel(caption(c.title, true)), row, 0);
        QLineEdit* edit = shown(binder, layout, row, 1, c.field);
        layout->removeWidget(edit);
        layout->addWidget(edit, row++, 1, 1, 2);
    }
}

void headings(QGridLayout* layout, int& row)
{
    auto* before = new QLabel(caption(Str::DeviceLogBefore));
    auto* after = new QLabel(caption(Str::DeviceLogAfter));
    for (QLabel* l : {before, after}) {
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }
    layout->addWidget(before, row, 1);
    layout->addWidget(after, row++, 2);
}
} // namespace

QWidget* DeviceLogPage::createServicePanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelRepHist"));
    auto* layout = new QGridLayout(panel);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    int row = 0;
    deviceRows(m_binder, layout, row);
    layout->addWidget(new QLabel(caption(Str::ColFullServiceName, true)), row, 0);
    QLineEdit* service = shown(m_binder, layout, row, 1, "Name_Reps");
    layout->removeWidget(service);
    layout->addWidget(service, row++, 1, 1, 2);
    headings(layout, row);
    layout->addWidget(new QLabel(caption(Str::DeviceLogLast, true)), row, 0);
    shown(m_binder, layout, row, 1, "LastDate");
    shown(m_binder, layout, row++, 2, "NewDate");
    layout->addWidget(new QLabel(caption(Str::DeviceLogNext, true)), row, 0);
    shown(m_binder, layout, row, 1, "ExpectedDate");
    shown(m_binder, layout, row++, 2, "NextDate");
    layout->addWidget(new QLabel(caption(Str::DeviceColChangeDate, true)), row, 0);
    shown(m_binder, layout, row++, 1, "ChangeDate");
    layout->setRowStretch(row, 1);
    return panel;
}

QWidget* DeviceLogPage::createMovePanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelMovHist"));
    auto* layout = new QGridLayout(panel);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    int row = 0;
    deviceRows(m_binder, layout, row);
    headings(layout, row);
    const struct {
        Str title;
        bool colon;
        const char* before;
        const char* after;
    } values[] = {{Str::ColLocation, false, "LastLocation", "NewLocation"},
                  {Str::ColState, true, "LastState", "NewState"},
                  {Str::ColPlace, true, "LastLocSet", "NewLocSet"},
                  {Str::ColExtPlace, true, "LastSetPlace", "NewSetPlace"},
                  {Str::ColSetupDate, true, "LastSetDate", "NewSetDate"}};
    for (const auto& v : values) {
        layout->addWidget(new QLabel(caption(v.title, v.colon)), row, 0);
        shown(m_binder, layout, row, 1, v.before);
        shown(m_binder, layout, row++, 2, v.after);
    }
    layout->addWidget(new QLabel(caption(Str::DeviceColChangeDate, true)), row, 0);
    shown(m_binder, layout, row++, 1, "ChangeDate");
    const auto note = [&](Str title, const char* name, const char* field, int length) {
        layout->addWidget(new QLabel(caption(title, true)), row, 0);
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(length);
        m_binder->bind(edit, QString::fromLatin1(field));
        layout->addWidget(edit, row++, 1, 1, 2);
        // Typed notes are stored when the user leaves the editor.
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (m_dataset->isEditing())
                InstrelApplication::guarded([this] { m_dataset->post(); });
        });
    };
    note(Str::ColSign, "editSign", "Sign", 25);
    note(Str::DeviceLogNotes, "editNotes", "Comments", 50);
    layout->setRowStretch(row, 1);
    return panel;
}

void DeviceLogPage::openLog() { m_dataset->open(); }

void DeviceLogPage::closeLog()
{
    m_dataset->checkBrowseMode();
    m_dataset->close();
}

void DeviceLogPage::ShowAllClick(bool all)
{
    closeLog();
    if (all) {
        m_dataset->setMaster(nullptr);
        m_dataset->setSql(DeviceLogs::allEntriesStatement(m_log));
    } else {
        m_dataset->setMaster(m_mainView);
        m_dataset->setSql(DeviceLogs::deviceEntriesStatement(m_log));
    }
    openLog();
}

void DeviceLogPage::ClearClick()
{
    if (!Messages::confirm(messageText(Text(Str::DeviceLogConfirmClear))))
        return;
    const bool wasOpen = m_dataset->isActive();
    closeLog();
    m_dataset->connection()->execute(DeviceLogs::clearStatement(m_log));
    if (wasOpen)
        openLog();
}

void DeviceLogPage::saveSettings(FormSettings& settings) const
{
    GridSettings::save(settings, m_grid->objectName(), *m_grid);
    if (m_splitter)
        settings.setValue(m_splitter->objectName() + QStringLiteral(".TopHeight"),
                          m_storedTop > 0 ? m_storedTop : m_splitter->sizes().value(0));
}

void DeviceLogPage::loadSettings(const FormSettings& settings)
{
    if (!m_dataset->isActive()) { // the columns are known once the log has been read
        m_dataset->open();
        m_dataset->close();
    }
    GridSettings::restore(settings, m_grid->objectName(), *m_grid);
    if (m_splitter)
        m_storedTop = settings.value(m_splitter->objectName() + QStringLiteral(".TopHeight"), 0).toInt();
}

void DeviceLogPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A splitter that was never laid out has no height to share yet, and the page's layout gives it
    // its height only after the page shows: the stored height is applied once that is done.
    if (m_splitter && m_storedTop > 0)
        QTimer::singleShot(0, this, [this] {
            if (m_storedTop <= 0)
                return;
            const QList<int> sizes = m_splitter->sizes(); // the height less the handle's
            const int total = sizes.value(0) + sizes.value(1);
            m_splitter->setSizes({m_storedTop, std::max(1, total - m_storedTop)});
            m_storedTop = 0;
        });
}
