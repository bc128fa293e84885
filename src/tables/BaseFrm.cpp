#include "tables/BaseFrm.h"

#include "tables/TablePropFrm.h"

#include "app/Application.h"
#include "app/StoredGeometry.h"
#include "data/Dataset.h"
#include "data/RowIdentity.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/CurrentRowDelegate.h"
#include "tables/FindDialog.h"
#include "tables/GridColumns.h"
#include "tables/print/GridPrinter.h"
#include "tables/InputDateFrm.h"
#include "tables/SaveSelectedRows.h"
#include "tables/FilterHeader.h"
#include "tables/FormSettings.h"
#include "tables/GridSettings.h"
#include "tables/GroupTreeBuilder.h"
#include "tables/GroupTitleModel.h"
#include "tables/MainQueryText.h"
#include "text/StrList.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kButtonHeight = 25;
constexpr int kButtonBoxWidth = 120;

struct ActionText {
    const char* name;
    Str caption;
    Str hint;
    bool hintIsCaption;
};

// The commands of every table window, with their texts from the string table.
const ActionText kActions[] = {
    {"Swap", Str::TableSwap, Str::HintSwap, false},
    {"First", Str::NavFirst, Str::HintNavFirst, false},
    {"Prior", Str::NavPrior, Str::HintNavPrior, false},
    {"Next", Str::NavNext, Str::HintNavNext, false},
    {"Last", Str::NavLast, Str::HintNavLast, false},
    {"Insert2", Str::BtnInsert, Str::HintInsert, false},
    {"Same", Str::BtnSame, Str::HintSame, false},
    {"Delete", Str::BtnDelete, Str::HintDelete, false},
    {"Print", Str::BtnPrint, Str::HintPrint, false},
    {"SortAsc", Str::TableSortAsc, Str::TableSortAsc, true},
    {"SortDesc", Str::TableSortDesc, Str::TableSortDesc, true},
    {"SortNone", Str::TableSortNone, Str::TableSortNone, true},
    {"GroupCol", Str::TableGroupCol, Str::TableGroupCol, true},
    {"UngroupCol", Str::TableUngroupCol, Str::TableUngroupCol, true},
    {"CustFilter", Str::TableCustFilter, Str::TableCustFilter, true},
    {"Find", Str::ActionFind, Str::HintFind, false},
    {"SelectAll", Str::ActionSelectAll, Str::HintSelectAll, false},
    {"Save", Str::ActionSaveAs, Str::HintSaveAs, false},
    {"OpenPropForm", Str::ActionTableProps, Str::HintTableProps, false},
    {"HideColumn1", Str::TableHideColumn, Str::TableHideColumn, false},
};

// Commands that exist for derived windows only; they stay disabled until one gives them a handler.
const char* const kHandlerlessActions[] = {"Twice", "Undo", "Move"};

struct ButtonSpec {
    const char* name;
    const char* action;
    int tag;
};

const ButtonSpec kButtons[] = {
    {"btnSwap", "Swap", 0},     {"btnFirst", "First", 1},   {"btnPrior", "Prior", 2},
    {"btnNext", "Next", 3},     {"btnLast", "Last", 4},     {"btnInsert", "Insert2", 5},
    {"btnSame", "Same", 6},     {"btnDelete", "Delete", 7}, {"btnPrint", "Print", 8},
};

constexpr int kFieldIndexRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kKindRole = Qt::UserRole + 2;
constexpr int kFieldRole = Qt::UserRole + 3;

int tagOf(const QWidget* w) { return w->property("Tag").toInt(); }

QToolButton* makeButton(QWidget* parent, const QString& name, int tag)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setProperty("Tag", tag);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(false);
    return button;
}

Dataset* newMainDataset()
{
    auto* dataset = new Dataset;
    dataset->setObjectName(QStringLiteral("dsMain"));
    return dataset;
}

} // namespace

TBaseForm::TBaseForm(Dataset* dsMain, const QString& mainQuery, QWidget* parent) : QWidget(parent), m_dsMain(dsMain)
{
    resize(884, 452);
    createActions();
    buildLayout();
    createBaseButtons();
    createBaseCommands();
    buildPopupMenu();
    if (!m_dsMain) {
        Messages::warning(QStringLiteral("no dsMain"));
        return;
    }
    if (!m_dsMain->parent())
        m_dsMain->setParent(this); // freed with the window, even when opening it fails below
    bindMainDataset(mainQuery);
    InstrelApplication::connectIdle(this, [this] { updateOnIdle(); });
}

TBaseForm::TBaseForm(const QString& mainQuery, QWidget* parent) : TBaseForm(newMainDataset(), mainQuery, parent) {}

TBaseForm::~TBaseForm()
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        disconnect(dispatcher, nullptr, this, nullptr);
}

// ---------------------------------------------------------------- layout

void TBaseForm::buildLayout()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    root->addLayout(body, 1);

    m_treeSplitter = new QSplitter(Qt::Horizontal, this);
    m_treeSplitter->setObjectName(QStringLiteral("TreeSplitter"));
    m_treeSplitter->setChildrenCollapsible(false);
    m_treeSplitter->addWidget(buildTreePanel());
    auto* center = new QWidget(m_treeSplitter);
    auto* centerLayout = new QVBoxLayout(center);
    centerLayout->setContentsMargins(0, 0, 0, 0);
    centerLayout->addWidget(buildGridPanel());
    centerLayout->addWidget(buildFormPanel());
    m_treeSplitter->addWidget(center);
    m_treeSplitter->setStretchFactor(1, 1);
    body->addWidget(m_treeSplitter, 1);

    buildButtonBox();
    body->addWidget(m_buttonBox);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusLabel = new QLabel(m_statusBar);
    m_statusLabel->setObjectName(QStringLiteral("StatusText"));
    m_statusBar->addWidget(m_statusLabel, 1);
    root->addWidget(m_statusBar);

    m_lbStore1 = new QLabel(QStringLiteral("False"), this);
    m_lbStore1->setObjectName(QStringLiteral("lbStore1"));
    m_lbStore1->hide();
}

QWidget* TBaseForm::buildTreePanel()
{
    m_treePanel = new QWidget(this);
    m_treePanel->setObjectName(QStringLiteral("TreePanel"));
    auto* layout = new QVBoxLayout(m_treePanel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* box = new QGroupBox(m_treePanel);
    box->setObjectName(QStringLiteral("GroupBox2"));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(2, 2, 2, 2);
    m_complectTree = new QTreeWidget(box);
    m_complectTree->setObjectName(QStringLiteral("ComplectTree"));
    m_complectTree->setHeaderHidden(true);
    boxLayout->addWidget(m_complectTree);
    layout->addWidget(box);
    m_treePanel->hide();
    // In the base layout the kit tree serves the grouping filter like the group tree does.
    connect(m_complectTree, &QTreeWidget::itemClicked, this, [this] { GroupTreeClick(); });
    m_complectTree->installEventFilter(this);
    return m_treePanel;
}

QWidget* TBaseForm::buildGridPanel()
{
    m_gridPanel = new QWidget(this);
    m_gridPanel->setObjectName(QStringLiteral("GridPanel"));
    auto* layout = new QVBoxLayout(m_gridPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter1 = new QSplitter(Qt::Vertical, m_gridPanel);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setChildrenCollapsible(false);

    m_groupBox = new QGroupBox(Text(Str::TableGroupBox), m_splitter1);
    m_groupBox->setObjectName(QStringLiteral("GroupBox"));
    auto* boxLayout = new QHBoxLayout(m_groupBox);
    boxLayout->setContentsMargins(2, 2, 2, 2);
    m_groupTree = new QTreeWidget(m_groupBox);
    m_groupTree->setObjectName(QStringLiteral("GroupTree"));
    m_groupTree->setHeaderHidden(true);
    boxLayout->addWidget(m_groupTree, 1);
    auto* panel = new QWidget(m_groupBox);
    panel->setObjectName(QStringLiteral("PanelGroupBox"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto* close = new QToolButton(panel);
    close->setObjectName(QStringLiteral("btnCloseGroupBox"));
    close->setText(QStringLiteral("x"));
    panelLayout->addWidget(close);
    panelLayout->addStretch(1);
    boxLayout->addWidget(panel);
    m_groupBox->hide();
    connect(close, &QToolButton::clicked, this, [this] { setGroupFields({}); });
    connect(m_groupTree, &QTreeWidget::itemClicked, this, [this] { GroupTreeClick(); });
    m_groupTree->installEventFilter(this);

    m_grid = new QTableView(m_splitter1);
    m_grid->setObjectName(QStringLiteral("gridPasport"));
    m_filterHeader = new FilterHeader(m_grid);
    m_grid->setHorizontalHeader(m_filterHeader);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_filterHeader, &FilterHeader::adjustPositions);
    connect(m_filterHeader, &FilterHeader::filterChanged, this, &TBaseForm::applyFilterCell);
    connect(m_filterHeader, &FilterHeader::valuePicked, this, &TBaseForm::applyFilterValue);
    connect(m_filterHeader, &FilterHeader::valuesWanted, this,
            [this](int column) { InstrelApplication::guarded([&] { fillFilterValues(column); }); });
    connect(m_filterHeader, &QHeaderView::sectionClicked, this, &TBaseForm::titleClicked);
    m_filterHeader->setDecoration([this](QPainter* painter, const QRect& rect, int section) {
        if (!m_dsMain || section < 0 || section >= m_dsMain->fieldCount())
            return;
        const QString field = m_dsMain->fields()[size_t(section)]->name();
        const SortMarkers::Marker marker = m_sortMarkers.marker(field);
        if (marker != SortMarkers::Marker::None)
            paintSortMarker(painter, rect, marker, m_sortMarkers.position(field), int(m_sortMarkers.fields().size()));
    });
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setItemDelegate(new CurrentRowDelegate(m_grid));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { GoToField(currentFieldName()); });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popupMenu->popup(m_grid->viewport()->mapToGlobal(at)); });
    m_splitter1->addWidget(m_groupBox);
    m_splitter1->addWidget(m_grid);
    m_splitter1->setStretchFactor(1, 1);
    layout->addWidget(m_splitter1);
    return m_gridPanel;
}

QWidget* TBaseForm::buildFormPanel()
{
    m_formPanel = new QTabWidget(this);
    m_formPanel->setObjectName(QStringLiteral("FormPanel"));
    m_formPanel->setDocumentMode(true);
    m_formPanel->tabBar()->setExpanding(false);
    auto* page = new QWidget(m_formPanel);
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    m_scrollBox = new QScrollArea(page);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setWidgetResizable(true);
    auto* editors = new QWidget(m_scrollBox);
    editors->setObjectName(QStringLiteral("ScrollBox1Contents"));
    m_scrollBox->setWidget(editors);
    pageLayout->addWidget(m_scrollBox);
    m_formPanel->addTab(page, QString());
    m_formPanel->setCurrentIndex(0);
    m_formPanel->hide();
    connect(m_formPanel, &QTabWidget::currentChanged, this, &TBaseForm::formPageChanged);
    return m_formPanel;
}

void TBaseForm::buildButtonBox()
{
    m_buttonBox = new QScrollArea(this);
    m_buttonBox->setObjectName(QStringLiteral("ButtonBox"));
    m_buttonBox->setFixedWidth(kButtonBoxWidth);
    m_buttonBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_buttonBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_buttonBox->setFrameShape(QFrame::NoFrame);
    m_buttonHost = new QWidget(m_buttonBox);
    m_buttonHost->setObjectName(QStringLiteral("ButtonBoxContents"));
    m_buttonBox->setWidget(m_buttonHost);
}

// ---------------------------------------------------------------- actions and buttons

QAction* TBaseForm::newAction(const QString& name)
{
    auto* a = new QAction(this);
    a->setObjectName(name);
    a->setEnabled(false);
    m_actions.insert(name, a);
    addAction(a);
    connect(a, &QAction::triggered, this, [this, a] {
        const Command command = m_commands.value(a);
        if (command.execute && (!command.enabled || command.enabled()))
            command.execute();
    });
    return a;
}

QAction* TBaseForm::addCommand(const QString& name, const QString& caption, const QString& hint, Handler execute,
                               Condition enabled)
{
    Q_ASSERT_X(!m_actions.contains(name), "addCommand", qPrintable(name));
    QAction* a = newAction(name);
    a->setText(caption);
    a->setToolTip(withoutAccelerator(hintShort(hint)));
    a->setStatusTip(hintLong(hint));
    if (execute)
        setCommand(name, std::move(execute), std::move(enabled));
    return a;
}

void TBaseForm::createActions()
{
    auto add = [this](const QString& name) { return newAction(name); };
    for (const ActionText& text : kActions) {
        QAction* a = add(QString::fromLatin1(text.name));
        a->setText(Text(text.caption));
        const QString hint = Text(text.hint);
        if (text.hint != Str::TableHideColumn) {
            a->setToolTip(withoutAccelerator(hintShort(hint)));
            a->setStatusTip(hintLong(hint));
        }
    }
    for (const char* name : kHandlerlessActions)
        add(QString::fromLatin1(name));
}

QAction* TBaseForm::action(const QString& name) const { return m_actions.value(name); }

void TBaseForm::setCommand(const QString& name, Handler execute, Condition enabled)
{
    QAction* a = action(name);
    Q_ASSERT(a);
    if (a)
        m_commands.insert(a, Command{std::move(execute), std::move(enabled)});
}

QAbstractButton* TBaseForm::addButton(QAction* action, int tag)
{
    Q_ASSERT(tag >= 0 && tag <= MaxTag);
    const QString name = QStringLiteral("btn") + action->objectName();
    QToolButton* button = makeButton(m_buttonHost, name, std::clamp(tag, 0, MaxTag));
    button->setDefaultAction(action);
    button->setFixedSize(kButtonBoxWidth - 8, kButtonHeight);
    button->show();
    m_buttonsArranged = false;
    return button;
}

QAbstractButton* TBaseForm::button(const QString& buttonName) const
{
    return m_buttonHost->findChild<QAbstractButton*>(buttonName, Qt::FindDirectChildrenOnly);
}

void TBaseForm::hideButton(const QString& buttonName) { setButtonVisible(buttonName, false); }

void TBaseForm::showButton(const QString& buttonName) { setButtonVisible(buttonName, true); }

void TBaseForm::setButtonVisible(const QString& buttonName, bool visible)
{
    QAbstractButton* b = button(buttonName);
    Q_ASSERT_X(b, "setButtonVisible", qPrintable(buttonName));
    if (b && b->isHidden() == visible) {
        b->setVisible(visible);
        m_buttonsArranged = false;
    }
}

void TBaseForm::bindButton(const QString& buttonName, const QString& actionName)
{
    auto* b = qobject_cast<QToolButton*>(button(buttonName));
    QAction* a = action(actionName);
    Q_ASSERT_X(b && a, "bindButton", qPrintable(buttonName + QLatin1Char('/') + actionName));
    if (!b || !a)
        return;
    if (QAction* old = b->defaultAction())
        b->removeAction(old);
    b->setDefaultAction(a);
    m_buttonsArranged = false;
}

void TBaseForm::createBaseButtons()
{
    for (const ButtonSpec& spec : kButtons) {
        QToolButton* button = makeButton(m_buttonHost, QString::fromLatin1(spec.name), spec.tag);
        button->setDefaultAction(action(QString::fromLatin1(spec.action)));
        button->setFixedSize(kButtonBoxWidth - 8, kButtonHeight);
    }
    QToolButton* close = makeButton(m_buttonHost, QStringLiteral("btnClose"), 9);
    close->setText(Text(Str::BtnClose));
    close->setToolTip(withoutAccelerator(hintShort(Text(Str::HintClose))));
    close->setStatusTip(hintLong(Text(Str::HintClose)));
    close->setFixedSize(kButtonBoxWidth - 8, kButtonHeight);
    connect(close, &QToolButton::clicked, this, &TBaseForm::closeWindow);
}

void TBaseForm::ArrangeButtons()
{
    if (!m_buttonsArranged) {
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : m_buttonHost->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
            if (!b->isHidden())
                buttons.append(b);
        // findChildren keeps creation order, so equal Tags stay in the order they were added.
        std::stable_sort(buttons.begin(), buttons.end(),
                         [](const QWidget* a, const QWidget* b) { return tagOf(a) < tagOf(b); });
        int k = 0;
        for (QAbstractButton* b : buttons)
            b->move(2, k++ * (kButtonHeight + 1));
        m_buttonHost->setFixedSize(kButtonBoxWidth - 4, k * (kButtonHeight + 1));
        m_buttonsArranged = true;
    }
}

void TBaseForm::createBaseCommands()
{
    auto ds = [this] { return navigationDataset(); };
    auto open = [ds] { return ds() && ds()->isActive(); };
    auto notFirst = [ds, open] { return open() && !ds()->isEmpty() && ds()->recNo() > 1; };
    auto notLast = [ds, open] { return open() && !ds()->isEmpty() && ds()->recNo() < ds()->recordCount(); };
    setCommand(QStringLiteral("Swap"), [this] { Swap(); });
    setCommand(QStringLiteral("First"), [ds] { ds()->first(); }, notFirst);
    setCommand(QStringLiteral("Prior"), [ds] { ds()->prior(); }, notFirst);
    setCommand(QStringLiteral("Next"), [ds] { ds()->next(); }, notLast);
    setCommand(QStringLiteral("Last"), [ds] { ds()->last(); }, notLast);
    setCommand(QStringLiteral("Delete"), [this] { deleteCurrent(); }, [this] {
        Dataset* target = deleteTarget();
        return target && target->isActive() && !target->isEmpty();
    });
    setCommand(QStringLiteral("HideColumn1"), [this] { hideCurrentColumn(); });
    setCommand(QStringLiteral("OpenPropForm"), [this] { OpenPropForm(); });
    setCommand(QStringLiteral("SelectAll"), [this] { m_grid->selectAll(); });
    setCommand(QStringLiteral("Print"), [this] { GridPrinter(m_grid).preview(this); });
    setCommand(QStringLiteral("Save"), [this] { saveSelectedRows(m_grid, this); });
    setCommand(QStringLiteral("Find"), [this] { openFind(); });
    setCommand(QStringLiteral("CustFilter"), [this] { customDateFilter(); }, [this] {
        const QString field = currentFieldName();
        return !field.isEmpty() && columnKind(field) == FilterRowQuery::ColumnKind::Date;
    });
    auto marker = [this] { return m_sortMarkers.marker(currentFieldName()); };
    auto hasField = [this] { return !currentFieldName().isEmpty(); };
    setCommand(QStringLiteral("SortAsc"), [this] { setSortMarker(SortMarkers::Marker::Ascending); },
               [=] { return hasField() && SortMarkers::canSortAscending(marker()); });
    setCommand(QStringLiteral("SortDesc"), [this] { setSortMarker(SortMarkers::Marker::Descending); },
               [=] { return hasField() && SortMarkers::canSortDescending(marker()); });
    setCommand(QStringLiteral("SortNone"), [this] { setSortMarker(SortMarkers::Marker::None); },
               [=] { return hasField() && SortMarkers::canClearSort(marker()); });
    setCommand(QStringLiteral("GroupCol"), [this] { groupColumn(true); }, [this] {
        const QString field = currentFieldName();
        return !field.isEmpty() && !m_model->groupPosition(field);
    });
    setCommand(QStringLiteral("UngroupCol"), [this] { groupColumn(false); }, [this] {
        const QString field = currentFieldName();
        return !field.isEmpty() && m_model->groupPosition(field);
    });
}

void TBaseForm::buildPopupMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [this](const char* name) { m_popupMenu->addAction(action(QString::fromLatin1(name))); };
    add("SortAsc");
    add("SortDesc");
    add("SortNone");
    m_popupMenu->addSeparator();
    add("GroupCol");
    add("UngroupCol");
    m_popupMenu->addSeparator();
    add("HideColumn1");
    add("Find");
    add("CustFilter");
    m_popupMenu->addSeparator();
    // Cut, Copy and Paste are the main window's commands; they join the menu when there is one.
    QAction* clipboardAnchor = m_popupMenu->addSeparator();
    clipboardAnchor->setObjectName(QStringLiteral("ClipboardPlace"));
    add("SelectAll");
    m_popupMenu->addSeparator();
    add("Save");
    m_popupMenu->addSeparator();
    add("Print");
    m_popupMenu->addSeparator();
    add("OpenPropForm");
    connect(m_popupMenu, &QMenu::aboutToShow, this, [this, clipboardAnchor] {
        updateActions();
        if (m_popupMenu->property("clipboardAdded").toBool())
            return;
        for (const char* name : {"EditCut1", "EditCopy1", "EditPaste1"})
            if (QAction* a = window()->findChild<QAction*>(QString::fromLatin1(name)))
                m_popupMenu->insertAction(clipboardAnchor, a);
        m_popupMenu->setProperty("clipboardAdded", true);
    });
}

// ---------------------------------------------------------------- main dataset

void TBaseForm::bindMainDataset(const QString& mainQuery)
{
    const MainQueryText::TableNameResult name = MainQueryText::tableName(mainQuery);
    if (!name.defined)
        Messages::warning(QStringLiteral("Table name not defined."));
    m_tableName = name.name;
    m_queryHead = MainQueryText::queryHead(mainQuery);

    m_model = new GroupTitleModel(m_dsMain, this);
    m_grid->setModel(m_model);
    // Columns come and go with a model reset (new fields, a lookup or calculated field added).
    connect(m_model, &QAbstractItemModel::modelReset, this, &TBaseForm::syncColumnVisibility);
    connect(m_dsMain, &Dataset::currentChanged, this, &TBaseForm::syncGridCurrent);
    connect(m_dsMain, &Dataset::rowsReplaced, this, &TBaseForm::syncGridCurrent);
    connect(m_dsMain, &Dataset::controlsEnabled, this, &TBaseForm::syncGridCurrent);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { gridCurrentChanged(current); });

    m_dsMain->setServerOrderField(m_rowIdentityField);
    m_dsMain->setSql(MainQueryText::anchoredQuery(mainQuery));
    m_dsMain->open();
    // Until the program next waits for events nothing can have changed the rows just read, so the
    // first showing, which normally reads them again, need not (300,000 rows take a while).
    m_mainJustRead = true;
    QTimer::singleShot(0, this, [this] { m_mainJustRead = false; });
    syncColumnVisibility();
    syncGridCurrent();
}

void TBaseForm::syncColumnVisibility()
{
    if (!m_dsMain)
        return;
    if (m_filterHeader->filterCount() != m_dsMain->fieldCount())
        m_filterHeader->generateFilters(m_dsMain->fieldCount());
    for (int c = 0; c < m_dsMain->fieldCount(); ++c)
        m_grid->setColumnHidden(c, !m_dsMain->fields()[size_t(c)]->isVisible());
}

void TBaseForm::syncGridCurrent()
{
    if (!m_dsMain || m_syncingCurrent || m_dsMain->controlsDisabled())
        return;
    const int row = m_dsMain->currentRow();
    const QModelIndex current = m_grid->currentIndex();
    if (row < 0 || row >= m_model->rowCount() || (current.isValid() && current.row() == row))
        return;
    // Rows replaced take the current cell away; the column the user was in stays.
    int column = current.isValid() ? current.column() : m_lastColumn;
    if (column < 0 || column >= m_model->columnCount())
        column = m_grid->horizontalHeader()->logicalIndex(0);
    if (column < 0)
        column = 0;
    m_syncingCurrent = true;
    m_grid->selectionModel()->setCurrentIndex(m_model->index(row, column),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncingCurrent = false;
}

void TBaseForm::gridCurrentChanged(const QModelIndex& current)
{
    if (current.isValid())
        m_lastColumn = current.column();
    if (m_syncingCurrent || !current.isValid() || !m_dsMain || !m_dsMain->isActive())
        return;
    if (current.row() != m_dsMain->currentRow()) {
        m_syncingCurrent = true;
        m_dsMain->setRecNo(current.row() + 1);
        m_syncingCurrent = false;
    }
}

QString TBaseForm::currentFieldName() const
{
    if (!m_dsMain)
        return {};
    const QModelIndex current = m_grid->currentIndex();
    const int column = current.isValid() ? current.column() : -1;
    if (column < 0 || column >= m_dsMain->fieldCount())
        return {};
    return m_dsMain->fields()[size_t(column)]->name();
}

QString TBaseForm::defaultMainQuery() const
{
    return m_queryHead + QStringLiteral("\rWHERE\r1=1;");
}

void TBaseForm::setMainQuery(const QString& statement)
{
    if (!m_dsMain)
        return;
    Q_ASSERT_X(FilterRowQuery::hasAnchor(statement), "setMainQuery", "the statement needs its 1=1 line");
    WaitCursor wait;
    m_dsMain->close();
    m_dsMain->setSql(FilterRowQuery::rebuild(statement, m_filterQuery.conditions()));
    m_dsMain->open();
}

void TBaseForm::resetMainQuery() { setMainQuery(defaultMainQuery()); }

void TBaseForm::setRowIdentityField(const QString& field)
{
    m_rowIdentityField = field;
    if (m_dsMain)
        m_dsMain->setServerOrderField(field);
}

void TBaseForm::RequeryKeepRow()
{
    if (!m_dsMain)
        return;
    WaitCursor wait;
    const int row = m_dsMain->recNo();
    const QVariant identity = RowIdentity::toKeep(*m_dsMain, m_rowIdentityField);
    m_dsMain->disableControls();
    struct Enable {
        Dataset* ds;
        ~Enable() { ds->enableControls(); }
    } enable{m_dsMain};
    if (m_dsMain->isActive())
        m_dsMain->requery();
    else
        m_dsMain->open();
    m_dsMain->first();
    m_dsMain->moveBy(row - 1);
    RowIdentity::returnTo(*m_dsMain, m_rowIdentityField, identity);
}

// ---------------------------------------------------------------- commands

void TBaseForm::Swap()
{
    if (isFormView()) {
        // A failing post or page handler throws before anything changes: the form view stays.
        if (m_dsMain && m_dsMain->isEditing())
            m_dsMain->post();
        setVisiblePage(nullptr);
        m_formPanel->hide();
        m_gridPanel->show();
        RequeryKeepRow();
    } else {
        m_gridPanel->hide();
        m_formPanel->show();
        setVisiblePage(m_formPanel->currentWidget());
    }
}

void TBaseForm::setVisiblePage(QWidget* page)
{
    if (page == m_visiblePage)
        return;
    if (m_visiblePage) {
        const Handler onHide = m_pageHandlers.value(m_visiblePage).onHide;
        if (onHide)
            onHide();
    }
    m_visiblePage = page;
    if (page) {
        const Handler onShow = m_pageHandlers.value(page).onShow;
        if (onShow)
            onShow();
    }
}

void TBaseForm::formPageChanged(int index)
{
    if (m_revertingPage || !isFormView())
        return;
    QWidget* previous = m_visiblePage;
    QWidget* page = m_formPanel->widget(index);
    const bool left = InstrelApplication::guarded([&] {
        if (previous && m_pageHandlers.value(previous).onHide)
            m_pageHandlers.value(previous).onHide();
    });
    if (!left) {
        // The page could not let go (an edit that cannot be stored): the user stays on it.
        m_revertingPage = true;
        m_formPanel->setCurrentWidget(previous);
        m_revertingPage = false;
        return;
    }
    m_visiblePage = page;
    if (page && m_pageHandlers.value(page).onShow)
        m_pageHandlers.value(page).onShow();
}

void TBaseForm::ReopenPage()
{
    QWidget* page = m_visiblePage;
    if (!page)
        return;
    setVisiblePage(nullptr);
    setVisiblePage(page);
}

bool TBaseForm::isFormView() const { return m_gridPanel->isHidden() && !m_formPanel->isHidden(); }

void TBaseForm::setPageHandlers(QWidget* page, Handler onShow, Handler onHide)
{
    m_pageHandlers.insert(page, PageHandlers{std::move(onShow), std::move(onHide)});
}

Dataset* TBaseForm::deleteTarget() const
{
    if (m_deleteDataset)
        return m_deleteDataset;
    // The dataset of the focused grid; the main one when no grid of another dataset has the focus.
    for (QWidget* w = QApplication::focusWidget(); w && w != this; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            if (auto* model = qobject_cast<DatasetModel*>(view->model()))
                return model->dataset();
    return m_dsMain;
}

void TBaseForm::deleteCurrent()
{
    if (Dataset* target = deleteTarget())
        target->deleteRecord();
}

void TBaseForm::hideCurrentColumn()
{
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid())
        setColumnVisible(current.column(), false);
}

void TBaseForm::setColumnVisible(int column, bool visible)
{
    if (!m_dsMain || column < 0 || column >= m_dsMain->fieldCount())
        return;
    m_dsMain->fields()[size_t(column)]->setVisible(visible);
    m_grid->setColumnHidden(column, !visible);
}

void TBaseForm::setSortMarkers(const SortMarkers& markers)
{
    m_sortMarkers = markers;
    applySort();
}

TTablePropForm* TBaseForm::OpenPropForm()
{
    if (!m_propDialog)
        m_propDialog = new TTablePropForm(this);
    m_propDialog->fillLists();
    m_propDialog->show();
    m_propDialog->raise();
    m_propDialog->activateWindow();
    return m_propDialog;
}

void TBaseForm::GoToField(const QString& fieldName) { Q_UNUSED(fieldName); }

void TBaseForm::setComplectVisible(bool visible)
{
    m_complectVisible = visible;
    m_lbStore1->setText(visible ? QStringLiteral("True") : QStringLiteral("False"));
}

// ---------------------------------------------------------------- sorting, find, date filter

void TBaseForm::setSortMarker(SortMarkers::Marker marker)
{
    const QString field = currentFieldName();
    if (field.isEmpty())
        return;
    m_sortMarkers.setMarker(field, marker);
    applySort();
}

void TBaseForm::titleClicked(int section)
{
    if (!m_dsMain || section < 0 || section >= m_dsMain->fieldCount())
        return;
    m_sortMarkers.cycle(m_dsMain->fields()[size_t(section)]->name());
    applySort();
}

void TBaseForm::applySort()
{
    if (m_dsMain)
        m_dsMain->setSort(m_sortMarkers.sortText());
    m_filterHeader->viewport()->update();
}

QAbstractItemView* TBaseForm::focusedGrid() const
{
    for (QWidget* w = QApplication::focusWidget(); w && w != this; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            if (isAncestorOf(view) && qobject_cast<DatasetModel*>(view->model()))
                return view;
    return m_grid;
}

void TBaseForm::openFind()
{
    QAbstractItemView* grid = focusedGrid();
    auto* model = qobject_cast<DatasetModel*>(grid->model());
    Dataset* dataset = model ? model->dataset() : nullptr;
    if (!dataset)
        return;
    // One find dialog serves every grid of the program.
    FindDialog* dialog = FindDialog::shared(this);
    dialog->setDataset(dataset);
    const QModelIndex current = grid->currentIndex();
    const int column = current.isValid() ? current.column() : -1;
    const QString field = column >= 0 && column < dataset->fieldCount() ? dataset->fields()[size_t(column)]->name()
                                                                          : QString();
    dialog->setSearch(current.isValid() ? current.data().toString() : QString(), field);
    dialog->show();
}

void TBaseForm::customDateFilter()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    if (!m_dateDialog)
        m_dateDialog = new TInputDateForm(this);
    const QString expression = m_dateDialog->askExpression();
    m_filterHeader->setFilterText(current.column(), expression);
    applyFilterCell(current.column(), expression);
}

// ---------------------------------------------------------------- grouping

void TBaseForm::setGroupFields(const QStringList& fields)
{
    m_groupFields = fields;
    BuildGroupTree();
}

void TBaseForm::groupColumn(bool group)
{
    const QString field = currentFieldName();
    if (field.isEmpty())
        return;
    if (group)
        m_groupFields.append(field);
    else
        m_groupFields.removeIf([&](const QString& f) { return f.compare(field, Qt::CaseInsensitive) == 0; });
    BuildGroupTree();
}

void TBaseForm::BuildGroupTree()
{
    std::vector<GroupNode> roots;
    if (!m_groupFields.isEmpty() && m_dsMain) {
        WaitCursor wait;
        int failedLevel = -1;
        try {
            roots = GroupTreeBuilder(m_groupFields, m_tableName).load(*m_dsMain->connection(), &failedLevel);
        } catch (const DatabaseError&) {
            // The column the database rejected leaves the grouping, so that the next rebuild (the idle
            // step's among them) does not fail again; the tree on show stays as it was.
            if (failedLevel >= 0 && failedLevel < m_groupFields.size())
                m_groupFields.removeAt(failedLevel);
            if (m_model)
                m_model->setGroupFields(m_groupFields);
            throw;
        }
    }
    m_groupTree->clear();
    if (m_model)
        m_model->setGroupFields(m_groupFields);
    if (roots.empty())
        return;
    m_groupTree->setUpdatesEnabled(false);
    addGroupNodes(roots, nullptr);
    m_groupTree->setUpdatesEnabled(true);
}

void TBaseForm::addGroupNodes(const std::vector<GroupNode>& nodes, QTreeWidgetItem* parent)
{
    for (const GroupNode& node : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_groupTree);
        item->setText(0, GroupTreeBuilder::nodeText(node));
        item->setData(0, kFieldIndexRole, node.fieldIndex);
        item->setData(0, kFieldRole, m_groupFields.value(node.fieldIndex));
        item->setData(0, kValueRole, node.value);
        item->setData(0, kKindRole, int(node.kind));
        addGroupNodes(node.children, item);
    }
}

QString TBaseForm::groupNodeFilter(const QTreeWidgetItem* item) const
{
    QStringList terms;
    for (; item; item = item->parent()) {
        // By name: the grouping columns may have changed since the tree was built.
        const QString field = item->data(0, kFieldRole).toString();
        GroupNode node;
        node.value = item->data(0, kValueRole);
        node.kind = GroupNode::Kind(item->data(0, kKindRole).toInt());
        const int column = m_dsMain->rows() ? m_dsMain->rows()->indexOf(field) : -1;
        const auto type = column < 0 ? ResultSet::ColumnType::Text : m_dsMain->rows()->column(column).type;
        terms.append(GroupTreeBuilder::nodeCondition(field, node, type));
    }
    return terms.join(QStringLiteral(" and "));
}

void TBaseForm::GroupTreeClick()
{
    const QTreeWidgetItem* item = m_groupTree->currentItem();
    if (!item || !m_dsMain || !m_dsMain->isActive())
        return;
    m_dsMain->setFilter(groupNodeFilter(item));
    m_dsMain->setFiltered(true);
}

void TBaseForm::updateGroupBox()
{
    if (!m_groupFields.isEmpty() && m_groupBox->isHidden()) {
        m_groupBox->show();
        const int box = std::max(m_groupBox->minimumSizeHint().height(),
                                 m_groupHeight > 0 ? m_groupHeight : m_splitter1->height() / 3);
        m_splitter1->setSizes({box, std::max(1, m_splitter1->height() - box)});
        BuildGroupTree();
    } else if (m_groupFields.isEmpty() && !m_groupBox->isHidden()) {
        m_groupHeight = m_splitter1->sizes().value(0);
        m_groupTree->clear();
        m_groupBox->hide();
        if (m_dsMain) {
            m_dsMain->setFilter(QString());
            m_dsMain->setFiltered(false);
        }
    }
}

// ---------------------------------------------------------------- filter row

FilterRowQuery::ColumnKind TBaseForm::columnKind(const QString& field) const
{
    const ResultSet* rows = m_dsMain ? m_dsMain->rows() : nullptr;
    const int column = rows ? rows->indexOf(field) : -1;
    if (column < 0)
        return FilterRowQuery::ColumnKind::Text;
    switch (rows->column(column).type) {
    case ResultSet::ColumnType::Integer:
    case ResultSet::ColumnType::Real:
        return FilterRowQuery::ColumnKind::Number;
    case ResultSet::ColumnType::DateTime:
        return FilterRowQuery::ColumnKind::Date;
    default:
        return FilterRowQuery::ColumnKind::Text;
    }
}

void TBaseForm::applyFilterCell(int column, const QString& text)
{
    if (!m_dsMain || column < 0 || column >= m_dsMain->fieldCount())
        return;
    const QString field = m_dsMain->fields()[size_t(column)]->name();
    const FilterRowQuery::Parsed parsed = m_filterQuery.setCell(column, field, columnKind(field), text);
    // The user may still be typing ("05.03", ">", an open quote): no box, the cell says what is
    // wrong, and the condition applies as soon as the text parses.
    showFilterError(column, parsed.error);
    if (parsed.ok())
        requeryFiltered();
}

bool TBaseForm::setFilterText(const QString& field, const QString& text)
{
    const int column = m_dsMain ? m_dsMain->fieldIndex(field) : -1;
    if (column < 0)
        return false;
    m_filterHeader->setFilterText(column, text);
    applyFilterCell(column, text);
    return m_filterHeader->cellError(column).isEmpty();
}

void TBaseForm::clearFilterRow()
{
    if (!m_dsMain)
        return;
    m_filterHeader->clearFilters();
    m_filterQuery.clear();
    for (int column = 0; column < m_dsMain->fieldCount(); ++column)
        m_filterHeader->setCellError(column, QString());
    showFilterError(0, QString());
    requeryFiltered();
}

void TBaseForm::applyFilterValue(int column, const QVariant& value)
{
    if (!m_dsMain || column < 0 || column >= m_dsMain->fieldCount())
        return;
    m_filterQuery.setCellValue(column, m_dsMain->fields()[size_t(column)]->name(), value);
    showFilterError(column, QString());
    requeryFiltered();
}

void TBaseForm::showFilterError(int column, const QString& error)
{
    m_filterHeader->setCellError(column, error);
    const QString first = m_filterHeader->firstError();
    if (first.isEmpty())
        m_statusBar->clearMessage();
    else
        m_statusBar->showMessage(first);
}

void TBaseForm::requeryFiltered()
{
    const QString statement = FilterRowQuery::rebuild(m_dsMain->sql(), m_filterQuery.conditions());
    if (statement == m_dsMain->sql() && m_dsMain->isActive())
        return;
    WaitCursor wait;
    m_dsMain->setSql(statement);
    m_dsMain->open();
}

bool TBaseForm::setColumnFilter(const QString& field, const QString& text)
{
    const int column = m_dsMain ? m_dsMain->fieldIndex(field) : -1;
    if (column < 0)
        return false;
    m_filterHeader->setFilterText(column, text);
    applyFilterCell(column, text);
    return true;
}

QString TBaseForm::columnFilter(const QString& field) const
{
    const int column = m_dsMain ? m_dsMain->fieldIndex(field) : -1;
    return column < 0 ? QString() : m_filterHeader->filterText(column);
}

// Read when the user is about to use the cell, never while moving about the list: a column's values
// are a scan of the whole table.
void TBaseForm::fillFilterValues(int column)
{
    if (!m_dsMain || column < 0 || column >= m_dsMain->fieldCount())
        return;
    const Field& field = *m_dsMain->fields()[size_t(column)];
    QStringList texts;
    QVariantList values;
    try {
        const auto rows = m_dsMain->connection()->select(FilterRowQuery::valueListStatement(field.name(), m_tableName));
        for (int r = 0; r < rows->rowCount(); ++r) {
            texts.append(rows->text(r, 0));
            values.append(rows->value(r, 0));
        }
    } catch (const DatabaseError& error) {
        // A lookup or calculated column the table does not have: say so, and leave the list empty.
        Messages::error(error.message());
    }
    m_filterHeader->setValues(column, texts, values);
}

// ---------------------------------------------------------------- idle time

void TBaseForm::updateOnIdle()
{
    ArrangeButtons();
    const bool showTree = m_complectVisible && !m_gridPanel->isHidden();
    if (showTree && m_treePanel->isHidden()) {
        m_treePanel->show();
        if (m_treeWidth > 0)
            m_treeSplitter->setSizes({m_treeWidth, std::max(1, m_treeSplitter->width() - m_treeWidth)});
    } else if (!showTree && !m_treePanel->isHidden()) {
        m_treeWidth = m_treeSplitter->sizes().value(0);
        m_treePanel->hide();
    }
    updateGroupBox();
    updateActions();
    updateStatusBar();
}

void TBaseForm::updateActions()
{
    for (QAction* a : std::as_const(m_actions)) {
        const Command command = m_commands.value(a);
        a->setEnabled(command.execute && (!command.enabled || command.enabled()));
    }
}

void TBaseForm::updateStatusBar()
{
    const Dataset* ds = navigationDataset();
    if (!ds || !ds->isActive()) {
        m_statusLabel->setText(Text(Str::TableNoData));
        return;
    }
    QString text = QStringLiteral("%1 = %2  %3 = %4")
                       .arg(Text(Str::StatusRowCount))
                       .arg(ds->recordCount())
                       .arg(Text(Str::StatusCurrent))
                       .arg(ds->recNo());
    // A condition typed as a whole value ("ИН-1600") finds only that value: say so where the count is.
    if (ds == m_dsMain && ds->isEmpty() && !m_filterQuery.conditions().isEmpty())
        text += QStringLiteral("  ") + Text(Str::StatusFilterFoundNothing);
    m_statusLabel->setText(text);
}

Dataset* TBaseForm::navigationDataset() const { return m_navigationDataset ? m_navigationDataset.data() : m_dsMain; }

void TBaseForm::addStatusWidget(QWidget* widget)
{
    m_statusBar->addPermanentWidget(widget);
}

void TBaseForm::setNavigationDataset(Dataset* dataset) { m_navigationDataset = dataset; }

QString TBaseForm::statusText() const { return m_statusLabel->text(); }

// ---------------------------------------------------------------- settings

void TBaseForm::saveSettings(FormSettings& settings) const
{
    const QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    StoredGeometry::save(settings.settings(), frame);
    GridSettings::save(settings, QStringLiteral("gridPasport"), *m_grid);
    const int groupHeight = m_groupBox->isHidden() ? m_groupHeight : m_splitter1->sizes().value(0);
    if (groupHeight > 0)
        settings.setValue(QStringLiteral("GroupBox.Height"), groupHeight);
    settings.setValue(QStringLiteral("lbStore1.Caption"), m_lbStore1->text());
    const int treeWidth = m_treePanel->isHidden() ? m_treeWidth : m_treeSplitter->sizes().value(0);
    if (treeWidth > 0)
        settings.setValue(QStringLiteral("TreePanel.Width"), treeWidth);
}

void TBaseForm::loadSettings(const FormSettings& settings)
{
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    StoredGeometry::restore(const_cast<FormSettings&>(settings).settings(), frame);
    GridSettings::restore(settings, QStringLiteral("gridPasport"), *m_grid);
    // Applied when grouping shows the box, like the tree panel's width.
    m_groupHeight = settings.value(QStringLiteral("GroupBox.Height"), 0).toInt();
    m_lbStore1->setText(settings.value(QStringLiteral("lbStore1.Caption"), QStringLiteral("False")).toString());
    // Applied when the panel is shown: a hidden splitter part has no size to set.
    m_treeWidth = settings.value(QStringLiteral("TreePanel.Width"), 0).toInt();
    if (m_lbStore1->text() == QLatin1String("True"))
        setComplectVisible(true);
    // A stored grid font never outlives the next load: the grid follows the window's font.
    m_grid->setFont(QFont());
}

// ---------------------------------------------------------------- window events

void TBaseForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    followMainFont();
    if (!m_shown) {
        m_shown = true;
        attachToSubWindow();
        FormSettings settings(QString::fromLatin1(metaObject()->className()));
        const QString statement = m_dsMain ? m_dsMain->sql() : QString();
        loadSettings(settings);
        if (m_dsMain && !(m_mainJustRead && m_dsMain->isActive() && m_dsMain->sql() == statement))
            RequeryKeepRow();
        // Until the user sets a width himself, the columns follow what the rows in sight hold.
        GridColumns::trackUserWidths(*m_grid);
        if (!GridColumns::userSetWidths(*m_grid))
            GridColumns::fitToContents(*m_grid, GridColumns::fitLimit(*m_grid));
    }
    // Commands must be usable as soon as the window shows: the manager opens a window and swaps
    // it to the form view at once, before the program has been idle.
    updateActions();
    m_buttonsArranged = false;
    ArrangeButtons();
}

void TBaseForm::attachToSubWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setWindowFlags(Qt::SubWindow | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                            Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        connect(sub, &QMdiSubWindow::windowStateChanged, this, &TBaseForm::subWindowStateChanged);
        // Activated before this first showing finished: a window without data still has to go (the
        // others have just been re-queried).
        if (!m_dsMain && sub->mdiArea() && sub->mdiArea()->activeSubWindow() == sub)
            QMetaObject::invokeMethod(this, &TBaseForm::FormActivate, Qt::QueuedConnection);
    }
}

void TBaseForm::subWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState)
{
    const bool was = oldState.testFlag(Qt::WindowActive);
    const bool is = newState.testFlag(Qt::WindowActive);
    if (!was && is)
        FormActivate();
    else if (was && !is)
        deactivated();
}

void TBaseForm::FormActivate()
{
    m_buttonsArranged = false;
    if (!m_dsMain) {
        closeWindow();
        return;
    }
    RequeryKeepRow();
}

void TBaseForm::insertDetached(Dataset& record, const QString& keyField, const std::function<bool()>& fill,
                               const std::function<void(const QVariant& key)>& show)
{
    const auto followListAgain = [this, &record] {
        record.setMaster(m_dsMain);
        record.requery();
    };
    record.checkBrowseMode();
    record.setMaster(nullptr);
    QVariant key;
    try {
        if (fill()) {
            record.post(); // stored at once, even untouched: logs and lists need the row
            key = record.value(keyField);
        }
    } catch (...) {
        if (record.isEditing())
            record.cancel();
        followListAgain();
        throw;
    }
    if (!key.isNull())
        show(key);
    followListAgain();
}

bool TBaseForm::showStoredRow(const QString& keyField, const QVariant& key)
{
    if (!m_dsMain || key.isNull())
        return false;
    RequeryKeepRow();
    if (m_dsMain->locate(keyField, key))
        return true;
    liftListRestrictions();
    if (!m_dsMain->locate(keyField, key))
        return false;
    m_statusBar->showMessage(Text(Str::FilterLiftedForNewRow));
    return true;
}

void TBaseForm::liftListRestrictions()
{
    m_filterHeader->clearFilters();
    m_filterQuery.clear();
    for (int column = 0; column < m_dsMain->fieldCount(); ++column)
        m_filterHeader->setCellError(column, QString());
    showFilterError(0, QString());
    m_groupTree->setCurrentItem(nullptr);
    m_dsMain->setFilter(QString());
    m_dsMain->setFiltered(false);
    setMainQuery(defaultMainQuery());
    listRestrictionsLifted();
}

void TBaseForm::deactivated()
{
    for (Dataset* ds : findChildren<Dataset*>())
        if (ds->isActive() && ds->isEditing())
            ds->post();
}

void TBaseForm::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TBaseForm::closeEvent(QCloseEvent* event)
{
    // A pending edit is stored before the window goes; if it cannot be, the window stays open with
    // the edit, and the error says why.
    if (!InstrelApplication::guarded([this] {
            deactivated();
            setVisiblePage(nullptr);
        })) {
        event->ignore();
        return;
    }
    {
        FormSettings settings(QString::fromLatin1(metaObject()->className()));
        saveSettings(settings);
    }
    if (m_propDialog)
        m_propDialog->close();
    if (m_dsMain)
        m_dsMain->close();
    QWidget::closeEvent(event);
}

void TBaseForm::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    // Only a click on the window's own empty area: labels and panels pass their clicks up too.
    if (!childAt(event->position().toPoint()))
        Messages::information(Text(Str::TableSelectTab));
}

QFont TBaseForm::mainFont() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        if (QMdiArea* area = sub->mdiArea())
            return area->window()->font();
    return QApplication::font();
}

void TBaseForm::followMainFont()
{
    const QFont font = mainFont();
    if (this->font() != font)
        setFont(font);
}

void TBaseForm::paintEvent(QPaintEvent* event)
{
    followMainFont(); // a font chosen in the main window reaches open windows this way
    QWidget::paintEvent(event);
}

bool TBaseForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_grid && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            GoToField(currentFieldName());
            return true;
        }
        if (watched == m_groupTree || watched == m_complectTree) {
            // The key moves the selection first; the filter follows the node it lands on.
            QMetaObject::invokeMethod(this, &TBaseForm::GroupTreeClick, Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}
