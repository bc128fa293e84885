#include "devices/MalfunctionFrm.h"

#include "app/Application.h"
#include "app/WindowJumps.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "devices/DeviceFrm.h"
#include "devices/rules/MalfunctionRules.h"
#include "devices/rules/TypeRules.h"
#include "tables/CellEditorDelegate.h"
#include "tables/DatasetGrid.h"
#include "tables/EditValue.h"
#include "tables/EllipsisBox.h"
#include "tables/FieldBinder.h"
#include "tables/FormSettings.h"
#include "tables/GridColumns.h"
#include "tables/GridFooter.h"
#include "tables/GridSettings.h"
#include "tables/LookupEditor.h"
#include "text/StrList.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

namespace {

struct ColumnText {
    const char* field;
    Str title;
};

// The list's columns in order; the entry's key stays hidden.
const ColumnText kMainColumns[] = {
    {"IDevice", Str::ColDeviceId},
    {"ANumber", Str::ColAccessCode},
    {"ZNumber", Str::ColManufactureCode},
    {"Name_DevType", Str::ColType},
    {"NDate", Str::MalfunctionColDate},
    {"Name_GroupNaimen", Str::MalfunctionColGroup},
    {"Name_Naimen", Str::MalfunctionColName},
    {"ExectNaimen", Str::MalfunctionColComments},
    {"BriefCase", Str::MalfunctionColReason},
    {"NCount", Str::MalfunctionColAmount},
    {"Action", Str::MalfunctionColElimination},
    {"Name_Document", Str::ColDocument},
    {"Podpis", Str::ColSign},
};

constexpr int kInformation = 0;
constexpr int kParameters = 1;

const QString kEntryKey = QStringLiteral("ID_Refusal");

QString caption(Str text) { return withoutAccelerator(Text(text)); }

QLabel* label(Str text)
{
    auto* l = new QLabel(caption(text));
    l->setWordWrap(true);
    return l;
}

} // namespace

TMalfunctionForm::TMalfunctionForm(QWidget* parent) : TBaseForm(mainQuery(), parent)
{
    setObjectName(QStringLiteral("MalfunctionForm"));
    dsMain()->setObjectName(QStringLiteral("dsRefusals"));
    setRowIdentityField(QStringLiteral("ID_Refusal"));
    setWindowTitle(caption(Str::WinMalfunctions));
    createDatasets();
    setUpMainView();
    createPages();

    const auto listed = [this] { return dsMain()->isActive() && !dsMain()->isEmpty(); };
    setCommand(QStringLiteral("Insert2"), [this] { Insert2Execute(); }, [this] { return dsMain()->isActive(); });
    setCommand(QStringLiteral("Same"), [this] { SameExecute(); }, listed);
    setDeleteDataset(dsRefusal);
    addButton(addCommand(QStringLiteral("Edit"), Text(Str::BtnEdit), Text(Str::HintEditService),
                         [this] { btnEditClick(); }, listed),
              9);
    dsRefusal->open(); // it follows the list in both views, so that Delete and Same work in the table too
}

TMalfunctionForm::~TMalfunctionForm() = default;

// ---------------------------------------------------------------- datasets

Dataset* TMalfunctionForm::dataset(const char* name, const QString& sql)
{
    auto* ds = new Dataset(this);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setSql(sql);
    return ds;
}

void TMalfunctionForm::createDatasets()
{
    dsRefusal = dataset("dsRefusal", QStringLiteral("SELECT  * FROM Refusal where ID_Refusal = :ID_Refusal;"));
    dsRefusal->setMaster(dsMain());
    m_entryRules = new MalfunctionEntryRules(*dsRefusal, this);
    m_entryRules->setAfterDeletion([this] { RequeryKeepRow(); });
    // What was stored shows in the list too, on whatever entry the list is on by then.
    dsRefusal->afterPost.connect([this](Dataset&) {
        if (!m_inserting)
            QTimer::singleShot(0, this, [this] { InstrelApplication::guarded([this] { refreshList(currentEntryId()); }); });
    });

    dsPasport = dataset("dsPasport", QStringLiteral("select ID_Device, ANumber, ZNumber, Name_DevType from Pasport"));
    dsGroup = dataset("dsGroup", QStringLiteral("select ID_GroupNaimen, Name_GroupNaimen from RefusalGroupNaimen;"));
    dsGroup->setSort(QStringLiteral("Name_GroupNaimen"));
    // The names offered are those of the entry's group, also while a new group is being chosen.
    dsNaimen = dataset("dsNaimen", QStringLiteral("select * from RefusalNaimen where IGroupNaimen = :IGroupNaimen;"));
    dsNaimen->setSort(QStringLiteral("Name_Naimen"));
    for (auto signal : {&Dataset::currentChanged, &Dataset::rowChanged})
        connect(dsRefusal, signal, this, &TMalfunctionForm::followGroup);
    connect(dsRefusal, &Dataset::rowsReplaced, this, &TMalfunctionForm::followGroup);
    dsDoc = dataset("dsDoc", QStringLiteral("select * from Document;"));
    dsDoc->setSort(QStringLiteral("Name_Document"));

    dsDimention = dataset("dsDimention", QStringLiteral("select * from Dimention;"));
    dsDimention->setSort(QStringLiteral("Name_Dimention"));
    dsRefusalParam = dataset("dsRefusalParam", QStringLiteral("select * from RefusalParam;"));
    dsRefusalParam->setSort(QStringLiteral("Name_Param"));
    dsRefusalParam->addLookupField(QStringLiteral("Name_Dimention"),
                                   {dsDimention, QStringLiteral("IDimention"), QStringLiteral("ID_Dimention"),
                                    QStringLiteral("Name_Dimention")});

    dsRefusParamValue = dataset(
        "dsRefusParamValue",
        QStringLiteral("select * from RefusParamValue where RefusParamValue.IRefusal = :ID_Refusal;"));
    dsRefusParamValue->setMaster(dsMain());
    dsRefusParamValue->addLookupField(QStringLiteral("Name_Param"),
                                      {dsRefusalParam, QStringLiteral("IParam"), QStringLiteral("ID_Param"),
                                       QStringLiteral("Name_Param")});
    // The dimension of the chosen parameter: a lookup through the parameter list's own lookup.
    dsRefusParamValue
        ->addCalculatedField(QStringLiteral("Name_Dimention"),
                             [this](const Dataset& ds, int row) -> QVariant {
                                 const QVariant param = ds.valueAt(row, ds.fieldIndex(QStringLiteral("IParam")));
                                 if (param.isNull() || !dsRefusalParam->isActive())
                                     return {};
                                 const int key = dsRefusalParam->fieldIndex(QStringLiteral("ID_Param"));
                                 const int dimention = dsRefusalParam->fieldIndex(QStringLiteral("Name_Dimention"));
                                 for (int r = 0; r < dsRefusalParam->recordCount(); ++r)
                                     if (dsRefusalParam->valueAt(r, key).toLongLong() == param.toLongLong())
                                         return dsRefusalParam->valueAt(r, dimention);
                                 return {};
                             })
        ->setReadOnly(true);
    m_valueRules = new ParameterValueRules(*dsRefusParamValue, [this] { return currentEntryId(); }, this);
}

QVariant TMalfunctionForm::currentEntryId() const
{
    return dsMain()->isActive() && !dsMain()->isEmpty() ? dsMain()->value(kEntryKey) : QVariant();
}

void TMalfunctionForm::setUpMainView()
{
    QList<GridColumns::Column> columns;
    for (const ColumnText& column : kMainColumns)
        columns.append({QString::fromLatin1(column.field), caption(column.title)});
    GridColumns::show(*grid(), *dsMain(), columns);
    GridColumns::widenToTitles(*grid());
    // A date with its time; measured on a sample text, not on the rows, which may be thousands.
    const int date = dsMain()->fieldIndex(QStringLiteral("NDate"));
    grid()->setColumnWidth(date, std::max(grid()->columnWidth(date),
                                          grid()->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 16));
    // Hidden, but titled for the table properties, where they can be shown.
    if (Field* id = dsMain()->field(kEntryKey))
        id->setLabel(caption(Str::MalfunctionColId));
    if (Field* model = dsMain()->field(QStringLiteral("Mark_DevType")))
        model->setLabel(caption(Str::ColModel));
    m_footer = new GridFooter(grid(), dsMain(), {}, GridPanel());
    m_footer->setCountedFields({QStringLiteral("NCount")});
    GridPanel()->layout()->addWidget(m_footer);
}

// ---------------------------------------------------------------- pages and editors

void TMalfunctionForm::createPages()
{
    m_binder = new FieldBinder(dsRefusal, this);
    m_mainBinder = new FieldBinder(dsMain(), this);
    FormPanel()->setTabText(kInformation, caption(Str::PageInformation));
    QWidget* information = ScrollBox1()->widget();
    auto* layout = new QVBoxLayout(information);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createInformationPage());
    FormPanel()->addTab(createParametersPage(), caption(Str::PageParameters));
    setPageHandlers(FormPanel()->widget(kInformation), [this] { openInformation(); }, [this] { closeInformation(); });
    setPageHandlers(FormPanel()->widget(kParameters), [this] { openParameters(); }, [this] { closeParameters(); });
}

LookupEditor* TMalfunctionForm::lookup(const char* name, Dataset* list, const char* key, const char* display,
                                       const char* field)
{
    auto* editor = new LookupEditor;
    editor->setObjectName(QString::fromLatin1(name));
    editor->setList(list, QString::fromLatin1(key), QString::fromLatin1(display));
    m_binder->bind(editor, QString::fromLatin1(field));
    return editor;
}

QWidget* TMalfunctionForm::createInformationPage()
{
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    const auto text = [this](const char* name, const char* field) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        m_binder->bind(edit, QString::fromLatin1(field));
        return edit;
    };
    const auto shown = [this](const char* name, const char* field) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        m_mainBinder->bind(edit, QString::fromLatin1(field));
        return edit;
    };
    const auto withEllipsis = [this](LookupEditor* editor, std::function<void()> jump) {
        auto* box = new EllipsisBox(editor);
        connect(box, &EllipsisBox::ellipsisClicked, this, [jump] { InstrelApplication::guarded(jump); });
        return box;
    };

    // The device: chosen among all devices, its numbers and type shown beside it.
    m_deviceBox = new QGroupBox(caption(Str::MalfunctionDeviceBox));
    m_deviceBox->setObjectName(QStringLiteral("GroupBoxDevice"));
    auto* deviceLayout = new QGridLayout(m_deviceBox);
    deviceLayout->setColumnStretch(1, 1);
    deviceLayout->setColumnStretch(3, 1);
    m_editDevice = new LookupEditor(m_deviceBox);
    m_editDevice->setObjectName(QStringLiteral("editID_Device"));
    m_editDevice->setList(dsPasport, QStringLiteral("ID_Device"), QStringLiteral("ID_Device"),
                          {{QStringLiteral("ID_Device"), caption(Str::ColDeviceId)},
                           {QStringLiteral("ANumber"), caption(Str::ColAccessCode)},
                           {QStringLiteral("ZNumber"), caption(Str::ColManufactureCode)},
                           {QStringLiteral("Name_DevType"), caption(Str::ColType)}});
    m_editDevice->setSortableByTitles();
    m_editDevice->setPopupWidth([this] { return m_deviceBox->width() - m_editDevice->x() - 20; });
    m_binder->bind(m_editDevice, QStringLiteral("IDevice"));
    // A device chosen is stored at once, so that its numbers and type show beside it.
    connect(m_editDevice, &LookupEditor::keyChosen, this, [this] {
        if (dsRefusal->isEditing())
            InstrelApplication::guarded([this] { dsRefusal->post(); });
    });
    QLineEdit* aNumber = shown("editAnumber", "ANumber");
    QLineEdit* zNumber = shown("editZnumber", "ZNumber");
    QLineEdit* type = shown("editType", "Name_DevType");
    deviceLayout->addWidget(label(Str::ColDeviceId), 0, 0);
    deviceLayout->addWidget(m_editDevice, 0, 1);
    deviceLayout->addWidget(label(Str::ColAccessCode), 0, 2);
    deviceLayout->addWidget(aNumber, 0, 3);
    deviceLayout->addWidget(label(Str::ColType), 1, 0);
    deviceLayout->addWidget(type, 1, 1);
    deviceLayout->addWidget(label(Str::ColManufactureCode), 1, 2);
    deviceLayout->addWidget(zNumber, 1, 3);

    // A malfunction happens at a time of day, which the list shows and a correction must keep.
    auto* date = new QLineEdit;
    date->setObjectName(QStringLiteral("editDate"));
    date->setInputMask(EditValue::dateTimeMask());
    m_binder->bind(date, QStringLiteral("NDate"));
    QLineEdit* count = text("editNCount", "NCount");

    LookupEditor* group = lookup("editGroup", dsGroup, "ID_GroupNaimen", "Name_GroupNaimen", "IGroupNaimen");
    m_editName = lookup("editName", dsNaimen, "ID_Naimen", "Name_Naimen", "INaimen");
    // Choosing a group goes on to its names; a list closed without a choice opens nothing.
    connect(group, &LookupEditor::closedUp, this, [this](bool chosen) {
        if (chosen)
            QTimer::singleShot(0, m_editName, [this] { m_editName->showPopupWhereVisible(); });
    });
    QWidget* groupBox = withEllipsis(group, [this] {
        WindowJumps::openLinkedTable(this, WindowJumps::PageMalfunctionGroups, dsRefusal->value(QStringLiteral("IGroupNaimen")));
    });
    QWidget* nameBox = withEllipsis(m_editName, [this] {
        WindowJumps::openLinkedTable(this, WindowJumps::PageMalfunctionGroups, dsRefusal->value(QStringLiteral("IGroupNaimen")),
                                     dsRefusal->value(QStringLiteral("INaimen")));
    });
    LookupEditor* document = lookup("editDocument", dsDoc, "ID_Document", "Name_Document", "IDocument");
    QWidget* documentBox = withEllipsis(document, [this] {
        WindowJumps::openLinkedTable(this, WindowJumps::PageDocument, dsRefusal->value(QStringLiteral("IDocument")));
    });
    QLineEdit* comments = text("editComments", "ExectNaimen");
    QLineEdit* reason = text("editReason", "BriefCase");
    QLineEdit* elimination = text("editElimination", "Action");
    QLineEdit* sign = text("editSign", "Podpis");

    layout->addWidget(m_deviceBox, 0, 0, 1, 4);
    layout->addWidget(label(Str::MalfunctionColDate), 1, 0);
    layout->addWidget(date, 1, 1);
    layout->addWidget(label(Str::MalfunctionColAmount), 1, 2);
    layout->addWidget(count, 1, 3);
    layout->addWidget(label(Str::MalfunctionColGroup), 2, 0);
    layout->addWidget(groupBox, 2, 1, 1, 3);
    layout->addWidget(label(Str::MalfunctionColName), 3, 0);
    layout->addWidget(nameBox, 3, 1, 1, 3);
    layout->addWidget(label(Str::MalfunctionColComments), 4, 0);
    layout->addWidget(comments, 4, 1, 1, 3);
    layout->addWidget(label(Str::MalfunctionColReason), 5, 0);
    layout->addWidget(reason, 5, 1, 1, 3);
    layout->addWidget(label(Str::MalfunctionColElimination), 6, 0);
    layout->addWidget(elimination, 6, 1, 1, 3);
    layout->addWidget(label(Str::ColDocument), 7, 0);
    layout->addWidget(documentBox, 7, 1);
    layout->addWidget(label(Str::ColSign), 7, 2);
    layout->addWidget(sign, 7, 3);
    const std::pair<const char*, Str> captions[] = {
        {"IDevice", Str::ColDeviceId},
        {"NDate", Str::MalfunctionColDate},
        {"NCount", Str::MalfunctionColAmount},
        {"IGroupNaimen", Str::MalfunctionColGroup},
        {"INaimen", Str::MalfunctionColName},
        {"ExectNaimen", Str::MalfunctionColComments},
        {"BriefCase", Str::MalfunctionColReason},
        {"Action", Str::MalfunctionColElimination},
        {"IDocument", Str::ColDocument},
        {"Podpis", Str::ColSign}};
    for (const auto& [field, title] : captions)
        m_binder->setCaption(QString::fromLatin1(field), caption(title));
    layout->setRowStretch(8, 1);

    m_editorsByField = {
        {QStringLiteral("idevice"), m_editDevice},   {QStringLiteral("anumber"), aNumber},
        {QStringLiteral("znumber"), zNumber},        {QStringLiteral("name_devtype"), type},
        {QStringLiteral("ndate"), date},             {QStringLiteral("name_groupnaimen"), group},
        {QStringLiteral("name_naimen"), m_editName}, {QStringLiteral("exectnaimen"), comments},
        {QStringLiteral("briefcase"), reason},       {QStringLiteral("ncount"), count},
        {QStringLiteral("action"), elimination},     {QStringLiteral("name_document"), document},
        {QStringLiteral("podpis"), sign},
    };
    return page;
}

QWidget* TMalfunctionForm::createParametersPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetParameters"));
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* title = label(Str::LinkedParameters);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title, 0, 0);
    layout->setColumnStretch(0, 1);
    const auto button = [this, page](const char* name, const char* actionName, Str text, Str hint,
                                     std::function<void()> run) {
        auto* a = new QAction(Text(text), this);
        a->setObjectName(QString::fromLatin1(actionName));
        a->setToolTip(caption(hint));
        connect(a, &QAction::triggered, this, [run] { InstrelApplication::guarded(run); });
        auto* b = new QToolButton(page);
        b->setObjectName(QString::fromLatin1(name));
        b->setDefaultAction(a);
        b->setMinimumWidth(28);
        return b;
    };
    layout->addWidget(button("btnAdd", "InsertParam", Str::BtnAdd, Str::MalfunctionHintAddParam, [this] { InsertParam(); }),
                      0, 1);
    layout->addWidget(button("btnDel", "DeleteParam", Str::BtnDel, Str::MalfunctionHintDeleteParam,
                             [this] { DeleteParam(); }),
                      0, 2);

    m_gridParam = new DatasetGrid(dsRefusParamValue, page);
    m_gridParam->setObjectName(QStringLiteral("gridParam"));
    m_gridParam->setColumns({{QStringLiteral("Name_Param"), caption(Str::ColParameter)},
                             {QStringLiteral("Name_Dimention"), caption(Str::ColDimension)},
                             {QStringLiteral("Value"), caption(Str::ColValue)}});
    m_gridParam->cellDelegate()->setLookupColumns(QStringLiteral("Name_Param"),
                                                  {{QStringLiteral("Name_Param"), caption(Str::ColParameter)},
                                                   {QStringLiteral("Name_Dimention"), caption(Str::ColDimension)}});
    layout->addWidget(m_gridParam, 1, 0, 1, 3);
    return page;
}

// ---------------------------------------------------------------- page datasets

void TMalfunctionForm::openInformation()
{
    WaitCursor wait;
    followGroup();
    for (Dataset* ds : {dsPasport, dsGroup, dsNaimen, dsDoc})
        ds->open();
}

void TMalfunctionForm::closeInformation()
{
    // What the user typed is stored before the lists it was chosen from close.
    dsRefusal->checkBrowseMode();
    for (Dataset* ds : {dsDoc, dsNaimen, dsGroup, dsPasport})
        ds->close();
}

void TMalfunctionForm::openParameters()
{
    WaitCursor wait;
    for (Dataset* ds : {dsDimention, dsRefusalParam, dsRefusParamValue})
        ds->open();
}

void TMalfunctionForm::closeParameters()
{
    dsRefusParamValue->checkBrowseMode();
    dsRefusal->checkBrowseMode();
    for (Dataset* ds : {dsRefusParamValue, dsRefusalParam, dsDimention})
        ds->close();
}

void TMalfunctionForm::followGroup()
{
    const QVariant group =
        dsRefusal->isActive() && !dsRefusal->isEmpty() ? dsRefusal->value(QStringLiteral("IGroupNaimen")) : QVariant();
    const QVariant shown = dsNaimen->property("group");
    if (shown == group && shown.isNull() == group.isNull())
        return;
    dsNaimen->setProperty("group", group);
    dsNaimen->setParam(QStringLiteral("IGroupNaimen"), group);
    if (dsNaimen->isActive())
        InstrelApplication::guarded([this] { dsNaimen->requery(); });
}

void TMalfunctionForm::FormActivate()
{
    TBaseForm::FormActivate();
    if (isFormView())
        ReopenPage();
}

// ---------------------------------------------------------------- entries

void TMalfunctionForm::refreshList(const QVariant& id)
{
    RequeryKeepRow();
    if (!id.isNull())
        dsMain()->locate(kEntryKey, id);
}

void TMalfunctionForm::insertEntry(const std::function<bool()>& fill)
{
    // While the entry is being stored, the list is refreshed here, not by the record's own save.
    m_inserting = true;
    const auto stopped = qScopeGuard([this] { m_inserting = false; });
    insertDetached(*dsRefusal, kEntryKey, fill, [this](const QVariant& id) {
        m_inserting = false;
        showStoredRow(kEntryKey, id);
    });
}

void TMalfunctionForm::Insert2Execute()
{
    insertEntry([this] {
        dsRefusal->insert();
        MalfunctionRules::fillNewEntry(*dsRefusal, MalfunctionRules::deviceOfFilter(columnFilter(QStringLiteral("IDevice"))));
        return true;
    });
}

void TMalfunctionForm::SameExecute()
{
    const QVariant source = currentEntryId();
    if (source.isNull())
        return;
    insertEntry([this, source] {
        return insertCopy(*dsRefusal, MalfunctionRules::sameStatement(source.toLongLong()),
                          MalfunctionRules::sameColumns());
    });
}

// The jump never lands on another device: an entry without one, or a device the device window does
// not list, is said so, and that window stays where it was.
bool TMalfunctionForm::btnEditClick()
{
    if (currentEntryId().isNull())
        return false;
    dsRefusal->checkBrowseMode();
    const QVariant device = dsRefusal->isActive() && !dsRefusal->isEmpty() ? dsRefusal->value(QStringLiteral("IDevice"))
                                                                          : dsMain()->value(QStringLiteral("IDevice"));
    if (device.isNull()) {
        Messages::warning(Text(Str::MalfunctionWithoutDevice));
        return false;
    }
    auto* devices = qobject_cast<TDeviceForm*>(WindowJumps::openWindow(this, QStringLiteral("TDeviceForm")));
    if (!devices)
        return false;
    if (!devices->LocateDevice(device)) {
        Messages::warning(Text(Str::MalfunctionDeviceNotListed));
        return false;
    }
    if (!devices->isFormView())
        InstrelApplication::guarded([devices] { devices->Swap(); });
    return true;
}

// ---------------------------------------------------------------- parameter values

void TMalfunctionForm::InsertParam()
{
    // While a value is being typed, "Add" waits for it to be stored rather than start another.
    if (!m_valueRules->canAdd())
        return;
    dsRefusal->checkBrowseMode();
    dsRefusParamValue->append();
    m_gridParam->setFocus();
    m_gridParam->editCurrentRow();
}

void TMalfunctionForm::DeleteParam()
{
    if (m_valueRules->canDelete())
        dsRefusParamValue->deleteRecord();
}

// ---------------------------------------------------------------- going to a field, settings

QSize TMalfunctionForm::sizeHint() const { return QSize(960, 560); }

void TMalfunctionForm::GoToField(const QString& fieldName)
{
    if (!InstrelApplication::guarded([this] {
            dsRefusal->checkBrowseMode();
            Swap();
        }) ||
        !isFormView())
        return;
    QWidget* editor = m_editorsByField.value(fieldName.toLower());
    if (!editor)
        return;
    FormPanel()->setCurrentIndex(kInformation);
    editor->setFocus();
}

void TMalfunctionForm::saveSettings(FormSettings& settings) const
{
    TBaseForm::saveSettings(settings);
    GridSettings::save(settings, m_gridParam->objectName(), *m_gridParam);
}

void TMalfunctionForm::loadSettings(const FormSettings& settings)
{
    TBaseForm::loadSettings(settings);
    if (!dsRefusParamValue->isActive()) { // the columns are known once the dataset has been read
        dsRefusParamValue->open();
        dsRefusParamValue->close();
    }
    GridSettings::restore(settings, m_gridParam->objectName(), *m_gridParam);
}
