#pragma once

#include <QObject>
#include <vector>

class QAction;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class SqlConnection;
class TBaseForm;
struct KitNode;

// The kit panel of the device window: a tool strip over the window's kit tree, the tree itself and
// the three commands on it. "!" narrows the device list to the selected kit, "<" puts the list's
// current device under the selected node, "x" deletes the node with everything under it. The
// statements, the checks and the order of a deletion are KitRules'; this class binds them to the
// tree and to the window's device list. Selecting a node acts on nothing by itself.
class KitPanel : public QObject {
    Q_OBJECT
public:
    // The values of the two fixed roots; every other node carries the id of its Complect row.
    static constexpr qint64 AllDevices = -1;
    static constexpr qint64 Kits = 0;

    KitPanel(TBaseForm& form, QTreeWidget& tree);

    // Puts the window's three commands and the panel's close button on the strip over the tree.
    void addTools(QAction* showKit, QAction* addComplect, QAction* delComplect);

    // Empties the tree; while the panel is wanted, fills it again (the two roots and every kit),
    // otherwise lists all devices again.
    void BuildKitTree();
    void ShowKit();
    void AddComplect();
    void DelComplect();

    // Enabling: "!" wants a selected node; "x" a node of the kits (not "All devices"); "<" that and a
    // current device in the list.
    bool hasNode() const;
    bool hasKitNode() const;
    bool canAdd() const;

    // Selects every node of value `value` in tree order (the last stays selected), each expanded one
    // level and brought into view.
    void selectValue(qint64 value);
    static qint64 value(const QTreeWidgetItem* item);

private:
    SqlConnection& connection() const;
    QTreeWidgetItem* selectedNode() const;
    static qint64 parentValue(const QTreeWidgetItem* item);
    static QList<QTreeWidgetItem*> items(const std::vector<KitNode>& nodes);

    TBaseForm& m_form;
    QTreeWidget& m_tree;
    QToolButton* m_close = nullptr;
};
