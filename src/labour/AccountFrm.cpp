#include "labour/AccountFrm.h"

#include "app/Application.h"
#include "app/MainFrm.h"
#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/MessageService.h"
#include "data/RefChecks.h"
#include "data/Transaction.h"
#include "data/WaitCursor.h"
#include "labour/CrewListRpt.h"
#include "labour/DevTypeRpt.h"
#include "labour/ListCombos.h"
#include "labour/NormAccRpt.h"
#include "labour/rules/CrewNames.h"
#include "labour/rules/DevTypeCountSync.h"
#include "labour/rules/FigureFormats.h"
#include "labour/rules/LabourFigures.h"
#include "labour/rules/LabourRecount.h"
#include "tables/CellEditorDelegate.h"
#include "tables/EditableDatasetModel.h"
#include "tables/FieldBinder.h"
#include "tables/FormSettings.h"
#include "tables/GridFooter.h"
#include "tables/GridSettings.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Pages of the linked tables window (their place in its list of tables).
enum LinkedPage {
    LinkedCrewPage = 3,
    LinkedRepsPage = 15,
    LinkedCathegoryPage = 19,
};

constexpr int kPrintDevTypeTag = 1;
constexpr int kPrintListTag = 8;

const char* const kCrewDepQuery =
    "SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as Crew1 FROM Crew "
    "LEFT JOIN Depart ON Crew.IDepart = Depart.ID_Depart ;";

Dataset* newDataset(QObject* owner, const char* name, const char* sql, Dataset* master = nullptr,
                    const char* sort = nullptr)
{
    auto* ds = new Dataset(owner);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setSql(QString::fromUtf8(sql));
    if (master)
        ds->setMaster(master);
    if (sort)
        ds->setSort(QString::fromLatin1(sort));
    return ds;
}

// Shows only `fields` of a dataset, in this order, in `grid`.
void showColumns(QTableView* grid, Dataset* ds, const QStringList& fields)
{
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < ds->fieldCount(); ++c)
        grid->setColumnHidden(c, !fields.contains(ds->fields()[size_t(c)]->name(), Qt::CaseInsensitive));
    for (int i = 0; i < fields.size(); ++i) {
        const int c = ds->fieldIndex(fields[i]);
        if (c >= 0)
            header->moveSection(header->visualIndex(c), i);
    }
}

void setActive(std::initializer_list<Dataset*> datasets, bool on)
{
    for (Dataset* ds : datasets)
        ds->setActive(on);
}

QLabel* newLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

// ================================================================ creation

TAccountForm::TAccountForm(QWidget* parent) : TBaseForm(mainQuery(), parent)
{
    dsMain()->setObjectName(QStringLiteral("dsAccount"));
    setRowIdentityField(QStringLiteral("ID_RepCath"));
    setWindowTitle(withoutAccelerator(Text(Str::WinAmountPerUnit)));
    createDatasets();
    createCommands();
    buildInfoPage();
    buildCrewPage();
    buildNormPage();
    setLabels();
    // Every list of the window, and the reports that read them, show figures with their places.
    QList<Dataset*> lists = findChildren<Dataset*>();
    if (!lists.contains(dsMain()))
        lists.append(dsMain());
    for (Dataset* list : std::as_const(lists))
        FigureFormats::follow(*list);
    m_footer = new GridFooter(grid(), dsMain(), {QStringLiteral("Value")}, GridPanel());
    GridPanel()->layout()->addWidget(m_footer);
    showButtonsFor(View::Table);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TAccountForm::updatePageButtons);
}

TAccountForm::~TAccountForm() = default;

void TAccountForm::createDatasets()
{
    createInfoDatasets();
    createCrewDatasets();
    createNormDatasets();
}

void TAccountForm::createInfoDatasets()
{
    dsCrewDep = newDataset(this, "dsCrewDep", kCrewDepQuery);
    dsDevType = newDataset(this, "dsDevType",
                           "select DevType.ID_DevType, DevType.Name_DevType, DevType.Mark_DevType, DevTypeCount.Count, "
                           "DevTypeCount.ID_DevTypeCount, DevTypeCount.ICrew, DevTypeCount.IDevType from DevType left "
                           "join DevTypeCount on DevTypeCount.IDevType = DevType.ID_DevType where "
                           "DevTypeCount.ICrew=:ID_Crew;",
                           dsCrewDep, "Name_DevType, Mark_DevType");
    dsDevType->setUpdateTable(QStringLiteral("DevType"), QStringLiteral("ID_DevType"));
    // The count is the crew's, written after the type's row: another planner's change to it is
    // caught as one to the row.
    dsDevType->setColumnStoredIn(QStringLiteral("Count"), QStringLiteral("DevTypeCount"), QStringLiteral("ID_DevTypeCount"));
    dsDevTypeCrew = newDataset(this, "dsDevTypeCrew",
                               "SELECT IDevType, ICrew FROM DevTypeCount WHERE ID_DevTypeCount = :ID_DevTypeCount;", dsDevType);
    dsDevRep = newDataset(this, "dsDevRep", "select  * from DevRep where IDevType = :IDevType AND ICrew = :ICrew;",
                          dsDevTypeCrew, "R_No, IRep");
    dsRepCath = newDataset(this, "dsRepCath", "select * from RepCath where IDevRep = :ID_DevRep;", dsDevRep, "ICathegory");
    dsReps = newDataset(this, "dsReps", "SELECT * FROM Reps;");
    dsCathegory = newDataset(this, "dsCathegory", "SELECT * FROM Cathegory ORDER BY Cathegory;");

    dsDevType->addCalculatedField(QStringLiteral("RecN"), [](const Dataset&, int row) { return QVariant(std::abs(row + 1)); });
    dsDevRep->addLookupField(QStringLiteral("Full"), {dsReps, QStringLiteral("IRep"), QStringLiteral("ID_Reps"),
                                                      QStringLiteral("Name_Reps")})->setDisplayWidth(50);
    dsDevRep->addLookupField(QStringLiteral("Short"), {dsReps, QStringLiteral("IRep"), QStringLiteral("ID_Reps"),
                                                       QStringLiteral("Short_Reps")})->setDisplayWidth(5);
    dsRepCath->addLookupField(QStringLiteral("Name_Cathegory"),
                              {dsCathegory, QStringLiteral("ICathegory"), QStringLiteral("ID_Cathegory"),
                               QStringLiteral("Name_Cathegory")})->setDisplayWidth(50);

    dsDevType->beforePost.connect([this](Dataset& ds) {
        const QVariant was = ds.oldValue(QStringLiteral("Count"));
        const QVariant now = ds.value(QStringLiteral("Count"));
        m_countChanged = was.isNull() != now.isNull() || LabourFigures::number(was) != LabourFigures::number(now);
    });
    dsDevType->afterPost.connect([this](Dataset&) { dsDevTypeAfterPost(); });
    GuardDeletion(*dsDevType, QStringLiteral("ID_DevType"), CheckDeviceTypeRefs);
    dsDevRep->onNewRecord.connect([this](Dataset& ds) {
        ds.setValue(QStringLiteral("ICrew"), currentValue(dsDevTypeCrew, QStringLiteral("ICrew")));
        ds.setValue(QStringLiteral("IDevType"), currentValue(dsDevTypeCrew, QStringLiteral("IDevType")));
    });
    GuardDeletion(*dsDevRep, QStringLiteral("ID_DevRep"), CheckServiceRowRefs);
    dsRepCath->beforePost.connect([this](Dataset& ds) {
        // Only a new share takes the service row: an edited one stays where it was made.
        if (ds.state() == Dataset::State::Insert)
            ds.setValue(QStringLiteral("IDevRep"), currentValue(dsDevRep, QStringLiteral("ID_DevRep")));
    });
    // An edit in a list is stored before the list above it moves, so that it stays with its own row.
    dsDevType->beforeScroll.connect([this](Dataset&) {
        dsRepCath->checkBrowseMode();
        dsDevRep->checkBrowseMode();
    });
    dsDevRep->beforeScroll.connect([this](Dataset&) { dsRepCath->checkBrowseMode(); });
    dsCrewDep->beforeScroll.connect([this](Dataset&) { postInfoPage(); });
}

void TAccountForm::createCommands()
{
    const QString print = Text(Str::BtnPrint);
    const QString printHint = Text(Str::HintPrint);
    // Each report prints the crew chosen on its page; the button waits until the preview is closed.
    addButton(addCommand(QStringLiteral("PrintDevType"), print, printHint, [this] { PrintDevTypeExecute(); },
                         [this] { return visiblePage() == m_infoPage && hasCurrent(dsCrewDep); }),
              kPrintDevTypeTag);
    addButton(addCommand(QStringLiteral("PrintCrewList"), print, printHint, [this] { PrintCrewListExecute(); },
                         [this] { return visiblePage() == m_crewPage && hasCurrent(dsCrewDep2); }),
              kPrintListTag);
    addButton(addCommand(QStringLiteral("PrintNormAcc"), print, printHint, [this] { PrintNormAccExecute(); },
                         [this] { return visiblePage() == m_normPage && hasCurrent(dsCrewDep3); }),
              kPrintListTag);

    addCommand(QStringLiteral("RecountAll"), LabourRecount::caption(), LabourRecount::hint(),
               [this] { InstrelApplication::guarded([this] { RecountAllExecute(); }); },
               [this] { return visiblePage() == m_infoPage && hasCurrent(dsCrewDep); });

    const QString insert = Text(Str::BtnInsert);
    const QString insertHint = Text(Str::HintInsert);
    const QString remove = Text(Str::BtnDelete);
    const QString removeHint = Text(Str::HintDelete);
    auto crewShown = [this] { return visiblePage() == m_crewPage && dsCrewListView->isActive(); };
    auto normShown = [this] { return visiblePage() == m_normPage && dsNormState->isActive(); };
    addCommand(QStringLiteral("InsertCrewList"), insert, insertHint, [this] { InsertCrewListExecute(); },
               [=, this] { return crewShown() && hasCurrent(dsCrewDep2); });
    addCommand(QStringLiteral("DeleteCrewList"), remove, removeHint, [this] { DeleteCrewList(); },
               [=, this] { return crewShown() && hasCurrent(dsCrewList); });
    addCommand(QStringLiteral("InsertNormState"), insert, insertHint, [this] { InsertNormState(); },
               [=, this] { return normShown() && hasCurrent(dsCrewDep3); });
    addCommand(QStringLiteral("DeleteNormState"), remove, removeHint, [this] { DeleteNormState(); },
               [=, this] { return normShown() && hasCurrent(dsNormState); });
    action(QStringLiteral("Insert2"))->setText(Text(Str::BtnSame));
    action(QStringLiteral("Insert2"))->setToolTip(withoutAccelerator(hintShort(Text(Str::HintSame))));
    action(QStringLiteral("Insert2"))->setStatusTip(hintLong(Text(Str::HintSame)));
    setCommand(QStringLiteral("Insert2"), [this] { Insert2Execute(); },
               [=, this] { return crewShown() && hasCurrent(dsCrewListView); });
    bindButton(QStringLiteral("btnSame"), QStringLiteral("Insert2"));
    setCommand(QStringLiteral("Swap"), [this] { swapView(); });
}

// ================================================================ helpers

QTableView* TAccountForm::newGrid(const QString& name, Dataset* dataset, QWidget* parent, bool editable)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    if (editable) {
        grid->setModel(new EditableDatasetModel(dataset, grid));
        grid->setItemDelegate(new CellEditorDelegate(grid));
        grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    } else {
        grid->setModel(new DatasetModel(dataset, grid));
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
    // The grid's current row is the dataset's, both ways.
    auto follow = [grid, dataset] {
        const int row = dataset->currentRow();
        if (row >= 0 && grid->currentIndex().row() != row) {
            const int column = std::max(0, grid->currentIndex().column());
            grid->selectionModel()->setCurrentIndex(grid->model()->index(row, column),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    };
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
            [grid, dataset, follow](const QModelIndex& current) {
                if (!current.isValid() || !dataset->isActive() || current.row() == dataset->currentRow())
                    return;
                // The row being left could not be stored: the grid goes back to it.
                if (!InstrelApplication::guarded([&] { dataset->setRecNo(current.row() + 1); }))
                    QTimer::singleShot(0, grid, follow);
            });
    connect(dataset, &Dataset::currentChanged, grid, follow);
    connect(dataset, &Dataset::rowsReplaced, grid, follow);
    // A list empty when its page opened is fitted once it has rows (another type, another crew).
    connect(dataset, &Dataset::rowsReplaced, grid, [this, grid] {
        if (grid->isVisible())
            fitColumnsOnce({grid});
    });
    return grid;
}

void TAccountForm::sortByTitles(QTableView* grid, Dataset* dataset, bool exceptFirst)
{
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    // The header turns its indicator on each click; the rows follow it. A looked-up column has no
    // stored value to sort by.
    connect(header, &QHeaderView::sortIndicatorChanged, grid, [header, dataset, exceptFirst](int section, Qt::SortOrder order) {
        const bool sortable = section >= 0 && section < dataset->fieldCount() &&
                              dataset->fields()[size_t(section)]->kind() == Field::Kind::Data &&
                              !(exceptFirst && header->visualIndex(section) == 0);
        if (!sortable) {
            const QSignalBlocker block(header);
            header->setSortIndicator(-1, Qt::AscendingOrder);
            return;
        }
        const QString field = dataset->fields()[size_t(section)]->name();
        InstrelApplication::guarded(
            [&] { dataset->setSort(order == Qt::DescendingOrder ? field + QStringLiteral(" DESC") : field); });
    });
}

CellEditorDelegate* TAccountForm::cellEditors(QTableView* grid)
{
    return qobject_cast<CellEditorDelegate*>(grid->itemDelegate());
}

QPushButton* TAccountForm::newButton(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(withoutAccelerator(caption), parent);
    b->setObjectName(name);
    b->setToolTip(hintShort(hint));
    b->setStatusTip(hintLong(hint));
    return b;
}

QVariant TAccountForm::currentValue(const Dataset* dataset, const QString& field)
{
    return hasCurrent(dataset) ? dataset->value(field) : QVariant();
}

bool TAccountForm::hasCurrent(const Dataset* dataset)
{
    return dataset && dataset->isActive() && !dataset->isEmpty();
}

// ================================================================ buttons by view and page

void TAccountForm::showButtonsFor(View view)
{
    const bool table = view == View::Table;
    const bool lists = view == View::Crew || view == View::Norm;
    for (const char* name : {"btnFirst", "btnPrior", "btnNext", "btnLast"})
        setButtonVisible(QString::fromLatin1(name), table || lists);
    setButtonVisible(QStringLiteral("btnInsert"), lists);
    setButtonVisible(QStringLiteral("btnSame"), view == View::Crew);
    setButtonVisible(QStringLiteral("btnDelete"), lists);
    setButtonVisible(QStringLiteral("btnPrint"), table);
    setButtonVisible(QStringLiteral("btnPrintDevType"), view == View::Info);
    setButtonVisible(QStringLiteral("btnPrintCrewList"), view == View::Crew);
    setButtonVisible(QStringLiteral("btnPrintNormAcc"), view == View::Norm);
    if (view == View::Crew) {
        bindButton(QStringLiteral("btnInsert"), QStringLiteral("InsertCrewList"));
        bindButton(QStringLiteral("btnDelete"), QStringLiteral("DeleteCrewList"));
    } else if (view == View::Norm) {
        bindButton(QStringLiteral("btnInsert"), QStringLiteral("InsertNormState"));
        bindButton(QStringLiteral("btnDelete"), QStringLiteral("DeleteNormState"));
    } else {
        bindButton(QStringLiteral("btnInsert"), QStringLiteral("Insert2"));
        bindButton(QStringLiteral("btnDelete"), QStringLiteral("Delete"));
    }
}

void TAccountForm::swapView()
{
    Swap();
    if (!isFormView()) {
        setNavigationDataset(nullptr);
        showButtonsFor(View::Table);
    }
}

// ================================================================ activation and fields

void TAccountForm::FormActivate()
{
    TBaseForm::FormActivate();
    if (isFormView())
        ReopenPage();
}

void TAccountForm::GoToField(const QString& fieldName)
{
    const QString name = fieldName.toLower();
    QWidget* target = nullptr;
    if (name == QLatin1String("name_depart") || name == QLatin1String("name_crew"))
        target = m_editCrewDep;
    else if (name == QLatin1String("name_devtype") || name == QLatin1String("mark_devtype"))
        target = m_gridDevType;
    else if (name == QLatin1String("name_reps") || name == QLatin1String("short_reps"))
        target = m_gridDevRep;
    else if (name == QLatin1String("name_cathegory") || name == QLatin1String("cathegory") || name == QLatin1String("value"))
        target = m_gridRepCath;
    if (!isFormView())
        swapView();
    if (!target)
        return;
    FormPanel()->setCurrentWidget(m_infoPage);
    target->setFocus(Qt::OtherFocusReason);
}

// ================================================================ settings

void TAccountForm::saveSettings(FormSettings& settings) const
{
    TBaseForm::saveSettings(settings);
    settings.setValue(QStringLiteral("PanelServices.Height"), m_servicesSplitter->sizes().value(0));
    settings.setValue(QStringLiteral("PanelTypes.Width"), m_typesSplitter->sizes().value(0));
    settings.setValue(QStringLiteral("PanelCrewList.Height"), m_crewSplitter->sizes().value(0));
    settings.setValue(QStringLiteral("NormStatePanel.Height"), m_normSplitter->sizes().value(0));
    // A page not shown since the settings were read keeps the layout the file holds.
    for (const QTableView* g : {m_gridDevRep, m_gridRepCath, m_gridDevType, m_gridCrewList, m_gridNormState})
        if (!m_storedGrids.contains(const_cast<QTableView*>(g)))
            GridSettings::save(settings, g->objectName(), *g);
}

void TAccountForm::loadSettings(const FormSettings& settings)
{
    TBaseForm::loadSettings(settings);
    // Applied when the page shows: a splitter that was never laid out has no sizes to set.
    auto remember = [&](QSplitter* splitter, const char* key) {
        const int size = settings.value(QString::fromLatin1(key), 0).toInt();
        if (size > 0)
            m_storedSizes.insert(splitter, size);
    };
    remember(m_servicesSplitter, "PanelServices.Height");
    remember(m_typesSplitter, "PanelTypes.Width");
    remember(m_crewSplitter, "PanelCrewList.Height");
    remember(m_normSplitter, "NormStatePanel.Height");
    // The page grids' columns exist only once their page has opened its datasets: kept till then.
    for (QTableView* g : {m_gridDevRep, m_gridRepCath, m_gridDevType, m_gridCrewList, m_gridNormState})
        if (settings.contains(g->objectName() + QStringLiteral(".Columns"))) {
            m_storedGrids.insert(g, GridSettings::read(settings, g->objectName()));
            m_fittedGrids.insert(g);
        }
}

void TAccountForm::applyStoredGrids(std::initializer_list<QTableView*> grids)
{
    for (QTableView* g : grids) {
        auto* model = qobject_cast<DatasetModel*>(g->model());
        if (m_storedGrids.contains(g) && model && model->dataset()->fieldCount() > 0)
            GridSettings::apply(m_storedGrids.take(g), *g);
    }
}

void TAccountForm::fitColumnsOnce(std::initializer_list<QTableView*> grids)
{
    // Until the user has widths of his own, columns are as wide as their titles and values.
    for (QTableView* g : grids)
        if (!m_fittedGrids.contains(g) && g->model()->rowCount() > 0) {
            g->resizeColumnsToContents();
            m_fittedGrids.insert(g);
        }
}

void TAccountForm::applyStoredSizes(std::initializer_list<QSplitter*> splitters)
{
    for (QSplitter* splitter : splitters) {
        if (!m_storedSizes.contains(splitter))
            continue;
        const QList<int> sizes = splitter->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (total <= 0) {
            // Not laid out yet: once the page has its size.
            QTimer::singleShot(0, this, [this, splitter] { applyStoredSizes({splitter}); });
            continue;
        }
        const int first = std::min(m_storedSizes.take(splitter), total - 20);
        splitter->setSizes({first, total - first});
    }
}

// ================================================================ jumps

TMainForm* TAccountForm::mainForm() const { return qobject_cast<TMainForm*>(window()); }

void TAccountForm::jumpToLinkedTable(int page, const QVariant& key, const QVariant& detailKey)
{
    TMainForm* main = mainForm();
    if (!main)
        return;
    main->action(QStringLiteral("OpenSprav"))->trigger();
    auto* sprav = qobject_cast<TSpravForm*>(main->findChildWindow(QStringLiteral("TSpravForm")));
    if (!sprav)
        return;
    sprav->LocateKey(page, key);
    if (detailKey.isValid())
        sprav->LocateDetailKey(page, detailKey);
}

void TAccountForm::btnEditCrewDepClick()
{
    jumpToLinkedTable(LinkedCrewPage, currentValue(dsCrewDep, QStringLiteral("ID_Depart")),
                      currentValue(dsCrewDep, QStringLiteral("ID_Crew")));
}

void TAccountForm::btnEditDevTypeClick()
{
    TMainForm* main = mainForm();
    if (!main || !TMainForm::hasWindow(QStringLiteral("TTypeForm")))
        return;
    const QVariant type = currentValue(dsDevType, QStringLiteral("ID_DevType"));
    main->action(QStringLiteral("OpenDevType"))->trigger();
    if (auto* types = qobject_cast<TBaseForm*>(main->findChildWindow(QStringLiteral("TTypeForm"))))
        if (types->dsMain() && types->dsMain()->isActive())
            InstrelApplication::guarded([&] { types->dsMain()->locate(QStringLiteral("ID_DevType"), type); });
}

// ================================================================ information page

void TAccountForm::buildInfoPage()
{
    m_infoPage = FormPanel()->widget(0);
    FormPanel()->setTabText(0, withoutAccelerator(Text(Str::PageInformation)));
    QWidget* host = ScrollBox1()->widget();
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* selector = new QWidget(host);
    selector->setObjectName(QStringLiteral("PanelCrewDep"));
    auto* row = new QHBoxLayout(selector);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(newLabel(QStringLiteral("labCrewDep"), Text(Str::AccountChooseCrew), selector));
    m_editCrewDep = new QComboBox(selector);
    m_editCrewDep->setObjectName(QStringLiteral("editCrewDep"));
    m_editCrewDep->setMinimumWidth(320);
    row->addWidget(m_editCrewDep, 1);
    QPushButton* editCrew = newButton(QStringLiteral("btnEditCrewDep"), Text(Str::BtnEdit), Text(Str::AccountHintEditCrew), selector);
    connect(editCrew, &QPushButton::clicked, this, &TAccountForm::btnEditCrewDepClick);
    row->addWidget(editCrew);
    QPushButton* recount = newButton(QStringLiteral("btnRecountAll"), LabourRecount::caption(), LabourRecount::hint(), selector);
    connect(recount, &QPushButton::clicked, this, [this] { action(QStringLiteral("RecountAll"))->trigger(); });
    row->addWidget(recount);
    layout->addWidget(selector);
    m_recountOffer = newLabel(QStringLiteral("labRecountOffer"), LabourRecount::offer(), host);
    m_recountOffer->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
    m_recountOffer->hide();
    layout->addWidget(m_recountOffer);
    m_crewSelector = new DatasetSelector(m_editCrewDep, dsCrewDep, QStringLiteral("ID_Crew"), QStringLiteral("Crew1"));

    m_typesSplitter = new QSplitter(Qt::Horizontal, host);
    m_typesSplitter->setObjectName(QStringLiteral("SplitterTypes"));
    m_typesSplitter->setChildrenCollapsible(false);
    m_typesSplitter->addWidget(buildTypesPanel());
    m_servicesSplitter = new QSplitter(Qt::Vertical, m_typesSplitter);
    m_servicesSplitter->setObjectName(QStringLiteral("SplitterServices"));
    m_servicesSplitter->setChildrenCollapsible(false);
    m_servicesSplitter->addWidget(buildServicesPanel());
    m_servicesSplitter->addWidget(buildSharesPanel());
    m_typesSplitter->addWidget(m_servicesSplitter);
    m_typesSplitter->setStretchFactor(1, 1);
    m_typesSplitter->setSizes({400, 600});
    layout->addWidget(m_typesSplitter, 1);

    setPageHandlers(m_infoPage, [this] { ActivateInfoPage(true); }, [this] { ActivateInfoPage(false); });
}

QWidget* TAccountForm::buildTypesPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelTypes"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(newLabel(QStringLiteral("labTypes"), Text(Str::WinTypes), panel), 1);
    QPushButton* edit = newButton(QStringLiteral("btnEditDevType"), Text(Str::BtnEdit), Text(Str::AccountHintEditType), panel);
    connect(edit, &QPushButton::clicked, this, &TAccountForm::btnEditDevTypeClick);
    head->addWidget(edit);
    layout->addLayout(head);
    m_gridDevType = newGrid(QStringLiteral("GridDevType"), dsDevType, panel, true);
    sortByTitles(m_gridDevType, dsDevType);
    layout->addWidget(m_gridDevType, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* add = newButton(QStringLiteral("btnInsertDevType"), Text(Str::BtnAdd), Text(Str::AccountHintAddType), panel);
    QPushButton* del = newButton(QStringLiteral("btnDelDevType"), Text(Str::BtnDel), Text(Str::AccountHintDeleteType), panel);
    connect(add, &QPushButton::clicked, this, [this] { insertInto(dsDevType); });
    connect(del, &QPushButton::clicked, this, [this] { deleteFrom(dsDevType); });
    buttons->addWidget(add);
    buttons->addWidget(del);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return panel;
}

QWidget* TAccountForm::buildServicesPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelServices"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(newLabel(QStringLiteral("labServices"), Text(Str::LabelServiceIntervals), panel), 1);
    QPushButton* edit = newButton(QStringLiteral("btnEditService"), Text(Str::BtnEdit), Text(Str::AccountHintEditService), panel);
    connect(edit, &QPushButton::clicked, this,
            [this] { jumpToLinkedTable(LinkedRepsPage, currentValue(dsDevRep, QStringLiteral("IRep"))); });
    head->addWidget(edit);
    layout->addLayout(head);
    m_gridDevRep = newGrid(QStringLiteral("GridDevRep"), dsDevRep, panel, true);
    // The service by its name or its abbreviation, both shown in the list.
    const QList<LookupEditor::Column> services = {{QStringLiteral("Name_Reps"), Text(Str::ColServiceName)},
                                                  {QStringLiteral("Short_Reps"), Text(Str::ColShortName)}};
    cellEditors(m_gridDevRep)->setLookupColumns(QStringLiteral("Full"), services);
    cellEditors(m_gridDevRep)->setLookupColumns(QStringLiteral("Short"), {services[1], services[0]});
    layout->addWidget(m_gridDevRep, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* add = newButton(QStringLiteral("btnAddDevRep"), Text(Str::BtnAdd), Text(Str::HintAddService), panel);
    QPushButton* del = newButton(QStringLiteral("btnDelDevRep"), Text(Str::BtnDel), Text(Str::HintDeleteService), panel);
    QPushButton* count = newButton(QStringLiteral("btnRCount"), Text(Str::AccountCount), Text(Str::AccountHintCount), panel);
    connect(add, &QPushButton::clicked, this, [this] { insertInto(dsDevRep); });
    connect(del, &QPushButton::clicked, this, [this] { deleteFrom(dsDevRep); });
    connect(count, &QPushButton::clicked, this, [this] { InstrelApplication::guarded([this] { CountAnnualVolume(); }); });
    for (QPushButton* b : {add, del, count})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return panel;
}

QWidget* TAccountForm::buildSharesPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelRepCath"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(newLabel(QStringLiteral("labRepCath"), Text(Str::AccountTarifications), panel), 1);
    QPushButton* edit =
        newButton(QStringLiteral("btnEditCathegory"), Text(Str::BtnEdit), Text(Str::AccountHintEditCategories), panel);
    connect(edit, &QPushButton::clicked, this,
            [this] { jumpToLinkedTable(LinkedCathegoryPage, currentValue(dsRepCath, QStringLiteral("ICathegory"))); });
    head->addWidget(edit);
    layout->addLayout(head);
    m_gridRepCath = newGrid(QStringLiteral("GridRepCath"), dsRepCath, panel, true);
    // Categories share names ("fitter" of several grades): the grade tells them apart.
    cellEditors(m_gridRepCath)
        ->setLookupColumns(QStringLiteral("Name_Cathegory"),
                           {{QStringLiteral("Name_Cathegory"), Text(Str::AccountColCategoryName)},
                            {QStringLiteral("Cathegory"), Text(Str::AccountColCategory)}});
    layout->addWidget(m_gridRepCath, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* add = newButton(QStringLiteral("btnAddRepCath"), Text(Str::BtnAdd), Text(Str::AccountHintAddPerson), panel);
    QPushButton* del = newButton(QStringLiteral("btnDelRepCath"), Text(Str::BtnDel), Text(Str::AccountHintDeletePerson), panel);
    QPushButton* divide = newButton(QStringLiteral("btnDivide"), Text(Str::AccountDivide), Text(Str::AccountHintDivide), panel);
    connect(add, &QPushButton::clicked, this, [this] { insertInto(dsRepCath); });
    connect(del, &QPushButton::clicked, this, [this] { deleteFrom(dsRepCath); });
    connect(divide, &QPushButton::clicked, this, [this] { InstrelApplication::guarded([this] { DivideAllowance(); }); });
    for (QPushButton* b : {add, del, divide})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return panel;
}

void TAccountForm::ActivateInfoPage(bool on)
{
    if (!on) {
        postInfoPage();
        if (hasCurrent(dsCrewDep)) {
            m_infoCrew = currentValue(dsCrewDep, QStringLiteral("ID_Crew"));
            m_infoType = currentValue(dsDevType, QStringLiteral("ID_DevType"));
            m_infoService = currentValue(dsDevRep, QStringLiteral("ID_DevRep"));
        }
    }
    SyncDevTypeCount();
    setActive({dsCrewDep, dsDevType, dsDevTypeCrew, dsReps, dsDevRep, dsCathegory, dsRepCath}, on);
    if (on)
        returnToInfoRows();
    m_crewSelector->refresh();
    if (on) {
        showColumns(m_gridDevType, dsDevType, {"Name_DevType", "Mark_DevType", "Count", "ID_DevType"});
        showColumns(m_gridDevRep, dsDevRep, {"R_No", "Full", "Short", "RT_Mon", "RT", "RT_PC", "RCount"});
        showColumns(m_gridRepCath, dsRepCath, {"Name_Cathegory", "Value"});
        setNavigationDataset(nullptr);
        showButtonsFor(View::Info);
        applyStoredSizes({m_typesSplitter, m_servicesSplitter});
        applyStoredGrids({m_gridDevType, m_gridDevRep, m_gridRepCath});
        fitColumnsOnce({m_gridDevType, m_gridDevRep, m_gridRepCath});
    }
}

void TAccountForm::returnToInfoRows()
{
    // The planner comes back to the crew, type and service he left (from the other pages, the table
    // view or another window); rows gone meanwhile leave the lists where they open.
    InstrelApplication::guarded([this] {
        if (m_infoCrew.isNull() || !dsCrewDep->locate(QStringLiteral("ID_Crew"), m_infoCrew))
            return;
        if (m_infoType.isNull() || !dsDevType->locate(QStringLiteral("ID_DevType"), m_infoType))
            return;
        if (!m_infoService.isNull())
            dsDevRep->locate(QStringLiteral("ID_DevRep"), m_infoService);
    });
}

void TAccountForm::RecountAllExecute()
{
    postInfoPage();
    const QVariant crew = currentValue(dsCrewDep, QStringLiteral("ID_Crew"));
    if (crew.isNull())
        return;
    const QString crewName = currentValue(dsCrewDep, QStringLiteral("Crew1")).toString().trimmed();
    const LabourRecount::Result result = LabourRecount(*TDM::instance()->ADOConnection(), crew.toLongLong()).run();
    m_recountOffer->hide();
    RequeryDataSetKeepRow(*dsDevRep);
    RequeryDataSetKeepRow(*dsRepCath);
    RequeryKeepRow();
    Messages::information(result.text(crewName));
}

void TAccountForm::postInfoPage()
{
    dsRepCath->checkBrowseMode();
    dsDevRep->checkBrowseMode();
    dsDevType->checkBrowseMode();
}

void TAccountForm::SyncDevTypeCount()
{
    DevTypeCountSync(*TDM::instance()->ADOConnection()).run();
}

void TAccountForm::dsDevTypeAfterPost()
{
    const QVariant count = dsDevType->value(QStringLiteral("Count"));
    DevTypeCountSync(*TDM::instance()->ADOConnection())
        .typePosted(dsDevType->value(QStringLiteral("ID_DevType")).toLongLong(), count.toString().trimmed().isEmpty() ? QVariant() : count,
                    currentValue(dsCrewDep, QStringLiteral("ID_Crew")).toLongLong());
    RequeryDataSetKeepRow(*dsDevType);
    // The volumes, shares and norm state of the crew now lag behind the count: offered, not forced.
    if (m_countChanged)
        m_recountOffer->show();
}

void TAccountForm::insertInto(Dataset* dataset)
{
    InstrelApplication::guarded([dataset] { dataset->insert(); });
}

void TAccountForm::deleteFrom(Dataset* dataset)
{
    InstrelApplication::guarded([dataset] {
        if (hasCurrent(dataset))
            dataset->deleteRecord();
    });
}

void TAccountForm::CountAnnualVolume()
{
    dsDevRep->checkBrowseMode();
    if (!hasCurrent(dsDevRep))
        return;
    using LabourFigures::number;
    const LabourFigures::ServiceRow row{number(dsDevRep->value(QStringLiteral("RT"))),
                                        number(dsDevRep->value(QStringLiteral("RT_Mon"))),
                                        number(dsDevRep->value(QStringLiteral("RT_PC"))),
                                        number(dsDevRep->value(QStringLiteral("RCount")))};
    const int count = int(number(currentValue(dsDevType, QStringLiteral("Count"))));
    const LabourFigures::VolumeResult result = LabourFigures::countAnnualVolume(row, count);
    if (!result.accepted()) {
        Messages::warning(LabourFigures::volumeRefusalText(result.findings));
        return;
    }
    dsDevRep->edit();
    dsDevRep->setValue(QStringLiteral("RT"), result.row.rt);
    dsDevRep->setValue(QStringLiteral("RT_Mon"), result.row.rtMon);
    dsDevRep->setValue(QStringLiteral("RT_PC"), result.row.rtPc);
    dsDevRep->setValue(QStringLiteral("RCount"), result.row.rCount);
    dsDevRep->post();
}

void TAccountForm::DivideAllowance()
{
    dsRepCath->checkBrowseMode();
    if (!hasCurrent(dsDevRep))
        return;
    const double volume = LabourFigures::number(dsDevRep->value(QStringLiteral("RCount")));
    if (volume <= 0) {
        Messages::warning(LabourFigures::divisionRefusalText());
        return;
    }
    const std::optional<double> share = LabourFigures::equalShare(volume, dsRepCath->recordCount());
    if (!share)
        return;
    // Every share or none: a failure half-way re-reads the shares as they were. The share that failed
    // is dropped first, or the re-read would store it again outside the undone transaction.
    Transaction transaction(*TDM::instance()->ADOConnection(), [this] {
        dsRepCath->cancel();
        RequeryDataSetKeepRow(*dsRepCath);
    });
    for (int row = 1; row <= dsRepCath->recordCount(); ++row) {
        dsRepCath->setRecNo(row);
        dsRepCath->edit();
        dsRepCath->setValue(QStringLiteral("Value"), *share);
        dsRepCath->post();
    }
    transaction.commit();
    dsRepCath->first();
}

// ================================================================ reports

// Each report is built whole from the stored rows before its preview opens: pending edits are
// stored first, and nothing the user does while the preview is open changes what it shows.
void TAccountForm::PrintDevTypeExecute()
{
    postInfoPage();
    TDevTypeReport::preview({TDM::instance()->ADOConnection(), currentValue(dsCrewDep, QStringLiteral("ID_Crew")),
                             dsDevType, dsCathegory},
                            this);
}

void TAccountForm::PrintCrewListExecute()
{
    postCrewPage();
    TCrewListReport::preview({dsCrewListView, currentValue(dsCrewDep2, QStringLiteral("Name_Crew")).toString(),
                              currentValue(dsCrewDep2, QStringLiteral("Name_Depart")).toString()},
                             this);
}

void TAccountForm::PrintNormAccExecute()
{
    postNormPage();
    const CrewNames names =
        CrewNames::read(*TDM::instance()->ADOConnection(), currentValue(dsCrewDep3, QStringLiteral("ID_Crew")));
    TNormAccReport::preview({dsNormState, names.department, names.crew}, this);
}

// ================================================================ enabling

void TAccountForm::updatePageButtons()
{
    auto enable = [this](const char* name, bool on) {
        if (auto* b = findChild<QPushButton*>(QString::fromLatin1(name)))
            b->setEnabled(on);
    };
    const bool typeStored = hasCurrent(dsDevType) && !currentValue(dsDevType, QStringLiteral("ID_DevType")).isNull();
    const bool serviceStored =
        hasCurrent(dsDevRep) && !currentValue(dsDevRep, QStringLiteral("ID_DevRep")).isNull();
    enable("btnEditCrewDep", hasCurrent(dsCrewDep));
    enable("btnEditDevType", typeStored && TMainForm::hasWindow(QStringLiteral("TTypeForm")));
    enable("btnInsertDevType", hasCurrent(dsCrewDep));
    enable("btnDelDevType", hasCurrent(dsDevType));
    enable("btnEditService", hasCurrent(dsDevRep));
    // A service row belongs to a stored type of the crew; a share to a stored service row.
    enable("btnAddDevRep", hasCurrent(dsDevTypeCrew) && typeStored && dsDevType->state() == Dataset::State::Browse);
    enable("btnDelDevRep", hasCurrent(dsDevRep));
    enable("btnRCount", hasCurrent(dsDevRep));
    enable("btnEditCathegory", hasCurrent(dsRepCath));
    enable("btnAddRepCath", serviceStored && dsDevRep->state() == Dataset::State::Browse);
    enable("btnDelRepCath", hasCurrent(dsRepCath));
    enable("btnDivide", serviceStored && hasCurrent(dsRepCath));
    enable("btnRecountAll", hasCurrent(dsCrewDep));
    enable("btnCount", hasCurrent(dsCrewList));
    enable("btnNormCount", hasCurrent(dsCrewDep3));
    for (const char* name : {"DBLookupComboboxEh1Ellipsis", "DBLookupComboboxEh2Ellipsis", "DBLookupComboboxEh3Ellipsis",
                             "DBLookupComboboxEh4Ellipsis", "DBLookupComboboxEh5Ellipsis"})
        if (auto* b = findChild<QToolButton*>(QString::fromLatin1(name)))
            b->setEnabled(hasCurrent(dsCrewList));
}

// ================================================================ labels

namespace {

struct FieldLabel {
    const char* field;
    Str label;
};

// Labels (and, for the keys, visibility) of a dataset's fields, applied each time it is opened.
void labelFields(Dataset* ds, std::vector<FieldLabel> labels, QStringList hidden = {})
{
    auto apply = [labels, hidden](Dataset& d) {
        for (const FieldLabel& l : labels)
            if (Field* f = d.field(QString::fromLatin1(l.field)))
                f->setLabel(Text(l.label));
        for (const QString& name : hidden)
            if (Field* f = d.field(name))
                f->setVisible(false);
    };
    ds->afterOpen.connect(apply);
    if (ds->isActive())
        apply(*ds);
}

} // namespace

void TAccountForm::setLabels()
{
    labelFields(dsMain(),
                {{"Name_Depart", Str::ColDepartment},
                 {"Name_Crew", Str::ColCrew},
                 {"Name_DevType", Str::LinkedTypeNames},
                 {"Mark_DevType", Str::ColModel},
                 {"Name_Reps", Str::ColFullServiceName},
                 {"Short_Reps", Str::ColShortServiceName},
                 {"Name_Cathegory", Str::AccountColCategoryName},
                 {"Cathegory", Str::AccountColCategory},
                 {"Value", Str::AccountColAllowance}},
                {"ID_Depart", "ID_DevType", "ID_DevRep", "ID_RepCath", "ID_Crew", "ID_Cathegory"});
    if (dsMain()->isActive())
        for (int c = 0; c < dsMain()->fieldCount(); ++c)
            grid()->setColumnHidden(c, !dsMain()->fields()[size_t(c)]->isVisible());
    labelFields(dsDevType, {{"Name_DevType", Str::TypeColType},
                            {"Mark_DevType", Str::TypeColModel},
                            {"Count", Str::AccountColCount},
                            {"ID_DevType", Str::TypeColId}});
    dsDevType->afterOpen.connect([](Dataset& d) {
        if (Field* f = d.field(QStringLiteral("ID_DevType")))
            f->setReadOnly(true);
    });
    labelFields(dsDevRep, {{"R_No", Str::AccountColNumber},
                           {"Full", Str::ColServiceName},
                           {"Short", Str::ColShortName},
                           {"RT_Mon", Str::ColIntervalMonths},
                           {"RT", Str::ColRepetition},
                           {"RT_PC", Str::ColRateTime},
                           {"RCount", Str::ColAnnualRate}});
    labelFields(dsRepCath, {{"Name_Cathegory", Str::AccountColCategoryName}, {"Value", Str::AccountColAllowance}});
    labelFields(dsCrewListView, {{"No", Str::AccountCrewNo},
                                 {"Cathegory", Str::AccountCategory},
                                 {"ProfNum", Str::AccountQuantity},
                                 {"ProfNaimen", Str::ColProfession},
                                 {"Tarif", Str::AccountTarification},
                                 {"Lenth", Str::LinkedWorkDayLength},
                                 {"SmenaNum", Str::ColShift},
                                 {"DayFundNum", Str::LinkedNominalFund},
                                 {"LostDayUsed", Str::LinkedAnnualHoliday},
                                 {"LostDayUsedPC", Str::AccountHolidayPercent},
                                 {"LostDayMiscPC", Str::LinkedOtherLosses},
                                 {"LostDaySumPC", Str::AccountTotalLosses},
                                 {"DayFundRez", Str::AccountFundDays},
                                 {"DayFundP1E", Str::AccountFundPerEmployee}});
    labelFields(dsNormState, {{"Cathegory", Str::AccountCategory},
                              {"PlanHour", Str::AccountHourRate},
                              {"ExtPlanPC", Str::AccountExtRatePercent},
                              {"ExtPlan", Str::AccountExtRateAbs},
                              {"YearPlan", Str::AccountAnnualRate},
                              {"PlanP1E", Str::AccountRatePerEmployee},
                              {"Required", Str::AccountRequired}});
}
