#pragma once

#include "data/Dataset.h"
#include "tables/FilterRowQuery.h"
#include "tables/GroupTreeBuilder.h"
#include "tables/SortMarkers.h"
#include "tables/TablePropFrm.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class FilterHeader;
class FindDialog;
class TInputDateForm;
class FormSettings;
class GroupTitleModel;
class QAbstractButton;
class QAbstractItemView;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

// The generic table window: one query of the database shown as a grid (the table view) or as pages of
// editors (the form view), a column of command buttons on the right, a status bar at the foot and a
// context menu on the grid. It lives in a QMdiSubWindow; every main data window derives from it.
//
// Contract for derived windows
// - Main dataset. Either let the base create it (the constructor with the statement alone; it is
//   named "dsMain", rename it after the base constructor if the window calls it otherwise), or pass
//   one in (a parentless dataset becomes the window's child). The statement is a single SELECT
//   without WHERE, ending in ";". The base reads TableName and QueryHead from it, runs it with the
//   "1=1" anchor line the filter row builds on, and opens it in its constructor: add fields and
//   event handlers to dsMain() after the base constructor. The first showing loads the settings
//   and re-queries.
// - setMainQuery() replaces the statement later (a kit, a saved view): the text ends on the "1=1"
//   anchor line; the filter-row conditions stay applied and their cells keep showing them.
//   resetMainQuery() goes back to the statement the window was built with.
// - Form view: put the editors into ScrollBox1()->widget(), further pages into FormPanel(); bind
//   them with a FieldBinder. setPageHandlers(page, onShow, onHide): onShow runs when the page
//   becomes the one the user sees (Swap to the form view on that page, or the user choosing its tab
//   while the form view shows), onHide when it stops being that (another tab, Swap back, closing the
//   window). The calls alternate: never two onShow without an onHide between them. When an onHide
//   fails (a pending edit that cannot be stored), the page stays: the tab goes back and Swap keeps
//   the form view. ReopenPage() runs onHide and onShow of the page shown (activation uses it).
//   Datasets of pages should be children of the window: deactivation and closing store their edits.
// - Commands: setCommand(name, execute, enabled), their enabling checked when the window shows and
//   at every idle step; an action without a handler is disabled (Insert2, Same, Twice, Undo, Move
//   have none in the base). addCommand() adds a named command of the window's own (a page's Insert,
//   a print button). setDeleteDataset() binds Delete to a dataset.
// - Buttons: hideButton()/showButton()/setButtonVisible() by objectName, addButton(action, tag) at
//   place `tag` (up to 20), bindButton() lets a base button serve another action. Each of them lays
//   the box out anew on the next idle step.
// - setNavigationDataset(): First, Prior, Next, Last and the status bar follow another dataset (a
//   page's list); nullptr gives them back to dsMain. addStatusWidget() keeps a window's own widget
//   (a legend) at the right end of the status bar.
// - FormActivate() runs each time the window becomes the active child window: the base re-queries
//   dsMain keeping the row number and lays the buttons out again. An override calls the base first.
// - Find (the window's and the main window's) searches the grid that has the focus, a page's grid
//   included; focusedGrid() tells which one that is.
// - Print prints the main grid; the main window's Preview prints the focused grid instead, unless
//   the window sets the dynamic property "PreviewRunsPrint" (true): then Preview runs Print.
// - setColumnFilter() narrows the main view through its filter row, for windows opened on a subset.
// - Override GoToField (double click or Enter in the grid), setComplectVisible (kit tree, filled
//   through complectTree(); call the base, which keeps the flag and its stored text) and, where
//   a window keeps more settings, saveSettings/loadSettings (call the base to keep its list).
//
// Idle-time work (command enabling, button layout, group box, status bar) runs in updateOnIdle(),
// connected through InstrelApplication::connectIdle as the main window's is: it runs once each time
// the event loop is about to wait, which is what "when the application is idle" means, costs nothing
// while events keep arriving, and a database error there reaches the error box like one raised by
// an event instead of ending the program.
class TBaseForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ComplectVisible READ ComplectVisible WRITE setComplectVisible)
public:
    using Handler = std::function<void()>;
    using Condition = std::function<bool()>;
    static constexpr int MaxTag = 20;

    ~TBaseForm() override;

    Dataset* dsMain() const { return m_dsMain; }
    // The dataset the navigation commands and the status bar follow: dsMain unless a page chose another.
    Dataset* navigationDataset() const;
    const QString& TableName() const { return m_tableName; }
    const QString& QueryHead() const { return m_queryHead; }

    const QStringList& GroupFields() const { return m_groupFields; }
    // Replaces the grouping columns and rebuilds the tree (the table properties dialog uses it).
    void setGroupFields(const QStringList& fields);
    // Replaces the sort markers and sorts by them.
    void setSortMarkers(const SortMarkers& markers);
    // Shows or hides a grid column (by field index) and its field.
    void setColumnVisible(int column, bool visible);
    // The window's table properties dialog, created on first use.
    TTablePropForm* OpenPropForm();
    TTablePropForm* propDialog() const { return m_propDialog; }

    QAction* action(const QString& name) const;
    QTableView* grid() const { return m_grid; }
    FilterHeader* filterHeader() const { return m_filterHeader; }
    // Narrows the list as if the user had typed `text` into the filter cell of `field` (empty clears
    // it): the cell shows the text, grouping, printing and export work on the result. False, with the
    // cell marked, when the window has no such column or the text is not a condition.
    bool setFilterText(const QString& field, const QString& text);
    // Empties every filter cell and lists all rows again.
    void clearFilterRow();
    QTreeWidget* groupTree() const { return m_groupTree; }
    // The kit tree of the panel on the left (the panel shows while ComplectVisible is set and the
    // table view shows). Its parent is the box GroupBox2, laid out top to bottom, where a window that
    // uses the panel puts its tools over the tree.
    QTreeWidget* complectTree() const { return m_complectTree; }
    QString statusText() const;
    const SortMarkers& sortMarkers() const { return m_sortMarkers; }
    // Field name of the grid's current column; empty when there is none.
    QString currentFieldName() const;

    bool ComplectVisible() const { return m_complectVisible; }
    virtual void setComplectVisible(bool visible);
    // Rebuilds GroupTree from GroupFields (the statements are GroupTreeBuilder's).
    virtual void BuildGroupTree();
    // The user asked for the field of the grid's current column (double click or Enter). Empty here.
    virtual void GoToField(const QString& fieldName);

    // Filters dsMain to the selected node of GroupTree.
    void GroupTreeClick();
    // Re-runs the main query and returns to the same row number (not the same row); on a server, to
    // the same row by its key (RowIdentity) while it is still listed.
    void RequeryKeepRow();
    // Replaces the main statement (ending on the "1=1" anchor line) and re-opens it with the
    // filter-row conditions applied; resetMainQuery() restores the window's own statement.
    void setMainQuery(const QString& statement);
    void resetMainQuery();
    // The window's own statement with its anchor line: QueryHead, "WHERE", "1=1;".
    QString defaultMainQuery() const;
    // Puts `text` into the filter-row cell of `field` and applies it, as if the user had typed it (a
    // window opened from another one on "its" rows). False when the main view has no such column.
    bool setColumnFilter(const QString& field, const QString& text);
    // The text in the filter-row cell of `field`; empty when there is none.
    QString columnFilter(const QString& field) const;
    // The grid of this window that has the keyboard focus (a page's grid too); the main grid when
    // the focus is on no grid of the window.
    QAbstractItemView* focusedGrid() const;
    // Table view <-> form view.
    void Swap();
    bool isFormView() const;

    // The idle-time step; public so that tests can run it without an event loop.
    void updateOnIdle();
    // The window became the active child window. The base re-queries dsMain keeping the row number
    // (a window without data closes) and lays the buttons out again; overrides call it first.
    virtual void FormActivate();
    // The form-view page whose datasets are open (its onShow ran last), nullptr in the table view.
    QWidget* visiblePage() const { return m_visiblePage; }

    virtual void saveSettings(FormSettings& settings) const;
    virtual void loadSettings(const FormSettings& settings);

protected:
    TBaseForm(Dataset* dsMain, const QString& mainQuery, QWidget* parent = nullptr);
    // Creates dsMain itself (named "dsMain").
    explicit TBaseForm(const QString& mainQuery, QWidget* parent = nullptr);

    void setCommand(const QString& name, Handler execute, Condition enabled = {});
    // A command of the window's own, named `name` (its objectName and the name bindButton and
    // setCommand take), enabled on idle like the base ones; without `execute` it stays disabled.
    QAction* addCommand(const QString& name, const QString& caption, const QString& hint, Handler execute = {},
                        Condition enabled = {});
    QAbstractButton* addButton(QAction* action, int tag);
    void hideButton(const QString& buttonName);
    void showButton(const QString& buttonName);
    void setButtonVisible(const QString& buttonName, bool visible);
    // The button `buttonName` triggers the action `actionName` from now on (its caption follows).
    void bindButton(const QString& buttonName, const QString& actionName);
    QAbstractButton* button(const QString& buttonName) const;
    void setNavigationDataset(Dataset* dataset);
    // A widget kept at the right end of the status bar (a legend, an indicator); the window owns it.
    void addStatusWidget(QWidget* widget);
    void ArrangeButtons();
    void setPageHandlers(QWidget* page, Handler onShow, Handler onHide);
    void ReopenPage();
    void setDeleteDataset(Dataset* dataset) { m_deleteDataset = dataset; }
    // Makes a new row of `record` (a dataset that follows dsMain) and stores it at once. The record
    // leaves the list meanwhile, so that the list moving under it does not take it away. `fill`
    // inserts and fills the row (false: nothing to store); `show` brings the list to the stored row's
    // `keyField` value. The record follows the list again afterwards, also when anything fails.
    void insertDetached(Dataset& record, const QString& keyField, const std::function<bool()>& fill,
                        const std::function<void(const QVariant& key)>& show);
    // Re-reads the list and makes the row whose `keyField` is `key` (one just stored) current. When the
    // list's restrictions leave it out (the filter row, a node of the grouping tree, a narrower
    // statement such as a kit's), they are lifted and the status bar says so: the form must never
    // show another row as if it were the new one. False only when the row is not there at all.
    bool showStoredRow(const QString& keyField, const QVariant& key);
    // Runs after showStoredRow lifted the restrictions: a window shows its own selectors as they now apply.
    virtual void listRestrictionsLifted() {}
    // The column of dsMain that tells its rows apart: on a server RequeryKeepRow returns to it, and
    // the list is ordered by it unless the user sorts it otherwise.
    void setRowIdentityField(const QString& field);

    QScrollArea* ScrollBox1() const { return m_scrollBox; }
    QTabWidget* FormPanel() const { return m_formPanel; }
    QWidget* GridPanel() const { return m_gridPanel; }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Command {
        Handler execute;
        Condition enabled;
    };
    struct PageHandlers {
        Handler onShow;
        Handler onHide;
    };

    void buildLayout();
    QWidget* buildGridPanel();
    QWidget* buildFormPanel();
    QWidget* buildTreePanel();
    void buildButtonBox();
    void createActions();
    QAction* newAction(const QString& name);
    void createBaseButtons();
    void createBaseCommands();
    void buildPopupMenu();
    void bindMainDataset(const QString& mainQuery);
    void syncColumnVisibility();
    void syncGridCurrent();
    void gridCurrentChanged(const QModelIndex& current);
    void updateActions();
    void updateStatusBar();
    void updateGroupBox();
    void groupColumn(bool group);
    void setSortMarker(SortMarkers::Marker marker);
    void titleClicked(int section);
    void applySort();
    void openFind();
    void customDateFilter();
    FilterRowQuery::ColumnKind columnKind(const QString& field) const;
    void applyFilterCell(int column, const QString& text);
    void applyFilterValue(int column, const QVariant& value);
    // Marks the cell (an empty error clears it) and shows the first marked cell's error in the status bar.
    void showFilterError(int column, const QString& error);
    // Re-runs dsMain with the filter row's conditions at its anchor line.
    void requeryFiltered();
    // Every row of the window's own statement: no filter-row condition, no grouping node.
    void liftListRestrictions();
    void fillFilterValues(int column);
    void addGroupNodes(const std::vector<GroupNode>& nodes, QTreeWidgetItem* parent);
    // The client filter of a node: its own column first, then its ancestors'.
    QString groupNodeFilter(const QTreeWidgetItem* item) const;
    void hideCurrentColumn();
    void deleteCurrent();
    Dataset* deleteTarget() const;
    void attachToSubWindow();
    void subWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void deactivated();
    // Makes `page` the page whose datasets are open (nullptr: none), running the handlers in turn.
    void setVisiblePage(QWidget* page);
    void formPageChanged(int index);
    void followMainFont();
    QFont mainFont() const;
    void closeWindow();

    Dataset* m_dsMain = nullptr;
    QString m_tableName;
    QString m_queryHead;
    QStringList m_groupFields;
    bool m_complectVisible = false;
    bool m_buttonsArranged = false;
    bool m_mainJustRead = false;
    bool m_shown = false;
    bool m_syncingCurrent = false;
    int m_lastColumn = -1;
    int m_treeWidth = 0;   // kit tree panel width while it is hidden
    int m_groupHeight = 0; // group box height while it is hidden
    QPointer<Dataset> m_deleteDataset;
    QString m_rowIdentityField;
    QPointer<Dataset> m_navigationDataset;
    QPointer<QWidget> m_visiblePage;
    bool m_revertingPage = false;
    QPointer<TTablePropForm> m_propDialog;

    QHash<QString, QAction*> m_actions;
    QHash<QAction*, Command> m_commands;
    QHash<QWidget*, PageHandlers> m_pageHandlers;

    QSplitter* m_treeSplitter = nullptr;
    QWidget* m_treePanel = nullptr;
    QTreeWidget* m_complectTree = nullptr;
    QWidget* m_gridPanel = nullptr;
    QSplitter* m_splitter1 = nullptr;
    QGroupBox* m_groupBox = nullptr;
    QTreeWidget* m_groupTree = nullptr;
    QTableView* m_grid = nullptr;
    GroupTitleModel* m_model = nullptr;
    FilterHeader* m_filterHeader = nullptr;
    FilterRowQuery m_filterQuery;
    SortMarkers m_sortMarkers;
    TInputDateForm* m_dateDialog = nullptr;
    QTabWidget* m_formPanel = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    QScrollArea* m_buttonBox = nullptr;
    QWidget* m_buttonHost = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_lbStore1 = nullptr;
    QMenu* m_popupMenu = nullptr;
};
