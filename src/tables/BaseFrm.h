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
// - Construct the base with the main dataset `dsMain` and its statement: a single SELECT without
//   WHERE, ending in ";". A dataset without a parent becomes the window's child. The base reads
//   TableName and QueryHead from the statement, runs it with the "1=1" anchor line the filter row
//   builds on, and opens it; the first showing loads the settings and re-queries.
// - Put the form view's editors into ScrollBox1()->widget() (and further pages into FormPanel());
//   bind them with a FieldBinder. setPageHandlers() opens and closes a page's datasets when Swap
//   shows or hides the form view on that page.
// - Give commands their handlers with setCommand(name, execute, enabled): an action without one is
//   disabled (Insert2, Same, Twice, Undo, Move have none in the base). setDeleteDataset() binds Delete.
// - hideButton() the buttons not needed; addButton(action, tag) adds one at place `tag` (up to 20).
// - Override GoToField (double click or Enter in the grid), setComplectVisible (kit tree) and, where
//   a window keeps more settings, saveSettings/loadSettings (call the base to keep its list).
//
// Idle-time work (command enabling, button layout, group box, status bar) runs in updateOnIdle(),
// connected to QAbstractEventDispatcher::aboutToBlock as the main window does: it runs once each time
// the event loop is about to wait, which is what "when the application is idle" means, and costs
// nothing while events keep arriving.
class TBaseForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ComplectVisible READ ComplectVisible WRITE setComplectVisible)
public:
    using Handler = std::function<void()>;
    using Condition = std::function<bool()>;
    static constexpr int MaxTag = 20;

    ~TBaseForm() override;

    Dataset* dsMain() const { return m_dsMain; }
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
    QTreeWidget* groupTree() const { return m_groupTree; }
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
    // Re-runs the main query and returns to the same row number (not the same row).
    void RequeryKeepRow();
    // Table view <-> form view.
    void Swap();
    bool isFormView() const;

    // The idle-time step; public so that tests can run it without an event loop.
    void updateOnIdle();

    virtual void saveSettings(FormSettings& settings) const;
    virtual void loadSettings(const FormSettings& settings);

protected:
    TBaseForm(Dataset* dsMain, const QString& mainQuery, QWidget* parent = nullptr);

    void setCommand(const QString& name, Handler execute, Condition enabled = {});
    QAbstractButton* addButton(QAction* action, int tag);
    void hideButton(const QString& buttonName);
    void ArrangeButtons();
    void setPageHandlers(QWidget* page, Handler onShow, Handler onHide);
    void setDeleteDataset(Dataset* dataset) { m_deleteDataset = dataset; }

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
    void gridColumnChanged(int column, int previous);
    void addGroupNodes(const std::vector<GroupNode>& nodes, QTreeWidgetItem* parent);
    // The client filter of a node: its own column first, then its ancestors'.
    QString groupNodeFilter(const QTreeWidgetItem* item) const;
    void hideCurrentColumn();
    void deleteCurrent();
    Dataset* deleteTarget() const;
    void attachToSubWindow();
    void subWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void activated();
    void deactivated();
    void followMainFont();
    QFont mainFont() const;
    void closeWindow();

    Dataset* m_dsMain = nullptr;
    QString m_tableName;
    QString m_queryHead;
    QStringList m_groupFields;
    bool m_complectVisible = false;
    bool m_buttonsArranged = false;
    bool m_shown = false;
    bool m_syncingCurrent = false;
    int m_lastColumn = -1;
    int m_treeWidth = 0;   // kit tree panel width while it is hidden
    int m_groupHeight = 0; // group box height while it is hidden
    QPointer<Dataset> m_deleteDataset;
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
