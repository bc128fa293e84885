#include "devices/KitPanel.h"

#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/SqlConnection.h"
#include "data/WaitCursor.h"
#include "devices/rules/KitRules.h"
#include "tables/BaseFrm.h"
#include "text/StrList.h"

#include <QAction>
#include <QBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

KitPanel::KitPanel(TBaseForm& form, QTreeWidget& tree) : QObject(&form), m_form(form), m_tree(tree)
{
    setObjectName(QStringLiteral("KitPanel"));
    m_tree.setSelectionMode(QAbstractItemView::SingleSelection);
    // A node's text is read whole (type, model and both numbers): the tree scrolls sideways instead
    // of cutting it short.
    m_tree.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree.header()->setStretchLastSection(false);
    if (auto* box = qobject_cast<QGroupBox*>(m_tree.parentWidget()))
        box->setTitle(Text(Str::KitList));
}

void KitPanel::addTools(QAction* showKit, QAction* addComplect, QAction* delComplect)
{
    auto* strip = new QToolBar(m_tree.parentWidget());
    strip->setObjectName(QStringLiteral("KitTools"));
    strip->setToolButtonStyle(Qt::ToolButtonTextOnly);
    strip->setMovable(false);
    strip->setFloatable(false);
    strip->addAction(showKit);
    strip->addAction(addComplect);
    strip->addAction(delComplect);
    auto* gap = new QWidget(strip);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    strip->addWidget(gap);
    m_close = new QToolButton(strip);
    m_close->setObjectName(QStringLiteral("btnCloseKits"));
    m_close->setText(QStringLiteral("x"));
    m_close->setToolTip(Text(Str::KitHintClose));
    m_close->setAutoRaise(true);
    connect(m_close, &QToolButton::clicked, this, [this] { m_form.setComplectVisible(false); });
    strip->addWidget(m_close);
    if (auto* layout = qobject_cast<QBoxLayout*>(m_tree.parentWidget()->layout()))
        layout->insertWidget(0, strip);
}

// ---------------------------------------------------------------- the tree

QList<QTreeWidgetItem*> KitPanel::items(const std::vector<KitNode>& nodes)
{
    QList<QTreeWidgetItem*> list;
    list.reserve(qsizetype(nodes.size()));
    for (const KitNode& node : nodes) {
        auto* item = new QTreeWidgetItem(QStringList(node.text));
        item->setData(0, Qt::UserRole, node.id);
        item->addChildren(items(node.children));
        list.append(item);
    }
    return list;
}

void KitPanel::BuildKitTree()
{
    m_tree.clear();
    if (!m_form.ComplectVisible()) {
        m_form.resetMainQuery();
        return;
    }
    WaitCursor wait;
    auto* all = new QTreeWidgetItem(&m_tree, QStringList(Text(Str::KitAllDevices)));
    all->setData(0, Qt::UserRole, AllDevices);
    auto* kits = new QTreeWidgetItem(&m_tree, QStringList(Text(Str::KitRoot)));
    kits->setData(0, Qt::UserRole, Kits);
    std::vector<KitNode> forest;
    try {
        forest = KitRules::load(connection());
    } catch (const KitCycleError& error) {
        // A damaged file: the roots stay, so that the panel can still be closed and all devices listed.
        Messages::error(error.message());
        return;
    }
    // The items are made off the tree and attached at once: one insertion for the whole forest.
    m_tree.setUpdatesEnabled(false);
    kits->addChildren(items(forest));
    kits->setExpanded(true);
    m_tree.setUpdatesEnabled(true);
}

qint64 KitPanel::value(const QTreeWidgetItem* item) { return item->data(0, Qt::UserRole).toLongLong(); }

qint64 KitPanel::parentValue(const QTreeWidgetItem* item)
{
    return item->parent() ? value(item->parent()) : Kits;
}

QTreeWidgetItem* KitPanel::selectedNode() const
{
    QTreeWidgetItem* item = m_tree.currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void KitPanel::selectValue(qint64 wanted)
{
    for (QTreeWidgetItemIterator it(&m_tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        if (value(item) != wanted)
            continue;
        for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        m_tree.setCurrentItem(item);
        item->setExpanded(true);
        m_tree.scrollToItem(item);
    }
}

// ---------------------------------------------------------------- commands

SqlConnection& KitPanel::connection() const { return *m_form.dsMain()->connection(); }

bool KitPanel::hasNode() const { return selectedNode() != nullptr; }

bool KitPanel::hasKitNode() const
{
    const QTreeWidgetItem* item = selectedNode();
    return item && value(item) >= Kits;
}

bool KitPanel::canAdd() const
{
    const Dataset* list = m_form.dsMain();
    return hasKitNode() && list->isActive() && !list->isEmpty();
}

void KitPanel::ShowKit()
{
    const QTreeWidgetItem* item = selectedNode();
    if (!item)
        return;
    const qint64 node = value(item);
    if (node < Kits)
        m_form.resetMainQuery();
    else
        m_form.setMainQuery(KitRules::kitViewFor(connection(), node, parentValue(item)));
}

void KitPanel::AddComplect()
{
    if (!canAdd())
        return;
    const qint64 node = value(selectedNode());
    const qint64 device = m_form.dsMain()->value(QStringLiteral("ID_Device")).toLongLong();
    switch (KitRules::checkAdd(connection(), node, device)) {
    case KitRules::AddRefusal::IntoItself:
        Messages::error(Text(Str::KitIntoItself));
        return;
    case KitRules::AddRefusal::AlreadyInKit:
        Messages::error(Text(Str::KitAlreadyInKit));
        return;
    case KitRules::AddRefusal::BrokenChain:
        return; // a head row is missing: there is no kit to add to
    case KitRules::AddRefusal::None:
        break;
    }
    connection().execute(KitRules::insertStatement(node, device));
    BuildKitTree();
    selectValue(node);
}

void KitPanel::DelComplect()
{
    const QTreeWidgetItem* item = selectedNode();
    if (!item || value(item) < Kits)
        return;
    const qint64 node = value(item);
    const qint64 parent = parentValue(item);
    if (node == Kits) {
        if (!Messages::confirm(Text(Str::KitDeleteAllConfirm)))
            return;
    } else if (KitRules::hasMembers(connection(), node) && !Messages::confirm(Text(Str::KitDeleteKitConfirm))) {
        return;
    }
    {
        WaitCursor wait;
        KitRules::deleteKit(connection(), node);
    }
    BuildKitTree();
    selectValue(parent);
}
