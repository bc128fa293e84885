#include "devices/DeviceFrm.h"

#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/WindowJumps.h"
#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "devices/DeviceLogPage.h"
#include "devices/DueLegend.h"
#include "devices/DueMarks.h"
#include "devices/KitPanel.h"
#include "devices/TypeFrm.h"
#include "devices/rules/DeviceRecordRules.h"
#include "devices/rules/ServiceDates.h"
#include "devices/rules/ServiceRules.h"
#include "devices/rules/TypeRules.h"
#include "tables/CellEditorDelegate.h"
#include "tables/DatasetGrid.h"
#include "tables/EditValue.h"
#include "tables/EllipsisBox.h"
#include "tables/FieldBinder.h"
#include "tables/FormSettings.h"
#include "tables/GridColumns.h"
#include "tables/GridSettings.h"
#include "tables/LookupEditor.h"
#include "text/StrList.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace {

struct ColumnText {
    const char* field;
    Str title;
};

// The table view's columns in order; the keys of the names stay hidden.
const ColumnText kMainColumns[] = {
    {"ID_Device", Str::ColDeviceId},       {"ZNumber", Str::ColManufactureCode}, {"ANumber", Str::ColAccessCode},
    {"Name_DevType", Str::ColType},        {"Mark_DevType", Str::ColModel},      {"Name_System", Str::ColSystem},
    {"Name_Location", Str::ColLocation},   {"Name_LocSet", Str::ColPlace},       {"SetPlace", Str::ColExtPlace},
    {"SetDate", Str::ColSetupDate},        {"Name_Class", Str::ColClass},        {"Name_Mere", Str::ColMeasurement},
    {"Name_Dest", Str::ColAssignment},     {"Name_State", Str::ColState},        {"Name_Marg", Str::ColRange},
    {"Name_Scale", Str::ColScale},         {"Name_Grade", Str::ColGraduation},   {"Name_Naim", Str::ColName},
    {"Name_Prec", Str::ColAccuracy},       {"Comments", Str::ColComments},       {"ChangeDate", Str::DeviceColChangeDate},
};

constexpr int kInformation = 0;
constexpr int kExtended = 1;

QString caption(Str text) { return withoutAccelerator(Text(text)); }

QLabel* label(Str text)
{
    auto* l = new QLabel(caption(text));
    l->setWordWrap(true);
    return l;
}

QVariant today() { return QDateTime(Clock::today(), QTime(0, 0)); }

} // namespace

TDeviceForm::TDeviceForm(QWidget* parent) : TBaseForm(mainQuery(), parent)
{
    setObjectName(QStringLiteral("DeviceForm"));
    dsMain()->setObjectName(QStringLiteral("dsPasport"));
    setRowIdentityField(QStringLiteral("ID_Device"));
    setWindowTitle(caption(Str::WinDevices));
    createDatasets();
    setUpMainView();
    createPages();
    createKitPanel();

    setCommand(QStringLiteral("Insert2"), [this] { Insert2Execute(); }, [this] { return dsMain()->isActive(); });
    setCommand(QStringLiteral("Same"), [this] { SameExecute(); },
               [this] { return dsMain()->isActive() && !dsMain()->isEmpty(); });
    setCommand(QStringLiteral("Move"), [this] { MoveExecute(); },
               [this] { return dsNextRep->isActive() && !dsNextRep->isEmpty(); });
    action(QStringLiteral("Move"))->setText(Text(Str::DeviceCountNext));
    action(QStringLiteral("Move"))->setToolTip(caption(Str::DeviceHintCountNext));
    setDeleteDataset(dsDevice);
    connect(qApp, &QApplication::focusChanged, this, &TDeviceForm::focusChanged);
    dsDevice->open();
}

TDeviceForm::~TDeviceForm() { disconnect(qApp, nullptr, this, nullptr); }

// ---------------------------------------------------------------- datasets

Dataset* TDeviceForm::dataset(const char* name, const QString& sql, Dataset* master)
{
    auto* ds = new Dataset(this);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setSql(sql);
    if (master)
        ds->setMaster(master);
    return ds;
}

// "SELECT  * FROM System order by name_system;" and the same for the other reference lists.
Dataset* TDeviceForm::list(const char* table)
{
    const QString name = QString::fromLatin1(table);
    Dataset* ds = dataset(qPrintable(QStringLiteral("ds") + name),
                          QStringLiteral("SELECT  * FROM %1 order by name_%2;").arg(name, name.toLower()));
    m_lists.insert(name, ds);
    return ds;
}

void TDeviceForm::createDatasets()
{
    dsDevice = dataset("dsDevice", QStringLiteral("SELECT * FROM Device where Device.ID_Device = :ID_Device;"), dsMain());
    m_recordRules = new DeviceRecordRules(*dsDevice, this);
    m_recordRules->setAfterDeletion([this] { RequeryKeepRow(); });

    dsDevType = dataset("dsDevType", QStringLiteral("SELECT   ID_DevType, Name_DevType, Mark_DevType FROM DevType;"));
    dsMark = dataset("dsMark", QStringLiteral("SELECT   Mark_DevType FROM DevType WHERE ID_DevType = :IDevType;"),
                     dsDevice);
    dsLocation = list("Location");
    dsState = list("State");
    for (const char* table : {"System", "Class", "Mere", "Dest", "Marg", "Scale", "Grade"})
        m_extendedLists.append(list(table));
    // The places offered are those of the device's own location.
    dsLocSet = dataset("dsLocSet",
                       QStringLiteral("SELECT  * FROM LocSet WHERE ILocation = :ID_Location order by name_locset;"));
    connect(dsDevice, &Dataset::currentChanged, this, &TDeviceForm::followLocation);
    connect(dsDevice, &Dataset::rowChanged, this, &TDeviceForm::followLocation);
    connect(dsDevice, &Dataset::rowsReplaced, this, &TDeviceForm::followLocation);
    dsCrewDep = dataset("dsCrewDep", QStringLiteral("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew "
                                                    "LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart;"));
    dsReps = dataset("dsReps", QStringLiteral("SELECT * FROM Reps;"));
    createRowDatasets();
}

void TDeviceForm::createRowDatasets()
{
    const auto lookupField = [](Dataset* ds, const char* name, Dataset* from, const char* key, const char* listKey,
                                const char* result, bool readOnly) {
        ds->addLookupField(QString::fromLatin1(name),
                           {from, QString::fromLatin1(key), QString::fromLatin1(listKey), QString::fromLatin1(result)})
            ->setReadOnly(readOnly);
    };
    dsDevRep = dataset(
        "dsDevRep",
        QStringLiteral("select DevRep.ID_DevRep, DevRep.RT_Mon, Reps.Name_Reps, Reps.Short_Reps, Depart.Name_Depart, "
                       "Crew.Name_Crew from (((DevRep inner join Reps on Reps.ID_Reps = DevRep.IRep) inner join Crew on "
                       "Crew.ID_Crew = DevRep.ICrew) inner join Depart on Depart.ID_Depart = Crew.IDepart) where "
                       "DevRep.ICrew in (select DevCrew.ICrew from DevCrew where DevCrew.IDevice = :ID_Device) AND "
                       "DevRep.IDevType = :IDevType ;"),
        dsDevice);
    dsNextRep = dataset("dsNextRep", QStringLiteral("select * from nextrep where idevice = :id_device"), dsDevice);
    lookupField(dsNextRep, "Depart", dsDevRep, "IDevRep", "ID_DevRep", "Name_Depart", true);
    lookupField(dsNextRep, "Crew", dsDevRep, "IDevRep", "ID_DevRep", "Name_Crew", true);
    lookupField(dsNextRep, "ServiceName", dsDevRep, "IDevRep", "ID_DevRep", "Name_Reps", false);
    lookupField(dsNextRep, "Short_Reps", dsDevRep, "IDevRep", "ID_DevRep", "Short_Reps", true);
    new NextServiceRules(*dsNextRep, *dsDevice, this);

    dsDevCrew = dataset("dsDevCrew", QStringLiteral("SELECT  * FROM DevCrew WHERE IDevice = :ID_Device;"), dsDevice);
    lookupField(dsDevCrew, "Name_Crew", dsCrewDep, "ICrew", "ID_Crew", "Name_Crew", false);
    lookupField(dsDevCrew, "Name_Depart", dsCrewDep, "ICrew", "ID_Crew", "Name_Depart", true);
    new DeviceCrewRules(*dsDevCrew, *dsDevice, this);

    dsCrewDevType = dataset("dsCrewDevType",
                            QStringLiteral("select * from CrewDevTypeView where ID_DevCrew = :ID_DevCrew;"), dsDevCrew);
    dsInterval = dataset("dsInterval",
                         QStringLiteral("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE IDevType = "
                                        ":IDevType AND ICrew = :ICrew;"),
                         dsCrewDevType);
    lookupField(dsInterval, "Name_Reps", dsReps, "IRep", "ID_Reps", "Name_Reps", false);
    lookupField(dsInterval, "Short_Reps", dsReps, "IRep", "ID_Reps", "Short_Reps", true);
    dsInterval->afterOpen.connect([](Dataset& ds) {
        if (Field* rt = ds.field(QStringLiteral("RT_Mon")))
            rt->setDisplayFormat(QStringLiteral("0.##"));
    });
    m_intervalRules = new DeviceIntervalRules(*dsInterval, *dsDevice, *dsCrewDevType, this);
    // A new crew changes the intervals that can be chosen.
    dsDevCrew->afterPost.connect([this](Dataset&) {
        if (dsInterval->isActive()) {
            WaitCursor wait;
            dsInterval->requeryKeepRow();
        }
    });
}

void TDeviceForm::setUpMainView()
{
    QList<GridColumns::Column> columns;
    for (const ColumnText& column : kMainColumns)
        columns.append({QString::fromLatin1(column.field), caption(column.title)});
    GridColumns::show(*grid(), *dsMain(), columns);
    GridColumns::widenToTitles(*grid());
}

// ---------------------------------------------------------------- pages and editors

void TDeviceForm::createPages()
{
    m_binder = new FieldBinder(dsDevice, this);
    m_mainBinder = new FieldBinder(dsMain(), this);
    m_markBinder = new FieldBinder(dsMark, this);
    FormPanel()->setTabText(kInformation, caption(Str::PageInformation));
    auto* information = ScrollBox1()->widget();
    information->setLayout(new QVBoxLayout);
    information->layout()->setContentsMargins(0, 0, 0, 0);
    information->layout()->addWidget(createInformationPage());
    FormPanel()->addTab(createExtendedPage(), caption(Str::PageExtended));
    setPageHandlers(FormPanel()->widget(kInformation), [this] { openInformation(); }, [this] { closeInformation(); });
    setPageHandlers(FormPanel()->widget(kExtended), [this] { openExtended(); }, [this] { closeExtended(); });
    const std::pair<DeviceLogs::Log, Str> logs[] = {{DeviceLogs::Log::Move, Str::PageShiftLog},
                                                    {DeviceLogs::Log::Service, Str::PageServiceLog},
                                                    {DeviceLogs::Log::Edit, Str::PageEditLog}};
    for (const auto& [log, title] : logs) {
        auto* page = new DeviceLogPage(log, dsMain(), FormPanel());
        m_logPages.append(page);
        FormPanel()->addTab(page, caption(title));
        setPageHandlers(page, [page] { page->openLog(); }, [page] { page->closeLog(); });
    }
}

QAction* TDeviceForm::pageAction(const char* name, Str captionText, Str hint, std::function<void()> run)
{
    auto* a = new QAction(Text(captionText), this);
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(caption(hint));
    connect(a, &QAction::triggered, this, [run] { InstrelApplication::guarded(run); });
    return a;
}

// A titled row of small buttons above a grid.
QWidget* TDeviceForm::gridButtons(QGridLayout* layout, int row, Str title, const QStringList& actions)
{
    auto* bar = new QWidget;
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 4, 0, 0);
    auto* l = label(title);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    barLayout->addWidget(l, 1);
    for (const QString& name : actions) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("btn") + name);
        button->setDefaultAction(findChild<QAction*>(name));
        button->setMinimumWidth(28);
        barLayout->addWidget(button);
    }
    layout->addWidget(bar, row, 0, 1, -1);
    return bar;
}

QWidget* TDeviceForm::lookupBox(const char* name, Dataset* listDs, const char* key, const char* display,
                                const char* field, std::function<void()> ellipsis)
{
    auto* editor = new LookupEditor;
    editor->setObjectName(QString::fromLatin1(name));
    // The list's column goes under the caption the device list gives it.
    QList<LookupEditor::Column> columns;
    for (const ColumnText& column : kMainColumns)
        if (qstrcmp(column.field, display) == 0)
            columns.append({QString::fromLatin1(display), caption(column.title)});
    editor->setList(listDs, QString::fromLatin1(key), QString::fromLatin1(display), columns);
    m_binder->bind(editor, QString::fromLatin1(field));
    auto* box = new EllipsisBox(editor);
    connect(box, &EllipsisBox::ellipsisClicked, this, [ellipsis] { InstrelApplication::guarded(ellipsis); });
    return box;
}

// A lookup on a reference list whose ellipsis opens that list in the linked tables window.
QWidget* TDeviceForm::linkedLookup(const char* name, const char* table, const char* field, int page)
{
    const QString t = QString::fromLatin1(table);
    const QString keyField = QString::fromLatin1(field);
    const QByteArray key = ("ID_" + t).toLatin1();
    const QByteArray display = ("Name_" + t).toLatin1();
    return lookupBox(name, m_lists.value(t), key.constData(), display.constData(), field, [this, page, keyField] {
        WindowJumps::openLinkedTable(this, page, dsDevice->value(keyField));
    });
}

QWidget* TDeviceForm::shownValue(const char* name, Dataset* source, const char* field)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    FieldBinder* binder = source == dsDevice ? m_binder : source == dsMark ? m_markBinder : m_mainBinder;
    binder->bind(edit, QString::fromLatin1(field));
    return edit;
}

DatasetGrid* TDeviceForm::rowGrid(const char* name, Dataset* ds, QWidget* parent)
{
    auto* g = new DatasetGrid(ds, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setMinimumHeight(110);
    return g;
}

namespace {

// Services are offered from the device's crews: a device without any has an empty list that no
// "Add" can fill. The list says where to begin instead of staying blank.
void showServicesHint(QLabel* hint, Dataset& device, Dataset& services)
{
    bool needsCrew = false;
    if (services.isActive() && services.isEmpty() && device.isActive() && !device.isEmpty()) {
        const QVariant id = device.value(QStringLiteral("ID_Device"));
        needsCrew = id.isNull() ||
                    device.connection()
                            ->scalar(QStringLiteral("select count(*) from DevCrew where IDevice = ") +
                                     QString::number(id.toLongLong()) + QLatin1Char(';'))
                            .toInt() == 0;
    }
    hint->setVisible(needsCrew);
}

void addServicesHint(QGridLayout* layout, int row, Dataset* device, Dataset* services)
{
    auto* hint = new QLabel(FormatText(Str::DeviceServicesNeedCrew, caption(Str::PageExtended)));
    hint->setObjectName(QStringLiteral("labServicesNeedCrew"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    hint->hide();
    // Over the middle of the empty list, where the rows would be.
    layout->addWidget(hint, row, 0, 1, 4, Qt::AlignCenter);
    const auto update = [hint, device, services] {
        InstrelApplication::guarded([&] { showServicesHint(hint, *device, *services); });
    };
    for (auto signal : {&Dataset::rowsReplaced, &Dataset::fieldsChanged, &Dataset::posted})
        QObject::connect(services, signal, hint, update);
    for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
        QObject::connect(services, signal, hint, update);
    QObject::connect(device, &Dataset::posted, hint, update);
}

} // namespace

QWidget* TDeviceForm::createInformationPage()
{
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    auto* idLabel = new QLabel(QStringLiteral("ID")); // the same in both languages
    QWidget* id = shownValue("editID_Device", dsDevice, "ID_Device");
    auto* setDate = new QLineEdit;
    setDate->setObjectName(QStringLiteral("editSetDate"));
    setDate->setInputMask(EditValue::dateMask());
    m_binder->bind(setDate, QStringLiteral("SetDate"));
    const auto pickList = [this](const char* name, const char* field) {
        auto* combo = new QComboBox;
        combo->setObjectName(QString::fromLatin1(name));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->lineEdit()->setMaxLength(80);
        if (auto* view = qobject_cast<QListView*>(combo->view()))
            view->setUniformItemSizes(true); // thousands of numbers open quickly
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
        m_binder->bind(combo, QString::fromLatin1(field));
        return combo;
    };
    QComboBox* aNumber = pickList("editAnumber", "ANumber");
    QComboBox* zNumber = pickList("editZnumber", "ZNumber");

    QWidget* type = lookupBox("editDevType", dsDevType, "ID_DevType", "Name_DevType", "IDevType",
                              [this] { jumpToType(QString()); });
    auto* typeEditor = qobject_cast<LookupEditor*>(EllipsisBox::editorOf(type));
    typeEditor->setList(dsDevType, QStringLiteral("ID_DevType"), QStringLiteral("Name_DevType"),
                        {{QStringLiteral("Name_DevType"), caption(Str::ColType)},
                         {QStringLiteral("Mark_DevType"), caption(Str::ColModel)}});
    // A type chosen is stored at once: the services offered depend on it.
    connect(typeEditor, &LookupEditor::closedUp, this, [this] {
        if (dsDevice->isEditing())
            InstrelApplication::guarded([this] { dsDevice->post(); });
    });
    QWidget* mark = shownValue("editMark", dsMark, "Mark_DevType");
    QWidget* state = linkedLookup("editState", "State", "IState", WindowJumps::PageState);

    auto* malfunction = new QToolButton;
    malfunction->setObjectName(QStringLiteral("btnMalfunction"));
    malfunction->setText(caption(Str::WinMalfunctions));
    malfunction->setToolTip(caption(Str::HintOpenRefusal));
    malfunction->setEnabled(TMainForm::hasWindow(QStringLiteral("TMalfunctionForm")));
    connect(malfunction, &QToolButton::clicked, this, &TDeviceForm::btnMalfunctionClick);

    auto* where = new QGroupBox(caption(Str::DeviceWhere));
    where->setObjectName(QStringLiteral("GroupBoxWhere"));
    auto* whereLayout = new QGridLayout(where);
    whereLayout->setColumnStretch(1, 1);
    whereLayout->setColumnStretch(3, 1);
    QWidget* location = linkedLookup("editLocation", "Location", "ILocation", WindowJumps::PageLocation);
    QWidget* locSet = lookupBox("editLocSet", dsLocSet, "ID_LocSet", "Name_LocSet", "ILocSet", [this] {
        WindowJumps::openLinkedTable(this, WindowJumps::PageLocation, dsDevice->value(QStringLiteral("ILocation")),
                                     dsDevice->value(QStringLiteral("ILocSet")));
    });
    m_editLocSet = qobject_cast<LookupEditor*>(EllipsisBox::editorOf(locSet));
    // Choosing a location goes on to its places; a list closed without a choice opens nothing.
    connect(qobject_cast<LookupEditor*>(EllipsisBox::editorOf(location)), &LookupEditor::closedUp, this,
            [this](bool chosen) {
                if (chosen)
                    QTimer::singleShot(0, m_editLocSet, [this] { m_editLocSet->showPopupWhereVisible(); });
            });
    auto* setPlace = new QPlainTextEdit;
    setPlace->setObjectName(QStringLiteral("editSetPlace"));
    setPlace->setFixedHeight(setPlace->fontMetrics().lineSpacing() * 2 + 12);
    m_binder->bind(setPlace, QStringLiteral("SetPlace"));
    whereLayout->addWidget(label(Str::ColLocation), 0, 0);
    whereLayout->addWidget(location, 0, 1);
    whereLayout->addWidget(label(Str::ColPlace), 0, 2);
    whereLayout->addWidget(locSet, 0, 3);
    whereLayout->addWidget(label(Str::ColExtPlace), 1, 0);
    whereLayout->addWidget(setPlace, 1, 1, 1, 3);

    auto* comments = new QPlainTextEdit;
    comments->setObjectName(QStringLiteral("editComments"));
    comments->setFixedHeight(comments->fontMetrics().lineSpacing() * 2 + 12);
    m_binder->bind(comments, QStringLiteral("Comments"));

    layout->addWidget(idLabel, 0, 0);
    layout->addWidget(id, 0, 1);
    layout->addWidget(label(Str::ColSetupDate), 0, 2);
    layout->addWidget(setDate, 0, 3);
    layout->addWidget(label(Str::ColAccessCode), 1, 0);
    layout->addWidget(aNumber, 1, 1);
    layout->addWidget(label(Str::ColManufactureCode), 1, 2);
    layout->addWidget(zNumber, 1, 3);
    layout->addWidget(label(Str::ColType), 2, 0);
    layout->addWidget(type, 2, 1);
    layout->addWidget(label(Str::ColModel), 2, 2);
    layout->addWidget(mark, 2, 3);
    layout->addWidget(label(Str::ColState), 3, 0);
    layout->addWidget(state, 3, 1);
    layout->addWidget(malfunction, 3, 3, Qt::AlignRight);
    layout->addWidget(where, 4, 0, 1, 4);
    layout->addWidget(label(Str::ColComments), 5, 0, Qt::AlignTop);
    layout->addWidget(comments, 5, 1, 1, 3);

    pageAction("InsertNextRep", Str::BtnAdd, Str::DeviceHintAddService, [this] { InsertNextRep(); });
    pageAction("DeleteNextRep", Str::BtnDel, Str::DeviceHintDeleteService, [this] { DeleteNextRep(); });
    pageAction("NowDate", Str::DeviceLastToNow, Str::DeviceHintLastToNow, [this] { NowDate(); });
    gridButtons(layout, 6, Str::DeviceServicesLabel,
                {QStringLiteral("InsertNextRep"), QStringLiteral("DeleteNextRep"), QStringLiteral("NowDate"),
                 QStringLiteral("Move")});
    m_gridService = rowGrid("gridService", dsNextRep, page);
    m_gridService->setColumns({{QStringLiteral("Depart"), caption(Str::ColDepartment)},
                               {QStringLiteral("Crew"), caption(Str::ColCrew)},
                               {QStringLiteral("ServiceName"), caption(Str::ColFullServiceName)},
                               {QStringLiteral("Short_Reps"), caption(Str::ColShortServiceName)},
                               {QStringLiteral("LastRep"), caption(Str::ColLastDate)},
                               {QStringLiteral("NextRep"), caption(Str::ColNextDate)}});
    m_gridService->cellDelegate()->setLookupColumns(
        QStringLiteral("ServiceName"), {{QStringLiteral("Name_Depart"), caption(Str::ColDepartment)},
                                        {QStringLiteral("Name_Crew"), caption(Str::ColCrew)},
                                        {QStringLiteral("Name_Reps"), caption(Str::ColFullServiceName)},
                                        {QStringLiteral("Short_Reps"), caption(Str::ColShortServiceName)}});
    auto* legend = new DueLegend(this);
    addStatusWidget(legend);
    DueMarks::attach(m_gridService, QStringLiteral("NextRep"), legend);
    layout->addWidget(m_gridService, 7, 0, 1, 4);
    layout->setRowStretch(7, 1);
    addServicesHint(layout, 7, dsDevice, dsNextRep);

    const std::pair<const char*, Str> captions[] = {
        {"SetDate", Str::ColSetupDate}, {"ANumber", Str::ColAccessCode}, {"ZNumber", Str::ColManufactureCode},
        {"IDevType", Str::ColType},     {"IState", Str::ColState},         {"ILocation", Str::ColLocation},
        {"ILocSet", Str::ColPlace},     {"SetPlace", Str::ColExtPlace},    {"Comments", Str::ColComments}};
    for (const auto& [field, title] : captions)
        m_binder->setCaption(QString::fromLatin1(field), caption(title));

    m_editorsByField = {
        {QStringLiteral("anumber"), {kInformation, aNumber}},
        {QStringLiteral("znumber"), {kInformation, zNumber}},
        {QStringLiteral("name_devtype"), {kInformation, typeEditor}},
        {QStringLiteral("mark_devtype"), {kInformation, mark}},
        {QStringLiteral("name_location"), {kInformation, EllipsisBox::editorOf(location)}},
        {QStringLiteral("name_locset"), {kInformation, m_editLocSet}},
        {QStringLiteral("name_state"), {kInformation, EllipsisBox::editorOf(state)}},
        {QStringLiteral("comments"), {kInformation, comments}},
        {QStringLiteral("setplace"), {kInformation, setPlace}},
        {QStringLiteral("setdate"), {kInformation, setDate}},
    };
    return page;
}

QWidget* TDeviceForm::createExtendedPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    const struct {
        const char* name;
        const char* table;
        const char* field;
        int page;
        Str title;
        const char* column;
    } lookups[] = {{"editSystem", "System", "ISystem", WindowJumps::PageSystem, Str::ColSystem, "name_system"},
                   {"editClass", "Class", "IClass", WindowJumps::PageClass, Str::ColClass, "name_class"},
                   {"editMere", "Mere", "IMere", WindowJumps::PageMere, Str::ColMeasurement, "name_mere"},
                   {"editDest", "Dest", "IDest", WindowJumps::PageDest, Str::ColAssignment, "name_dest"},
                   {"editMarg", "Marg", "IMarg", WindowJumps::PageMarg, Str::ColRange, "name_marg"},
                   {"editScale", "Scale", "IScale", WindowJumps::PageScale, Str::ColScale, "name_scale"},
                   {"editGrade", "Grade", "IGrade", WindowJumps::PageGrade, Str::ColGraduation, "name_grade"}};
    int slot = 0;
    const auto place = [&](Str title, QWidget* editor) {
        layout->addWidget(label(title), slot / 2, (slot % 2) * 2);
        layout->addWidget(editor, slot / 2, (slot % 2) * 2 + 1);
        ++slot;
    };
    const auto typeValue = [this](const char* name, const char* field) {
        auto* box = new EllipsisBox(shownValue(name, dsMain(), field));
        const QString editor = QString::fromLatin1(name);
        connect(box, &EllipsisBox::ellipsisClicked, this, [this, editor] { jumpToType(editor); });
        return box;
    };
    for (const auto& l : lookups) {
        QWidget* box = linkedLookup(l.name, l.table, l.field, l.page);
        place(l.title, box);
        m_binder->setCaption(QString::fromLatin1(l.field), caption(l.title));
        m_editorsByField.insert(QString::fromLatin1(l.column), {kExtended, EllipsisBox::editorOf(box)});
        if (QString::fromLatin1(l.table) == QLatin1String("Dest")) { // after the assignment: the type's name
            QWidget* naim = typeValue("editNaim", "Name_Naim");
            place(Str::ColName, naim);
            m_editorsByField.insert(QStringLiteral("name_naim"), {kExtended, EllipsisBox::editorOf(naim)});
        }
    }
    QWidget* prec = typeValue("editPrec", "Name_Prec");
    place(Str::ColAccuracy, prec);
    m_editorsByField.insert(QStringLiteral("name_prec"), {kExtended, EllipsisBox::editorOf(prec)});
    QWidget* changeDate = shownValue("editChangeDate", dsDevice, "ChangeDate");
    place(Str::DeviceColChangeDate, changeDate);
    m_editorsByField.insert(QStringLiteral("changedate"), {kExtended, changeDate});

    const int gridsRow = (slot + 1) / 2;
    auto* crews = new QWidget;
    auto* crewsLayout = new QGridLayout(crews);
    crewsLayout->setContentsMargins(0, 0, 0, 0);
    pageAction("InsertDevCrew", Str::BtnAdd, Str::DeviceHintAddCrew, [this] { InsertDevCrew(); });
    pageAction("DeleteDevCrew", Str::BtnDel, Str::DeviceHintDeleteCrew, [this] { DeleteDevCrew(); });
    gridButtons(crewsLayout, 0, Str::DeviceCrewsLabel, {QStringLiteral("InsertDevCrew"), QStringLiteral("DeleteDevCrew")});
    m_gridCrew = rowGrid("gridCrew", dsDevCrew, crews);
    m_gridCrew->setColumns({{QStringLiteral("Name_Crew"), caption(Str::ColCrew)},
                            {QStringLiteral("Name_Depart"), caption(Str::ColDepartment)}});
    m_gridCrew->cellDelegate()->setLookupColumns(QStringLiteral("Name_Crew"),
                                                 {{QStringLiteral("Name_Crew"), caption(Str::ColCrew)},
                                                  {QStringLiteral("Name_Depart"), caption(Str::ColDepartment)}});
    crewsLayout->addWidget(m_gridCrew, 1, 0, 1, 4);

    auto* intervals = new QWidget;
    auto* intervalsLayout = new QGridLayout(intervals);
    intervalsLayout->setContentsMargins(0, 0, 0, 0);
    pageAction("InsertInterval", Str::BtnAdd, Str::HintAddService, [this] { InsertInterval(); });
    pageAction("DeleteInterval", Str::BtnDel, Str::HintDeleteService, [this] { DeleteInterval(); });
    gridButtons(intervalsLayout, 0, Str::LabelServiceIntervals,
                {QStringLiteral("InsertInterval"), QStringLiteral("DeleteInterval")});
    m_gridInterval = rowGrid("gridInterval", dsInterval, intervals);
    m_gridInterval->setColumns({{QStringLiteral("Name_Reps"), caption(Str::ColServiceName)},
                                {QStringLiteral("Short_Reps"), caption(Str::ColShortName)},
                                {QStringLiteral("RT_Mon"), caption(Str::ColIntervalMonths)}});
    m_gridInterval->cellDelegate()->setLookupColumns(
        QStringLiteral("Name_Reps"), {{QStringLiteral("Name_Reps"), caption(Str::ColServiceName)},
                                      {QStringLiteral("Short_Reps"), caption(Str::ColShortName)}});
    intervalsLayout->addWidget(m_gridInterval, 1, 0, 1, 4);

    layout->addWidget(crews, gridsRow, 0, 1, 2);
    layout->addWidget(intervals, gridsRow, 2, 1, 2);
    layout->setRowStretch(gridsRow, 1);
    return page;
}

// ---------------------------------------------------------------- page datasets

void TDeviceForm::openInformation()
{
    WaitCursor wait;
    followLocation();
    for (Dataset* ds : {dsDevType, dsLocation, dsLocSet, dsState, dsMark, dsDevRep, dsNextRep})
        ds->open();
}

void TDeviceForm::closeInformation()
{
    // What the user typed is stored before the lists it was chosen from close.
    dsNextRep->checkBrowseMode();
    dsDevice->checkBrowseMode();
    for (Dataset* ds : {dsNextRep, dsDevRep, dsMark, dsState, dsLocSet, dsLocation, dsDevType})
        ds->close();
}

void TDeviceForm::openExtended()
{
    WaitCursor wait;
    for (Dataset* ds : std::as_const(m_extendedLists))
        ds->open();
    for (Dataset* ds : {dsCrewDep, dsReps, dsDevCrew, dsCrewDevType, dsInterval})
        ds->open();
}

void TDeviceForm::closeExtended()
{
    dsInterval->checkBrowseMode();
    dsDevCrew->checkBrowseMode();
    dsDevice->checkBrowseMode();
    for (Dataset* ds : {dsInterval, dsCrewDevType, dsDevCrew, dsReps, dsCrewDep})
        ds->close();
    for (Dataset* ds : std::as_const(m_extendedLists))
        ds->close();
}

void TDeviceForm::followLocation()
{
    const QVariant location = dsDevice->isActive() && !dsDevice->isEmpty() ? dsDevice->value(QStringLiteral("ILocation"))
                                                                            : QVariant();
    static const QString param = QStringLiteral("ID_Location");
    if (dsLocSet->property("location") == location && dsLocSet->property("location").isNull() == location.isNull())
        return;
    dsLocSet->setProperty("location", location);
    dsLocSet->setParam(param, location);
    if (dsLocSet->isActive())
        InstrelApplication::guarded([this] { dsLocSet->requery(); });
}

void TDeviceForm::FormActivate()
{
    TBaseForm::FormActivate();
    if (isFormView())
        ReopenPage();
}

void TDeviceForm::focusChanged(QWidget* old, QWidget* now)
{
    // Leaving the pages stores the device; a pop-up of one of its editors is still on the pages.
    if (!old || !now || QApplication::activePopupWidget() || !FormPanel()->isAncestorOf(old) ||
        FormPanel()->isAncestorOf(now))
        return;
    if (dsDevice->isEditing())
        InstrelApplication::guarded([this] { dsDevice->post(); });
}

// The numbers already in use, each once whatever its letter case, offered when a number editor is
// entered; the editor still takes any new number. Read front to back only until the list is full, and
// handed to the editor as one list rather than item by item, so that entering the editor on a plant of
// 100,000 devices does not hold up the window.
void TDeviceForm::fillPickList(QComboBox* editor, const QString& column)
{
    TDM* dm = TDM::instance();
    if (!dm)
        return;
    QStringList values;
    dm->FillDistinctValues(DeviceRecordRules::pickListStatement(column), column, values, 1, 0);
    const QString typed = editor->currentText();
    const QSignalBlocker block(editor);
    auto* numbers = qobject_cast<QStringListModel*>(editor->model());
    if (!numbers) {
        numbers = new QStringListModel(editor);
        editor->setModel(numbers); // the combo's own model goes with it
    }
    numbers->setStringList(values);
    editor->setCurrentIndex(-1);
    editor->setEditText(typed);
}

bool TDeviceForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        auto* combo = qobject_cast<QComboBox*>(watched);
        if (!combo && watched->parent())
            combo = qobject_cast<QComboBox*>(watched->parent());
        const QString name = combo ? combo->objectName() : QString();
        if ((name == QLatin1String("editAnumber") || name == QLatin1String("editZnumber")) &&
            !combo->property("pickListFilled").toBool()) {
            combo->setProperty("pickListFilled", true);
            InstrelApplication::guarded([&] {
                fillPickList(combo, name == QLatin1String("editAnumber") ? QStringLiteral("anumber")
                                                                         : QStringLiteral("znumber"));
            });
        }
    } else if (event->type() == QEvent::FocusOut &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (auto* combo = qobject_cast<QComboBox*>(watched))
            combo->setProperty("pickListFilled", false);
        else if (auto* parentCombo = qobject_cast<QComboBox*>(watched->parent()))
            parentCombo->setProperty("pickListFilled", false);
    }
    return TBaseForm::eventFilter(watched, event);
}

// ---------------------------------------------------------------- device commands

void TDeviceForm::insertDeviceRecord(const std::function<bool()>& fill)
{
    insertDetached(*dsDevice, QStringLiteral("ID_Device"), fill,
                   [this](const QVariant& id) { showStoredRow(QStringLiteral("ID_Device"), id); });
}

void TDeviceForm::Insert2Execute()
{
    insertDeviceRecord([this] {
        dsDevice->insert();
        return true;
    });
}

void TDeviceForm::SameExecute()
{
    if (dsMain()->isEmpty())
        return;
    const qint64 source = dsMain()->value(QStringLiteral("ID_Device")).toLongLong();
    insertDeviceRecord([this, source] {
        return insertCopy(*dsDevice, DeviceRecordRules::sameStatement(source), DeviceRecordRules::sameColumns());
    });
}

bool TDeviceForm::LocateDevice(const QVariant& id)
{
    bool found = false;
    InstrelApplication::guarded([&] { found = dsMain()->isActive() && dsMain()->locate(QStringLiteral("ID_Device"), id); });
    return found;
}

bool TDeviceForm::ShowService(const QVariant& id)
{
    if (!isFormView() && !InstrelApplication::guarded([this] { Swap(); }))
        return false;
    if (!isFormView())
        return false;
    FormPanel()->setCurrentIndex(0); // its services list opens with the page
    bool found = false;
    InstrelApplication::guarded([&] { found = dsNextRep->isActive() && dsNextRep->locate(QStringLiteral("ID_NextRep"), id); });
    m_gridService->setFocus();
    return found;
}

void TDeviceForm::jumpToType(const QString& editor)
{
    auto* types = qobject_cast<TTypeForm*>(WindowJumps::openWindow(this, QStringLiteral("TTypeForm")));
    if (!types)
        return;
    types->LocateType(dsDevice->value(QStringLiteral("IDevType")));
    if (!editor.isEmpty())
        types->ShowEditor(editor);
}

void TDeviceForm::btnMalfunctionClick()
{
    auto* malfunctions = qobject_cast<TBaseForm*>(WindowJumps::openWindow(this, QStringLiteral("TMalfunctionForm")));
    if (malfunctions && !dsMain()->isEmpty())
        malfunctions->setColumnFilter(QStringLiteral("IDevice"), dsMain()->value(QStringLiteral("ID_Device")).toString());
}

// ---------------------------------------------------------------- services

bool TDeviceForm::hasDevice() const
{
    if (hasCurrentDevice(*dsDevice))
        return true;
    Messages::warning(messageText(Text(Str::DeviceNoCurrent)));
    return false;
}

void TDeviceForm::InsertNextRep()
{
    if (!dsNextRep->isActive())
        return;
    dsDevice->checkBrowseMode();
    if (!hasDevice())
        return;
    dsNextRep->append();
    m_gridService->editCurrentRow();
}

void TDeviceForm::DeleteNextRep()
{
    if (dsNextRep->isActive() && !dsNextRep->isEmpty())
        dsNextRep->deleteRecord();
}

void TDeviceForm::NowDate()
{
    if (!dsNextRep->isActive() || !hasDevice())
        return;
    if (!dsNextRep->isEditing()) {
        if (dsNextRep->isEmpty())
            dsNextRep->append();
        else
            dsNextRep->edit();
    }
    dsNextRep->setValue(QStringLiteral("LastRep"), today());
    if (dsNextRep->state() == Dataset::State::Edit)
        dsNextRep->post();
}

// The next date of the current service from its last date and its interval among the device's
// service choices; a refusal says why and changes nothing.
void TDeviceForm::CountNextDate()
{
    const QVariant devRep = dsNextRep->value(QStringLiteral("IDevRep"));
    const bool chosen = !devRep.isNull() && dsDevRep->isActive() && dsDevRep->locate(QStringLiteral("ID_DevRep"), devRep);
    const QVariant rtMon = chosen ? dsDevRep->value(QStringLiteral("RT_Mon")) : QVariant();
    const ServiceDates::Counted counted = ServiceDates::CountNextDate(dsNextRep->value(QStringLiteral("LastRep")), rtMon);
    switch (counted.refusal) {
    case ServiceDates::Refusal::None:
        dsNextRep->setValue(QStringLiteral("NextRep"), counted.next);
        return;
    case ServiceDates::Refusal::EmptyInterval:
        Messages::error(messageText(Text(Str::DeviceIntervalNull)));
        return;
    case ServiceDates::Refusal::NoLastDate:
        Messages::error(messageText(Text(Str::DeviceLastDateNull)));
        return;
    case ServiceDates::Refusal::NegativeInterval:
        Messages::error(messageText(Text(Str::IntervalNegative)));
        return;
    case ServiceDates::Refusal::BeyondCalendar:
        Messages::error(messageText(Text(Str::DeviceNextDateBeyond)));
        return;
    }
}

void TDeviceForm::MoveExecute()
{
    if (!dsNextRep->isActive() || dsNextRep->isEmpty())
        return;
    if (dsNextRep->state() == Dataset::State::Edit) { // an existing row being edited stays in editing
        CountNextDate();
        return;
    }
    if (!dsNextRep->isEditing())
        dsNextRep->edit();
    CountNextDate();
    dsNextRep->post();
}

// ---------------------------------------------------------------- crews and intervals

void TDeviceForm::InsertDevCrew()
{
    if (!dsDevCrew->isActive())
        return;
    dsDevice->checkBrowseMode();
    if (!hasDevice())
        return;
    dsDevCrew->append();
    m_gridCrew->editCurrentRow();
}

void TDeviceForm::DeleteDevCrew()
{
    if (dsDevCrew->isActive() && !dsDevCrew->isEmpty())
        dsDevCrew->deleteRecord();
}

void TDeviceForm::InsertInterval()
{
    if (!dsInterval->isActive())
        return;
    dsDevice->checkBrowseMode();
    dsDevCrew->checkBrowseMode();
    if (!m_intervalRules->canAdd()) {
        Messages::warning(messageText(Text(Str::DeviceIntervalNeedsCrew)));
        return;
    }
    dsInterval->append();
    m_gridInterval->editCurrentRow();
}

void TDeviceForm::DeleteInterval()
{
    if (dsInterval->isActive() && !dsInterval->isEmpty())
        dsInterval->deleteRecord();
}

// ---------------------------------------------------------------- going to a field, settings

void TDeviceForm::createKitPanel()
{
    m_kits = new KitPanel(*this, *complectTree());
    KitPanel* kits = m_kits;
    m_kits->addTools(
        addCommand(QStringLiteral("ShowKit"), QStringLiteral("!"), Text(Str::KitHintShow), [kits] { kits->ShowKit(); },
                   [kits] { return kits->hasNode(); }),
        addCommand(QStringLiteral("AddComplect"), QStringLiteral("<"), Text(Str::KitHintAdd),
                   [kits] { kits->AddComplect(); }, [kits] { return kits->canAdd(); }),
        addCommand(QStringLiteral("DelComplect"), QStringLiteral("x"), Text(Str::KitHintDelete),
                   [kits] { kits->DelComplect(); }, [kits] { return kits->hasKitNode(); }));
}

void TDeviceForm::setComplectVisible(bool visible)
{
    TBaseForm::setComplectVisible(visible);
    BuildKitTree();
}

void TDeviceForm::BuildKitTree() { m_kits->BuildKitTree(); }

// The list shows every device again, whatever kit it was narrowed to.
void TDeviceForm::listRestrictionsLifted() { m_kits->selectValue(KitPanel::AllDevices); }

QSize TDeviceForm::sizeHint() const { return QSize(1040, 680); }

void TDeviceForm::GoToField(const QString& fieldName)
{
    if (!InstrelApplication::guarded([this] { Swap(); }) || !isFormView())
        return;
    const auto target = m_editorsByField.value(fieldName.toLower(), {-1, nullptr});
    if (!target.second)
        return;
    FormPanel()->setCurrentIndex(target.first);
    target.second->setFocus();
}

void TDeviceForm::saveSettings(FormSettings& settings) const
{
    TBaseForm::saveSettings(settings);
    for (const DatasetGrid* g : {m_gridService, m_gridCrew, m_gridInterval})
        GridSettings::save(settings, g->objectName(), *g);
    for (const DeviceLogPage* page : m_logPages)
        page->saveSettings(settings);
}

void TDeviceForm::loadSettings(const FormSettings& settings)
{
    TBaseForm::loadSettings(settings);
    for (DatasetGrid* g : {m_gridService, m_gridCrew, m_gridInterval}) {
        Dataset* ds = g->dataset();
        if (!ds->isActive()) { // the columns are known once the dataset has been read
            ds->open();
            ds->close();
        }
        GridSettings::restore(settings, g->objectName(), *g);
    }
    for (DeviceLogPage* page : std::as_const(m_logPages))
        page->loadSettings(settings);
}
