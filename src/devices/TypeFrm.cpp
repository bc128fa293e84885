#include "devices/TypeFrm.h"

#include "app/Application.h"
#include "app/WindowJumps.h"
#include "data/Dataset.h"
#include "data/RefChecks.h"
#include "data/WaitCursor.h"
#include "devices/rules/ServiceRules.h"
#include "devices/rules/TypeRules.h"
#include "tables/CellEditorDelegate.h"
#include "tables/DatasetGrid.h"
#include "tables/EllipsisBox.h"
#include "tables/FieldBinder.h"
#include "tables/FormSettings.h"
#include "tables/GridColumns.h"
#include "tables/GridSettings.h"
#include "tables/LookupEditor.h"
#include "text/StrList.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace {

struct ColumnText {
    const char* field;
    Str title;
};

// The table view's columns, in order; the view's other columns are hidden.
const ColumnText kMainColumns[] = {
    {"ID_DevType", Str::TypeColId},         {"Name_DevType", Str::TypeColType},    {"Mark_DevType", Str::TypeColModel},
    {"Name_Naim", Str::TypeColName},        {"Name_Prec", Str::TypeColAccuracy},   {"Name_Construct", Str::TypeColDesign},
    {"Name_Maker", Str::TypeColMadeBy},     {"Srok", Str::TypeColLifeTime},        {"Otkaz", Str::TypeColMtbf},
};

QLabel* label(Str text, QWidget* parent)
{
    auto* l = new QLabel(withoutAccelerator(Text(text)), parent);
    l->setWordWrap(true);
    return l;
}

QToolButton* smallButton(const QString& name, QAction* action, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setMinimumWidth(32);
    return button;
}

} // namespace

TTypeForm::TTypeForm(QWidget* parent) : TBaseForm(mainQuery(), parent)
{
    setObjectName(QStringLiteral("TypeForm"));
    dsMain()->setObjectName(QStringLiteral("dsType"));
    setRowIdentityField(QStringLiteral("ID_DevType"));
    setWindowTitle(withoutAccelerator(Text(Str::WinTypes)));
    createDatasets();
    setUpMainView();
    createEditors();

    setCommand(QStringLiteral("Insert2"), [this] { Insert2Execute(); },
               [this] { return dsMain()->isActive(); });
    setCommand(QStringLiteral("Same"), [this] { SameExecute(); },
               [this] { return dsMain()->isActive() && !dsMain()->isEmpty(); });
    setDeleteDataset(dsDevType);
    setPageHandlers(FormPanel()->widget(0), [this] { openPage(); }, [this] { closePage(); });
    connect(qApp, &QApplication::focusChanged, this, &TTypeForm::focusChanged);
}

TTypeForm::~TTypeForm() { disconnect(qApp, nullptr, this, nullptr); }

Dataset* TTypeForm::dataset(const char* name, const QString& sql)
{
    auto* ds = new Dataset(this);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setSql(sql);
    return ds;
}

void TTypeForm::createDatasets()
{
    dsDevType = dataset("dsDevType", QStringLiteral("select * from devtype where devtype.id_devtype = :id_devtype;"));
    dsDevType->setMaster(dsMain());
    dsNaim = dataset("dsNaim", QStringLiteral("select * from Naim order by Name_Naim;"));
    dsPrec = dataset("dsPrec", QStringLiteral("select * from Prec order by Name_Prec;"));
    dsConstruct = dataset("dsConstruct", QStringLiteral("select * from Construct order by Name_Construct;"));
    dsMaker = dataset("dsMaker", QStringLiteral("select * from Maker order by Name_Maker;"));
    dsReps = dataset("dsReps", QStringLiteral("SELECT * FROM Reps;"));
    dsCrewDep = dataset("dsCrewDep", QStringLiteral("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew "
                                                    "LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart;"));
    dsInterval = dataset("dsInterval", QStringLiteral("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep "
                                                      "WHERE IDevType = :ID_DevType order by ICrew,IRep;"));
    dsInterval->setMaster(dsDevType);
    const auto lookupField = [this](const char* name, Dataset* list, const char* key, const char* listKey,
                                    const char* result, bool readOnly) {
        Field* f = dsInterval->addLookupField(QString::fromLatin1(name), {list, QString::fromLatin1(key),
                                                                          QString::fromLatin1(listKey),
                                                                          QString::fromLatin1(result)});
        f->setReadOnly(readOnly);
    };
    lookupField("Name_Depart", dsCrewDep, "ICrew", "ID_Crew", "Name_Depart", true);
    lookupField("Name_Crew", dsCrewDep, "ICrew", "ID_Crew", "Name_Crew", false);
    lookupField("Name_Reps", dsReps, "IRep", "ID_Reps", "Name_Reps", false);
    lookupField("Short_Reps", dsReps, "IRep", "ID_Reps", "Short_Reps", true);

    // A new type is named at once, so that it can be stored and found before the user types.
    dsDevType->onNewRecord.connect(
        [](Dataset& ds) { ds.setValue(QStringLiteral("Name_DevType"), TypeRules::newTypeName()); });
    dsDevType->afterOpen.connect([](Dataset& ds) {
        if (Field* name = ds.field(QStringLiteral("Name_DevType"))) {
            name->setRequired(true);
            name->setLabel(withoutAccelerator(Text(Str::TypeColType)));
        }
    });
    GuardDeletion(*dsDevType, QStringLiteral("ID_DevType"), CheckDeviceTypeRefs);
    dsDevType->beforeDelete.connect([this](Dataset&) { m_returnId = TypeRules::returnIdAfterDeletion(*dsMain()); });
    dsDevType->afterDelete.connect([this](Dataset&) { RefreshById(m_returnId); });
    dsInterval->afterOpen.connect([](Dataset& ds) {
        if (Field* rt = ds.field(QStringLiteral("RT_Mon")))
            rt->setDisplayFormat(QStringLiteral("0.##"));
    });
    m_intervalRules = new TypeIntervalRules(*dsInterval, *dsDevType, *dsCrewDep, this);
    dsDevType->open(); // it follows the list in both views, so Delete and Same work in the table too
}

void TTypeForm::setUpMainView()
{
    QList<GridColumns::Column> columns;
    for (const ColumnText& column : kMainColumns)
        columns.append({QString::fromLatin1(column.field), withoutAccelerator(Text(column.title))});
    GridColumns::show(*grid(), *dsMain(), columns);
    GridColumns::widenToTitles(*grid());
}

QWidget* TTypeForm::lookup(const char* name, Dataset* list, const char* key, const char* display, int linkedPage,
                           const char* field)
{
    auto* editor = new LookupEditor;
    editor->setObjectName(QString::fromLatin1(name));
    editor->setList(list, QString::fromLatin1(key), QString::fromLatin1(display));
    m_binder->bind(editor, QString::fromLatin1(field));
    auto* box = new EllipsisBox(editor);
    const QString keyField = QString::fromLatin1(field);
    connect(box, &EllipsisBox::ellipsisClicked, this, [this, linkedPage, keyField] {
        WindowJumps::openLinkedTable(this, linkedPage, dsDevType->value(keyField));
    });
    return box;
}

void TTypeForm::createEditors()
{
    FormPanel()->setTabText(0, withoutAccelerator(Text(Str::PageInformation)));
    QWidget* page = ScrollBox1()->widget();
    m_binder = new FieldBinder(dsDevType, this);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    const auto text = [this](const char* name, const char* field, int length) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        if (length > 0)
            edit->setMaxLength(length);
        m_binder->bind(edit, QString::fromLatin1(field));
        return edit;
    };
    QWidget* editType = text("editType", "Name_DevType", 50);
    QWidget* editModel = text("editModel", "Mark_DevType", 50);
    QWidget* editSrok = text("editSrok", "Srok", 0);
    QWidget* editOtkaz = text("editOtkaz", "Otkaz", 0);
    QWidget* naim = lookup("editNaim", dsNaim, "ID_Naim", "Name_Naim", WindowJumps::PageNaim, "INaim");
    QWidget* construct =
        lookup("editConstruct", dsConstruct, "ID_Construct", "Name_Construct", WindowJumps::PageConstruct, "IConstruct");
    QWidget* maker = lookup("editMaker", dsMaker, "ID_Maker", "Name_Maker", WindowJumps::PageMaker, "IMaker");
    QWidget* prec = lookup("editPrec", dsPrec, "ID_Prec", "Name_Prec", WindowJumps::PagePrec, "IPrec");
    auto* comments = new QPlainTextEdit;
    comments->setObjectName(QStringLiteral("editComments"));
    comments->setFixedHeight(comments->fontMetrics().lineSpacing() * 3 + 12);
    m_binder->bind(comments, QStringLiteral("Comments"));

    layout->addWidget(label(Str::TypeColType, page), 0, 0);
    layout->addWidget(editType, 0, 1, 1, 3);
    layout->addWidget(label(Str::TypeColModel, page), 1, 0);
    layout->addWidget(editModel, 1, 1, 1, 3);
    layout->addWidget(label(Str::TypeColName, page), 2, 0);
    layout->addWidget(naim, 2, 1, 1, 3);
    layout->addWidget(label(Str::TypeColDesign, page), 3, 0);
    layout->addWidget(construct, 3, 1);
    layout->addWidget(label(Str::TypeColMadeBy, page), 3, 2);
    layout->addWidget(maker, 3, 3);
    layout->addWidget(label(Str::TypeColAccuracy, page), 4, 0);
    layout->addWidget(prec, 4, 1);
    layout->addWidget(label(Str::TypeColLifeTime, page), 5, 0);
    layout->addWidget(editSrok, 5, 1);
    layout->addWidget(label(Str::TypeColMtbf, page), 5, 2);
    layout->addWidget(editOtkaz, 5, 3);
    layout->addWidget(label(Str::TypeColComments, page), 6, 0, Qt::AlignTop);
    layout->addWidget(comments, 6, 1, 1, 3);
    const std::pair<const char*, Str> captions[] = {
        {"Name_DevType", Str::TypeColType}, {"Mark_DevType", Str::TypeColModel}, {"INaim", Str::TypeColName},
        {"IConstruct", Str::TypeColDesign}, {"IMaker", Str::TypeColMadeBy},      {"IPrec", Str::TypeColAccuracy},
        {"Srok", Str::TypeColLifeTime},     {"Otkaz", Str::TypeColMtbf},         {"Comments", Str::TypeColComments}};
    for (const auto& [field, title] : captions)
        m_binder->setCaption(QString::fromLatin1(field), withoutAccelerator(Text(title)));

    auto* insert = new QAction(Text(Str::BtnAdd), this);
    insert->setObjectName(QStringLiteral("InsertInterval"));
    insert->setToolTip(Text(Str::HintAddService));
    connect(insert, &QAction::triggered, this, [this] { InstrelApplication::guarded([this] { InsertInterval(); }); });
    auto* remove = new QAction(Text(Str::BtnDel), this);
    remove->setObjectName(QStringLiteral("DeleteInterval"));
    remove->setToolTip(Text(Str::HintDeleteService));
    connect(remove, &QAction::triggered, this, [this] { InstrelApplication::guarded([this] { DeleteInterval(); }); });
    auto* intervalsBar = new QHBoxLayout;
    auto* intervalsLabel = label(Str::LabelServiceIntervals, page);
    intervalsLabel->setObjectName(QStringLiteral("labIntervals"));
    QFont bold = intervalsLabel->font();
    bold.setBold(true);
    intervalsLabel->setFont(bold);
    intervalsBar->addWidget(intervalsLabel, 1);
    intervalsBar->addWidget(smallButton(QStringLiteral("btnInsertInterval"), insert, page));
    intervalsBar->addWidget(smallButton(QStringLiteral("btnDeleteInterval"), remove, page));
    layout->addLayout(intervalsBar, 7, 0, 1, 4);

    m_gridInterval = new DatasetGrid(dsInterval, page);
    m_gridInterval->setObjectName(QStringLiteral("gridInterval"));
    m_gridInterval->setColumns({{QStringLiteral("Name_Depart"), withoutAccelerator(Text(Str::ColDepartment))},
                                {QStringLiteral("Name_Crew"), withoutAccelerator(Text(Str::ColCrew))},
                                {QStringLiteral("Name_Reps"), withoutAccelerator(Text(Str::ColServiceName))},
                                {QStringLiteral("Short_Reps"), withoutAccelerator(Text(Str::ColShortName))},
                                {QStringLiteral("RT_Mon"), withoutAccelerator(Text(Str::ColIntervalMonths))}});
    m_gridInterval->cellDelegate()->setLookupColumns(
        QStringLiteral("Name_Crew"), {{QStringLiteral("Name_Depart"), withoutAccelerator(Text(Str::ColDepartment))},
                                      {QStringLiteral("Name_Crew"), withoutAccelerator(Text(Str::ColCrew))}});
    m_gridInterval->cellDelegate()->setLookupColumns(
        QStringLiteral("Name_Reps"), {{QStringLiteral("Name_Reps"), withoutAccelerator(Text(Str::ColServiceName))},
                                      {QStringLiteral("Short_Reps"), withoutAccelerator(Text(Str::ColShortName))}});
    m_gridInterval->setMinimumHeight(120);
    layout->addWidget(m_gridInterval, 8, 0, 1, 4);
    layout->setRowStretch(8, 1);

    m_editorsByField = {{QStringLiteral("name_devtype"), editType},
                        {QStringLiteral("mark_devtype"), editModel},
                        {QStringLiteral("name_naim"), EllipsisBox::editorOf(naim)},
                        {QStringLiteral("name_prec"), EllipsisBox::editorOf(prec)},
                        {QStringLiteral("name_construct"), EllipsisBox::editorOf(construct)},
                        {QStringLiteral("name_maker"), EllipsisBox::editorOf(maker)},
                        {QStringLiteral("srok"), editSrok},
                        {QStringLiteral("otkaz"), editOtkaz}};
}

// ---------------------------------------------------------------- the form page

void TTypeForm::openPage()
{
    WaitCursor wait;
    for (Dataset* ds : {dsNaim, dsPrec, dsConstruct, dsMaker, dsCrewDep, dsReps})
        ds->open();
    if (!dsDevType->isActive())
        dsDevType->open();
    dsInterval->open();
    m_binder->refresh();
}

void TTypeForm::closePage()
{
    // What the user typed is stored before the lists close; a refusal keeps the page (and the edit).
    dsInterval->checkBrowseMode();
    dsDevType->checkBrowseMode();
    dsInterval->close();
    for (Dataset* ds : {dsNaim, dsPrec, dsConstruct, dsMaker, dsCrewDep, dsReps})
        ds->close();
}

void TTypeForm::FormActivate()
{
    TBaseForm::FormActivate();
    if (isFormView())
        ReopenPage();
}

void TTypeForm::focusChanged(QWidget* old, QWidget* now)
{
    // Leaving the form page stores the type; a pop-up of one of its editors is still on the page.
    if (!old || !now || QApplication::activePopupWidget() || !FormPanel()->isAncestorOf(old) ||
        FormPanel()->isAncestorOf(now))
        return;
    if (dsDevType->isEditing())
        InstrelApplication::guarded([this] { dsDevType->post(); });
}

// ---------------------------------------------------------------- commands

void TTypeForm::RefreshById(const QVariant& id)
{
    WaitCursor wait;
    dsMain()->disableControls();
    struct Enable {
        Dataset* ds;
        ~Enable() { ds->enableControls(); }
    } enable{dsMain()};
    dsMain()->requery();
    dsMain()->locate(QStringLiteral("ID_DevType"), id);
}

void TTypeForm::insertTypeRecord(const std::function<bool()>& fill)
{
    dsInterval->checkBrowseMode();
    insertDetached(*dsDevType, QStringLiteral("ID_DevType"), fill,
                   [this](const QVariant& id) { showStoredRow(QStringLiteral("ID_DevType"), id); });
}

void TTypeForm::Insert2Execute()
{
    insertTypeRecord([this] {
        dsDevType->insert();
        return true;
    });
}

void TTypeForm::SameExecute()
{
    if (dsMain()->isEmpty())
        return;
    const qint64 source = dsMain()->value(QStringLiteral("ID_DevType")).toLongLong();
    insertTypeRecord(
        [this, source] { return insertCopy(*dsDevType, TypeRules::sameStatement(source), TypeRules::sameColumns()); });
}

void TTypeForm::InsertInterval()
{
    if (!dsInterval->isActive())
        return;
    dsDevType->checkBrowseMode(); // a new type gets its key before its intervals
    if (dsDevType->isEmpty())
        return;
    dsInterval->append();
    m_gridInterval->editCurrentRow();
}

void TTypeForm::DeleteInterval()
{
    if (dsInterval->isActive() && !dsInterval->isEmpty())
        dsInterval->deleteRecord();
}

// ---------------------------------------------------------------- for other windows

bool TTypeForm::LocateType(const QVariant& id)
{
    if (id.isNull() || !dsMain()->isActive())
        return false;
    bool found = false;
    InstrelApplication::guarded([&] { found = dsMain()->locate(QStringLiteral("ID_DevType"), id); });
    return found;
}

void TTypeForm::ShowEditor(const QString& editorName)
{
    if (!isFormView())
        InstrelApplication::guarded([this] { Swap(); });
    if (QWidget* editor = findChild<QWidget*>(editorName))
        editor->setFocus();
}

QSize TTypeForm::sizeHint() const { return QSize(900, 580); }

void TTypeForm::GoToField(const QString& fieldName)
{
    if (!InstrelApplication::guarded([this] { Swap(); }))
        return;
    if (QWidget* editor = m_editorsByField.value(fieldName.toLower()); editor && isFormView())
        editor->setFocus();
}

// ---------------------------------------------------------------- settings

void TTypeForm::saveSettings(FormSettings& settings) const
{
    TBaseForm::saveSettings(settings);
    GridSettings::save(settings, QStringLiteral("gridInterval"), *m_gridInterval);
}

void TTypeForm::loadSettings(const FormSettings& settings)
{
    TBaseForm::loadSettings(settings);
    // The grid's columns are known once its dataset has been read.
    if (!dsInterval->isActive()) {
        dsInterval->open();
        dsInterval->close();
    }
    GridSettings::restore(settings, QStringLiteral("gridInterval"), *m_gridInterval);
}
