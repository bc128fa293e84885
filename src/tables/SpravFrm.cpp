#include "tables/SpravFrm.h"

#include "app/Application.h"
#include "app/StoredGeometry.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/MessageService.h"
#include "data/RefChecks.h"
#include "data/ResultSet.h"
#include "tables/CellEditorDelegate.h"
#include "tables/EditableDatasetModel.h"
#include "tables/FormSettings.h"
#include "tables/print/GridPrinter.h"
#include "text/StrList.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// Shared by the page table and the window's lists, so outside the anonymous namespace.
namespace sprav_detail {
// A column the user edits on a page, with its title. `label` Str::EntryCount stands for the page's
// own caption (the list entry), which the figure columns of the labour lists carry.
struct ColumnSpec {
    const char* name;
    Str label = Str::ColName;
    bool required = false;
};
} // namespace sprav_detail
using sprav_detail::ColumnSpec;

namespace {

const char* const kListWidthKey = "TableList.Width";
constexpr int kLabelHeight = 30; // the grid starts this far below the top of its panel
constexpr int kPageWidth = 560;
constexpr int kButtonBoxWidth = 120;
constexpr int kDefaultHeight = 452;

bool guarded(const std::function<void()>& work) { return InstrelApplication::guarded(work); }

const Field* fieldAt(const Dataset* ds, int column)
{
    if (!ds || column < 0 || column >= ds->fieldCount())
        return nullptr;
    return ds->fields()[size_t(column)].get();
}

bool isEditableField(const Field* f) { return f && f->isVisible() && f->isEditable(); }

void refuseWhileReferenced(const Dataset& ds, const QString& key, const char* table, const char* column, Str message)
{
    if (CountReferences(QString::fromLatin1(table), QString::fromLatin1(column), ds.value(key).toInt()) > 0) {
        Messages::error(Text(message));
        abortOperation();
    }
}

bool inside(const QWidget* w, const QWidget* container)
{
    return w && container && (w == container || container->isAncestorOf(w));
}

} // namespace

// One list of a page: its table, dataset, model and grid, and for the second list of a two-list page
// the first list it follows.
struct TSpravForm::Table {
    QString name;
    QString key;
    QString orderBy;
    std::vector<ColumnSpec> columns;
    QString refColumn; // in a detail list: the column holding the master's key
    Str label = Str::EntryCount;
    Table* master = nullptr;
    Dataset* ds = nullptr;
    DatasetModel* model = nullptr;
    QTableView* grid = nullptr;
    bool syncing = false;
    bool masterInserting = false;
};

struct TSpravForm::Page {
    QString sheet;
    QString caption;
    std::unique_ptr<Table> master;
    std::unique_ptr<Table> detail;
    bool usesDimentions = false;
    bool detailFocused = false;
    QWidget* widget = nullptr;
};

namespace {

struct PageSpec {
    const char* sheet;
    const char* table;
    const char* key;
    const char* orderBy;
    std::vector<ColumnSpec> columns;
};

// The one-list pages, by list position; the two-list pages (3, 8, 9) are built apart.
const std::vector<std::pair<int, PageSpec>>& singlePages()
{
    static const std::vector<std::pair<int, PageSpec>> pages = {
        {0, {"Prec", "Prec", "ID_Prec", "name_prec", {{"Name_Prec"}}}},
        {1, {"Dest", "Dest", "ID_Dest", "name_dest", {{"Name_Dest"}}}},
        {2, {"Class", "Class", "ID_Class", "name_class", {{"Name_Class"}}}},
        {4, {"Construct", "Construct", "ID_Construct", "name_construct", {{"Name_Construct"}}}},
        {5, {"Dimention", "Dimention", "ID_Dimention", "name_dimention", {{"Name_Dimention", Str::ColDimension}}}},
        {6,
         {"Document",
          "Document",
          "ID_Document",
          "name_document",
          {{"Name_Document", Str::ColDocument}, {"RegNumber", Str::LinkedColRegNumber}}}},
        {7, {"Grade", "Grade", "ID_Grade", "name_grade", {{"Name_Grade"}}}},
        {10, {"Maker", "Maker", "ID_Maker", "name_maker", {{"Name_Maker"}}}},
        {11, {"Mere", "Mere", "ID_Mere", "name_mere", {{"Name_Mere"}}}},
        {12, {"Parameters", "RefusalParam", "ID_Param", "name_param", {{"Name_Param", Str::ColParameter}}}},
        {13, {"Marg", "Marg", "ID_Marg", "name_marg", {{"Name_Marg"}}}},
        {14, {"Scale", "Scale", "ID_Scale", "name_scale", {{"Name_Scale"}}}},
        {15,
         {"Reps",
          "Reps",
          "ID_Reps",
          "name_reps",
          {{"Name_Reps", Str::ColFullServiceName, true}, {"Short_Reps", Str::ColShortServiceName, true}}}},
        {16, {"State", "State", "ID_State", "name_state", {{"Name_State"}}}},
        {17, {"System", "System", "ID_System", "name_system", {{"Name_System"}}}},
        {18, {"Naim", "Naim", "ID_Naim", "name_naim", {{"Name_Naim"}}}},
        {19, {"Cathegory", "Cathegory", "ID_Cathegory", "name_cathegory", {{"Name_Cathegory"}, {"Cathegory", Str::ColValue}}}},
        {20,
         {"WorkDayLenth",
          "WorkDayLenth",
          "ID_WorkDayLenth",
          "Name_WorkDayLenth",
          {{"Name_WorkDayLenth"}, {"Lenth", Str::EntryCount}}}},
        {21, {"DayFund", "DayFund", "ID_DayFund", "Name_DayFund", {{"Name_DayFund"}, {"DayFundNum", Str::EntryCount}}}},
        {22,
         {"LostDayUsed",
          "LostDayUsed",
          "ID_LostDayUsed",
          "Name_LostDayUsed",
          {{"Name_LostDayUsed"}, {"LostDayUsed", Str::EntryCount}}}},
        {23,
         {"LostDayMiscPC",
          "LostDayMiscPC",
          "ID_LostDayMiscPC",
          "Name_LostDayMiscPC",
          {{"Name_LostDayMiscPC"}, {"LostDayMiscPC", Str::EntryCount}}}},
    };
    return pages;
}

struct TwoListSpec {
    int index;
    const char* sheet;
    PageSpec master;
    Str masterLabel;
    PageSpec detail;
    Str detailLabel;
    const char* refColumn;
};

const std::vector<TwoListSpec>& twoListPages()
{
    static const std::vector<TwoListSpec> pages = {
        {3,
         "Crew",
         {"", "Depart", "ID_Depart", "name_depart", {{"Name_Depart"}}},
         Str::LinkedLabelDepartments,
         {"", "Crew", "ID_Crew", "name_crew", {{"Name_Crew"}}},
         Str::LinkedLabelCrews,
         "IDepart"},
        {8,
         "Location",
         {"", "Location", "ID_Location", "name_location", {{"Name_Location"}}},
         Str::LinkedLabelLocations,
         {"", "LocSet", "ID_LocSet", "name_locset", {{"Name_LocSet"}}},
         Str::LinkedLabelPlaces,
         "ILocation"},
        {9,
         "Refusal",
         {"", "RefusalGroupNaimen", "ID_GroupNaimen", "name_groupnaimen", {{"Name_GroupNaimen", Str::MalfunctionColGroup}}},
         Str::LinkedLabelGroups,
         {"", "RefusalNaimen", "ID_Naimen", "name_naimen", {{"Name_Naimen", Str::MalfunctionColName}}},
         Str::LinkedLabelNames,
         "IGroupNaimen"},
    };
    return pages;
}

std::unique_ptr<TSpravForm::Table> makeTable(const PageSpec& spec)
{
    auto t = std::make_unique<TSpravForm::Table>();
    t->name = QString::fromLatin1(spec.table);
    t->key = QString::fromLatin1(spec.key);
    t->orderBy = QString::fromLatin1(spec.orderBy);
    t->columns = spec.columns;
    return t;
}

// Delete rules. A master list keeps its rows while they still have detail rows (the user deletes
// those first); then, like every list, a row that other tables still refer to stays, with one line
// per referring table, so that no device, type or log is left pointing at nothing.
void guardDeletion(TSpravForm::Table& t)
{
    struct DetailRule {
        const char* table;
        const char* column;
        Str message;
    };
    static const QHash<QString, DetailRule> masterRules = {
        {"Location", {"LocSet", "ILocation", Str::LinkedDeletePlacesFirst}},
        {"Depart", {"Crew", "IDepart", Str::LinkedDeleteCrewsFirst}},
        {"RefusalGroupNaimen", {"RefusalNaimen", "IGroupNaimen", Str::LinkedDeleteNamesFirst}},
    };
    static const QHash<QString, ReferenceCheck> checks = {
        {"Crew", CheckCrewRefs},
        {"WorkDayLenth", CheckDayLengthRefs},
        {"DayFund", CheckFundRefs},
        {"LostDayUsed", CheckHolidayRefs},
        {"LostDayMiscPC", CheckLossRefs},
        {"Cathegory", CheckCategoryRefs},
        {"Reps", CheckServiceRefs},
        {"System", CheckSystemRefs},
        {"Class", CheckClassRefs},
        {"Mere", CheckMeasurementRefs},
        {"Dest", CheckAssignmentRefs},
        {"Marg", CheckRangeRefs},
        {"State", CheckStateRefs},
        {"Scale", CheckScaleRefs},
        {"Grade", CheckGraduationRefs},
        {"Location", CheckLocationRefs},
        {"LocSet", CheckPlaceRefs},
        {"Naim", CheckTypeNameRefs},
        {"Prec", CheckAccuracyRefs},
        {"Construct", CheckDesignRefs},
        {"Maker", CheckMakerRefs},
        {"Dimention", CheckDimensionRefs},
        {"Document", CheckDocumentRefs},
        {"RefusalParam", CheckParameterRefs},
        {"RefusalGroupNaimen", CheckMalfunctionGroupRefs},
        {"RefusalNaimen", CheckMalfunctionNameRefs},
    };
    if (masterRules.contains(t.name)) {
        const DetailRule rule = masterRules.value(t.name);
        const QString key = t.key;
        t.ds->beforeDelete.connect(
            [key, rule](Dataset& ds) { refuseWhileReferenced(ds, key, rule.table, rule.column, rule.message); });
    }
    if (ReferenceCheck check = checks.value(t.name))
        GuardDeletion(*t.ds, t.key, check);
}

} // namespace

// ---------------------------------------------------------------- creation

TSpravForm::TSpravForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SpravForm"));
    setWindowTitle(withoutAccelerator(Text(Str::WinLinkedTables)));
    createPages();
    createLayout();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { gridFocusChanged(now); });
    InstrelApplication::connectIdle(this, [this] {
        if (isVisible())
            updateControls();
    });
    m_list->setCurrentRow(0);
    if (m_openPage < 0)
        TableListChange(0);
    updateControls();
}

TSpravForm::~TSpravForm()
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        disconnect(dispatcher, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

void TSpravForm::createPages()
{
    m_pageList.resize(LinkedTableCount);
    const QStringList names = linkedTableNames();
    for (int i = 0; i < LinkedTableCount; ++i)
        m_pageList[size_t(i)].caption = withoutAccelerator(names.value(i));
    for (const auto& [index, spec] : singlePages()) {
        Page& page = m_pageList[size_t(index)];
        page.sheet = QStringLiteral("TabSheet") + QString::fromLatin1(spec.sheet);
        page.master = makeTable(spec);
    }
    for (const TwoListSpec& spec : twoListPages()) {
        Page& page = m_pageList[size_t(spec.index)];
        page.sheet = QStringLiteral("TabSheet") + QString::fromLatin1(spec.sheet);
        page.master = makeTable(spec.master);
        page.master->label = spec.masterLabel;
        page.detail = makeTable(spec.detail);
        page.detail->label = spec.detailLabel;
        page.detail->refColumn = QString::fromLatin1(spec.refColumn);
        page.detail->master = page.master.get();
    }
    // Datasets in page order, so that the parameters page finds the dimension list made before it.
    for (Page& page : m_pageList) {
        setUpDataset(*page.master, nullptr);
        if (page.detail)
            setUpDataset(*page.detail, page.master.get());
        page.usesDimentions = page.master->name == QLatin1String("RefusalParam");
    }
}

void TSpravForm::setUpDataset(Table& t, Table* master)
{
    t.ds = new Dataset(this);
    t.ds->setObjectName(QStringLiteral("ds") + t.name);
    QString sql = QStringLiteral("select * from ") + t.name;
    if (master)
        sql += QStringLiteral(" where ") + t.refColumn + QStringLiteral(" = :") + master->key;
    t.ds->setSql(sql + QStringLiteral(" order by ") + t.orderBy + QLatin1Char(';'));
    t.ds->setUpdateTable(t.name, t.key);
    if (t.name == QLatin1String("Dimention"))
        m_dsDimention = t.ds;
    if (t.name == QLatin1String("RefusalParam")) {
        Field* dim = t.ds->addLookupField(QStringLiteral("Name_Dimention"),
                                          {m_dsDimention, QStringLiteral("IDimention"), QStringLiteral("ID_Dimention"),
                                           QStringLiteral("Name_Dimention")});
        dim->setLabel(Text(Str::ColDimension));
    }
    t.ds->afterOpen.connect([this, &t](Dataset&) { applyFields(t); });
    guardDeletion(t);
    if (master) {
        t.ds->setMaster(master->ds);
        // A new detail row belongs to the master row shown beside it.
        t.ds->beforePost.connect([&t](Dataset& ds) { ds.setValue(t.refColumn, t.master->ds->value(t.master->key)); });
        // ...so a pending detail row is stored before the master leaves its row, not after.
        const auto postDetail = [&t](Dataset&) { t.ds->checkBrowseMode(); };
        master->ds->beforeScroll.connect(postDetail);
        master->ds->beforeInsert.connect(postDetail);
        // While a master row is being added, its detail list is empty; once it is stored (and so has
        // a key), the list follows it.
        master->ds->afterInsert.connect([&t](Dataset&) {
            if (t.ds->isActive())
                t.ds->requery();
        });
        master->ds->beforePost.connect([&t](Dataset& ds) { t.masterInserting = ds.state() == Dataset::State::Insert; });
        master->ds->afterPost.connect([&t](Dataset&) {
            if (t.masterInserting && t.ds->isActive())
                t.ds->requery();
            t.masterInserting = false;
        });
    }
}

// Only the columns the user edits are shown; keys and references stay hidden.
void TSpravForm::applyFields(Table& t)
{
    const Page* page = nullptr;
    for (const Page& p : m_pageList)
        if (p.master.get() == &t || p.detail.get() == &t)
            page = &p;
    for (const auto& f : t.ds->fields())
        f->setVisible(false);
    for (const ColumnSpec& c : t.columns) {
        Field* f = t.ds->field(QString::fromLatin1(c.name));
        if (!f)
            continue;
        f->setVisible(true);
        f->setLabel(c.label == Str::EntryCount ? page->caption : Text(c.label));
        f->setRequired(c.required);
    }
    if (Field* dim = t.ds->field(QStringLiteral("Name_Dimention")); dim && dim->kind() == Field::Kind::Lookup)
        dim->setVisible(true);
    if (!t.grid)
        return;
    t.model->refreshHeaders();
    for (int c = 0; c < t.ds->fieldCount(); ++c)
        t.grid->setColumnHidden(c, !t.ds->fields()[size_t(c)]->isVisible());
    fitColumns(*t.grid);
}

// Columns as wide as their values, within bounds, and titles longer than that on two lines: the
// figure columns of the labour lists carry the whole list name as title and must stay in sight.
void TSpravForm::fitColumns(QTableView& grid)
{
    QHeaderView* header = grid.horizontalHeader();
    bool wrapped = false;
    for (int c = 0; c < grid.model()->columnCount(); ++c) {
        if (grid.isColumnHidden(c))
            continue;
        const int values = static_cast<const QAbstractItemView&>(grid).sizeHintForColumn(c) + 16;
        const int title = header->sectionSizeHint(c);
        const int width = std::clamp(std::max(values, std::min(title, 200)), 120, 360);
        grid.setColumnWidth(c, width);
        wrapped = wrapped || title > width;
    }
    const int lines = wrapped ? 2 : 1;
    header->setFixedHeight(lines * header->fontMetrics().height() + 8);
}

void TSpravForm::createLayout()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(2);
    root->addLayout(body, 1);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    m_list = new QListWidget(m_splitter);
    m_list->setObjectName(QStringLiteral("TableList"));
    for (const Page& page : m_pageList)
        m_list->addItem(page.caption);
    m_pages = new QStackedWidget(m_splitter);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    for (Page& page : m_pageList) {
        page.widget = new QWidget;
        page.widget->setObjectName(page.sheet);
        auto* layout = new QVBoxLayout(page.widget);
        layout->setContentsMargins(0, 0, 0, 0);
        if (!page.detail) {
            layout->addWidget(createTablePanel(*page.master, page.caption));
        } else {
            auto* split = new QSplitter(Qt::Horizontal, page.widget);
            split->setChildrenCollapsible(false);
            split->addWidget(createTablePanel(*page.master, Text(page.master->label)));
            split->addWidget(createTablePanel(*page.detail, Text(page.detail->label)));
            layout->addWidget(split);
        }
        m_pages->addWidget(page.widget);
    }
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(m_pages);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    fitListWidth();
    body->addWidget(m_splitter, 1);
    body->addWidget(createButtonBox());

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_status->setSizeGripEnabled(false);
    root->addWidget(m_status);

    connect(m_list, &QListWidget::currentRowChanged, this, &TSpravForm::TableListChange);
}

// The list as wide as its longest name, so that no table name is cut, and the window as wide as the
// list, a page and the buttons.
void TSpravForm::fitListWidth()
{
    const int listWidth = m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() + 12;
    m_splitter->setSizes({listWidth, kPageWidth});
    m_defaultSize = QSize(listWidth + kPageWidth + kButtonBoxWidth + 8, kDefaultHeight);
    resize(m_defaultSize);
}

QSize TSpravForm::sizeHint() const { return m_defaultSize; }

// The main window's font reaches the window after its creation (and again when the user picks
// another): the list and the columns are measured again, the list only until the user has a width.
void TSpravForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange || !m_list)
        return;
    if (!m_settingsLoaded)
        fitListWidth();
    for (Page& page : m_pageList)
        for (Table* t : {page.master.get(), page.detail.get()})
            if (t && t->grid) {
                t->grid->verticalHeader()->setDefaultSectionSize(t->grid->fontMetrics().height() + 6);
                if (t->ds->isActive())
                    fitColumns(*t->grid);
            }
}

QWidget* TSpravForm::createTablePanel(Table& t, const QString& caption)
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("Panel") + t.name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(0);
    auto* label = new QLabel(caption, panel);
    label->setObjectName(QStringLiteral("lab") + t.name);
    label->setFixedHeight(kLabelHeight);
    label->setIndent(4);
    QFont bold; // only the weight: family and size follow the window's font
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);

    // While the dataset adds, removes or replaces rows, the view's current row moves on its own; that
    // move must not be taken for the user's and sent back to the dataset.
    for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
        connect(t.ds, signal, this, [&t] { t.syncing = true; });
    connect(t.ds, &Dataset::rowsReplaced, this, [&t] { t.syncing = true; });
    connect(t.ds, &Dataset::fieldsChanged, this, [&t] { t.syncing = true; });
    t.model = new EditableDatasetModel(t.ds, this);
    t.model->setObjectName(QStringLiteral("src") + t.name);
    t.grid = new QTableView(panel);
    t.grid->setObjectName(QStringLiteral("grid") + t.name);
    t.grid->setModel(t.model);
    t.grid->setItemDelegate(new CellEditorDelegate(t.grid));
    t.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    t.grid->setSelectionMode(QAbstractItemView::ExtendedSelection); // rows to save or print together
    t.grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    t.grid->setAlternatingRowColors(true);
    t.grid->verticalHeader()->setDefaultSectionSize(t.grid->fontMetrics().height() + 6);
    t.grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t.grid->horizontalHeader()->setStretchLastSection(true);
    t.grid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) |
                                                    Qt::Alignment::fromInt(Qt::TextWordWrap));
    t.grid->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(t.grid, 1);
    connectGrid(t);
    return panel;
}

void TSpravForm::connectGrid(Table& t)
{
    const auto settled = [this, &t] {
        t.syncing = false;
        syncGridToDataset(t);
    };
    for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
        connect(t.ds, signal, this, settled);
    connect(t.ds, &Dataset::rowsReplaced, this, settled);
    connect(t.ds, &Dataset::fieldsChanged, this, settled);
    connect(t.ds, &Dataset::currentChanged, this, [this, &t] { syncGridToDataset(t); });
    connect(t.grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, &t](const QModelIndex& current) { gridRowChanged(t, current.row()); });
}

QWidget* TSpravForm::createButtonBox()
{
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("ButtonBox"));
    box->setFixedWidth(kButtonBoxWidth);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(1);
    m_btnFirst = addButton(box, "btnFirst", Str::NavFirst, Str::HintNavFirst);
    m_btnPrior = addButton(box, "btnPrior", Str::NavPrior, Str::HintNavPrior);
    m_btnNext = addButton(box, "btnNext", Str::NavNext, Str::HintNavNext);
    m_btnLast = addButton(box, "btnLast", Str::NavLast, Str::HintNavLast);
    m_btnInsert = addButton(box, "btnInsert", Str::BtnInsert, Str::HintInsert);
    m_btnDelete = addButton(box, "btnDelete", Str::BtnDelete, Str::HintDelete);
    m_btnPrint = addButton(box, "btnPrint", Str::BtnPrint, Str::HintPrint);
    m_btnClose = addButton(box, "btnClose", Str::BtnClose, Str::HintClose);
    layout->addStretch(1);

    const QStyle* st = style();
    m_btnFirst->setIcon(st->standardIcon(QStyle::SP_MediaSkipBackward));
    m_btnPrior->setIcon(st->standardIcon(QStyle::SP_MediaSeekBackward));
    m_btnNext->setIcon(st->standardIcon(QStyle::SP_MediaSeekForward));
    m_btnLast->setIcon(st->standardIcon(QStyle::SP_MediaSkipForward));
    m_btnInsert->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    m_btnDelete->setIcon(st->standardIcon(QStyle::SP_TrashIcon));
    m_btnPrint->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    m_btnClose->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));

    connect(m_btnFirst, &QPushButton::clicked, this, &TSpravForm::btnFirstClick);
    connect(m_btnPrior, &QPushButton::clicked, this, &TSpravForm::btnPriorClick);
    connect(m_btnNext, &QPushButton::clicked, this, &TSpravForm::btnNextClick);
    connect(m_btnLast, &QPushButton::clicked, this, &TSpravForm::btnLastClick);
    connect(m_btnInsert, &QPushButton::clicked, this, &TSpravForm::btnInsertClick);
    connect(m_btnDelete, &QPushButton::clicked, this, &TSpravForm::btnDeleteClick);
    connect(m_btnPrint, &QPushButton::clicked, this, &TSpravForm::btnPrintClick);
    connect(m_btnClose, &QPushButton::clicked, this, [this] {
        // Inside the main window the frame closes, and asks this window first.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
    return box;
}

QPushButton* TSpravForm::addButton(QWidget* box, const char* name, Str caption, Str hint)
{
    auto* button = new QPushButton(Text(caption), box);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(withoutAccelerator(hintShort(Text(hint))));
    button->setStatusTip(hintLong(Text(hint)));
    button->setMinimumHeight(25);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->layout()->addWidget(button);
    return button;
}

// ---------------------------------------------------------------- pages

int TSpravForm::currentPage() const { return m_openPage; }

void TSpravForm::SelectPage(int index)
{
    if (index >= 0 && index < LinkedTableCount)
        m_list->setCurrentRow(index);
}

bool TSpravForm::LocateKey(int index, const QVariant& key)
{
    SelectPage(index);
    if (currentPage() != index || !m_pageList[size_t(index)].master->ds->isActive())
        return false;
    Table& t = *m_pageList[size_t(index)].master;
    bool found = false;
    guarded([&] { found = t.ds->locate(t.key, key); });
    return found;
}

bool TSpravForm::LocateDetailKey(int index, const QVariant& key)
{
    SelectPage(index);
    if (currentPage() != index || !m_pageList[size_t(index)].detail)
        return false;
    Table& t = *m_pageList[size_t(index)].detail;
    bool found = false;
    guarded([&] { found = t.ds->isActive() && t.ds->locate(t.key, key); });
    return found;
}

void TSpravForm::TableListChange(int row)
{
    if (row < 0 || row == m_openPage)
        return;
    if (!showPage(row)) {
        // The page in use keeps an edit that could not be stored: stay on it. The list goes back now,
        // and again once a click that chose the other page is over, or that click would select it.
        const auto backToOpenPage = [this] {
            const QSignalBlocker block(m_list);
            m_list->setCurrentRow(m_openPage);
        };
        backToOpenPage();
        QTimer::singleShot(0, this, backToOpenPage);
        return;
    }
    m_pages->setCurrentIndex(row);
    updateControls();
}

bool TSpravForm::showPage(int index)
{
    if (m_openPage >= 0) {
        Page& old = m_pageList[size_t(m_openPage)];
        if (!postPage(old))
            return false;
        closePage(old);
    }
    m_openPage = index;
    Page& page = m_pageList[size_t(index)];
    page.detailFocused = false;
    guarded([&] { openPage(page); });
    return true;
}

bool TSpravForm::postPage(const Page& page)
{
    bool ok = true;
    for (Table* t : {page.detail.get(), page.master.get()})
        if (t && t->ds->isActive())
            ok = guarded([t] { t->ds->checkBrowseMode(); }) && ok;
    return ok;
}

void TSpravForm::closePage(Page& page)
{
    if (page.detail)
        page.detail->ds->close();
    page.master->ds->close();
    if (page.usesDimentions)
        m_dsDimention->close();
}

void TSpravForm::openPage(Page& page)
{
    if (page.usesDimentions)
        m_dsDimention->open();
    page.master->ds->open();
    if (page.detail)
        page.detail->ds->open();
}

// ---------------------------------------------------------------- current data source

void TSpravForm::gridFocusChanged(QWidget* now)
{
    if (m_openPage < 0 || !now)
        return;
    Page& page = m_pageList[size_t(m_openPage)];
    for (Table* t : {page.master.get(), page.detail.get()}) {
        if (!t)
            continue;
        const bool focused = inside(now, t->grid);
        if (focused) {
            page.detailFocused = t == page.detail.get();
        } else if (t->ds->state() == Dataset::State::Insert && !t->ds->isModified() && isAncestorOf(now)) {
            // A new row left without a value when another control of the window takes the focus is
            // dropped rather than stored empty.
            guarded([t] { t->ds->cancel(); });
        }
    }
    updateControls();
}

TSpravForm::Table* TSpravForm::currentTable() const
{
    if (m_openPage < 0)
        return nullptr;
    const Page& page = m_pageList[size_t(m_openPage)];
    return page.detail && page.detailFocused ? page.detail.get() : page.master.get();
}

Dataset* TSpravForm::currentDataset() const
{
    const Table* t = currentTable();
    return t && t->ds->isActive() ? t->ds : nullptr;
}

void TSpravForm::updateControls()
{
    const Table* t = currentTable();
    const Dataset* ds = currentDataset();
    const int count = ds ? ds->recordCount() : 0;
    const int row = ds ? ds->recNo() : 0;
    m_btnFirst->setEnabled(ds && row > 1);
    m_btnPrior->setEnabled(ds && row > 1);
    m_btnNext->setEnabled(ds && row < count);
    m_btnLast->setEnabled(ds && row < count);
    const bool masterHasRow = !t || !t->master || (t->master->ds->isActive() && t->master->ds->currentRow() >= 0);
    m_btnInsert->setEnabled(ds && masterHasRow);
    m_btnDelete->setEnabled(ds && count > 0);
    m_btnPrint->setEnabled(ds != nullptr);
    const QString text = statusText();
    if (m_status->currentMessage() != text)
        m_status->showMessage(text);
}

QString TSpravForm::statusText() const
{
    const Dataset* ds = currentDataset();
    if (!ds)
        return {};
    return Text(Str::StatusRowCount) + QStringLiteral(" = ") + QString::number(ds->recordCount()) +
           QStringLiteral("  ") + Text(Str::StatusCurrent) + QStringLiteral(" = ") + QString::number(ds->recNo());
}

// ---------------------------------------------------------------- grid and dataset in step

void TSpravForm::syncGridToDataset(Table& t)
{
    if (t.syncing || !t.grid)
        return;
    t.syncing = true;
    const int row = t.ds->currentRow();
    if (row < 0 || row >= t.model->rowCount()) {
        t.grid->selectionModel()->clear();
    } else {
        int column = t.grid->currentIndex().column();
        if (column < 0 || t.grid->isColumnHidden(column)) {
            column = 0;
            while (column < t.model->columnCount() - 1 && t.grid->isColumnHidden(column))
                ++column;
        }
        t.grid->setCurrentIndex(t.model->index(row, column));
    }
    t.syncing = false;
}

void TSpravForm::gridRowChanged(Table& t, int row)
{
    if (t.syncing || row < 0 || !t.ds->isActive() || row == t.ds->currentRow())
        return;
    t.syncing = true;
    const bool moved = guarded([&] { t.ds->setRecNo(row + 1); });
    t.syncing = false;
    if (!moved) // the row being left could not be stored: the grid goes back to it
        QTimer::singleShot(0, this, [this, &t] { syncGridToDataset(t); });
    updateControls();
}

void TSpravForm::editNewRow(Table& t)
{
    if (t.ds->state() != Dataset::State::Insert)
        return;
    for (int c = 0; c < t.model->columnCount(); ++c)
        if (!t.grid->isColumnHidden(c) && isEditableField(fieldAt(t.ds, c))) {
            const QModelIndex index = t.model->index(t.ds->currentRow(), c);
            t.grid->setFocus();
            t.grid->setCurrentIndex(index);
            t.grid->edit(index);
            return;
        }
}

// ---------------------------------------------------------------- commands

void TSpravForm::navigate(void (Dataset::*step)())
{
    if (Dataset* ds = currentDataset())
        guarded([ds, step] {
            ds->checkBrowseMode(); // a pending edit is stored also when the move goes nowhere
            (ds->*step)();
        });
    updateControls();
}

void TSpravForm::btnFirstClick() { navigate(&Dataset::first); }
void TSpravForm::btnPriorClick() { navigate(&Dataset::prior); }
void TSpravForm::btnNextClick() { navigate(&Dataset::next); }
void TSpravForm::btnLastClick() { navigate(&Dataset::last); }

void TSpravForm::btnInsertClick()
{
    Table* t = currentTable();
    if (!t || !t->ds->isActive())
        return;
    const bool inserted = guarded([t] {
        if (t->master) {
            t->master->ds->checkBrowseMode(); // a new master row gets its key first
            if (t->master->ds->currentRow() < 0)
                return;
        }
        t->ds->insert();
    });
    if (inserted)
        editNewRow(*t);
    updateControls();
}

void TSpravForm::btnDeleteClick()
{
    if (Dataset* ds = currentDataset())
        guarded([ds] { ds->deleteRecord(); });
    updateControls();
}

// The grid of the current list, as the user sees it, in a print preview.
void TSpravForm::btnPrintClick()
{
    Table* t = currentTable();
    if (!t || !t->ds->isActive())
        return;
    guarded([&] {
        t->ds->checkBrowseMode();
        GridPrinter printer(t->grid);
        printer.setTitle(printTitle(*t));
        printer.preview(this);
    });
}

// The page's name; on a two-list page the list's own, and for the second list the first list's row
// it belongs to ("Бригады — Цех КИПиА №1").
QString TSpravForm::printTitle(const Table& t) const
{
    const Page& page = m_pageList[size_t(m_openPage)];
    if (!page.detail)
        return page.caption;
    QString title = withoutAccelerator(Text(t.label));
    if (t.master && t.master->ds->isActive() && t.master->ds->currentRow() >= 0)
        title += QStringLiteral(" — ") + t.master->ds->value(QString::fromLatin1(t.master->columns.front().name)).toString();
    return title;
}

void TSpravForm::postAll()
{
    for (Page& page : m_pageList)
        postPage(page);
}

// ---------------------------------------------------------------- lifecycle and settings

QWidget* TSpravForm::frame() { return qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this; }

void TSpravForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_settingsLoaded)
        return;
    m_settingsLoaded = true;
    loadSettings();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
            if ((before & Qt::WindowActive) && !(now & Qt::WindowActive))
                postAll();
        });
}

void TSpravForm::closeEvent(QCloseEvent* event)
{
    Dataset* ds = currentDataset();
    if (ds && !guarded([ds] { ds->checkBrowseMode(); })) {
        event->ignore(); // the edit could not be stored: the window stays so that it is not lost
        return;
    }
    saveSettings();
    QWidget::closeEvent(event);
}

void TSpravForm::loadSettings()
{
    FormSettings settings(QString::fromLatin1(metaObject()->className()));
    StoredGeometry::restore(settings.settings(), frame());
    bool ok = false;
    const int width = settings.value(QString::fromLatin1(kListWidthKey)).toInt(&ok);
    if (ok && width > 0) {
        const int total = m_splitter->sizes().value(0) + m_splitter->sizes().value(1);
        m_splitter->setSizes({width, std::max(total - width, 100)});
    }
}

void TSpravForm::saveSettings()
{
    FormSettings settings(QString::fromLatin1(metaObject()->className()));
    StoredGeometry::save(settings.settings(), frame());
    settings.setValue(QString::fromLatin1(kListWidthKey), m_list->width());
}
