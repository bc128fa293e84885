#include "devices/rules/KitRules.h"

#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "text/StrList.h"

#include <QHash>
#include <QSet>

namespace KitRules {

namespace {

const QString kLevelHead =
    QStringLiteral("select ID_Complect, Name_DevType, Mark_DevType, ANumber, ZNumber from ComplectView where IRoot = ");

struct Row {
    qint64 id = 0;
    qint64 parent = 0;
};
using Levels = std::vector<std::vector<Row>>;

QString idList(const QList<qint64>& ids)
{
    QStringList texts;
    texts.reserve(ids.size());
    for (qint64 id : ids)
        texts.append(QString::number(id));
    return texts.join(QLatin1Char(','));
}

// Names the rows that lie under themselves: for each row met again, its chain of heads up to itself.
[[noreturn]] void throwCycle(const QHash<qint64, qint64>& parentOf, const QList<qint64>& repeated)
{
    QStringList named;
    QSet<qint64> listed;
    for (qint64 row : repeated) {
        QList<qint64> chain{row};
        QSet<qint64> seen{row};
        qint64 up = parentOf.value(row, -1);
        while (up != row && parentOf.contains(up) && !seen.contains(up)) {
            seen.insert(up);
            chain.append(up);
            up = parentOf.value(up);
        }
        if (up != row)
            continue; // under a cycle, not in it
        for (qint64 id : chain)
            if (!listed.contains(id)) {
                listed.insert(id);
                named.append(QStringLiteral("ID_Complect = %1 (IRoot = %2)").arg(id).arg(parentOf.value(id)));
            }
    }
    if (named.isEmpty())
        for (qint64 id : repeated)
            named.append(QStringLiteral("ID_Complect = %1 (IRoot = %2)").arg(id).arg(parentOf.value(id)));
    throw KitCycleError(FormatText(Str::KitCycle, named.join(QStringLiteral("; "))));
}

// The rows under `from`, level by level, one statement per level. An id met twice is a cycle.
Levels walkDown(SqlConnection& connection, const QList<qint64>& from, QHash<qint64, qint64> parentOf = {})
{
    Levels levels;
    QSet<qint64> seen(from.begin(), from.end());
    QList<qint64> parents = from;
    while (!parents.isEmpty()) {
        const auto rows = connection.select(childrenStatement(parents));
        std::vector<Row> level;
        QList<qint64> repeated;
        parents.clear();
        for (int r = 0; r < rows->rowCount(); ++r) {
            const Row row{rows->value(r, 0).toLongLong(), rows->value(r, 1).toLongLong()};
            if (seen.contains(row.id))
                repeated.append(row.id);
            parentOf.insert(row.id, row.parent);
            seen.insert(row.id);
            parents.append(row.id);
            level.push_back(row);
        }
        if (!repeated.isEmpty())
            throwCycle(parentOf, repeated);
        if (!level.empty())
            levels.push_back(std::move(level));
    }
    return levels;
}

QString textOf(const ResultSet& rows, int r, int first)
{
    return nodeText(rows.text(r, first), rows.text(r, first + 1), rows.text(r, first + 2), rows.text(r, first + 3));
}

void addChildren(std::vector<KitNode>& into, qint64 parent, size_t level, const Levels& levels,
                 const std::vector<QHash<qint64, QList<qint64>>>& childrenOf, const QHash<qint64, QString>& texts)
{
    if (level >= levels.size())
        return;
    for (qint64 id : childrenOf[level].value(parent)) {
        KitNode node{id, texts.value(id), {}};
        addChildren(node.children, id, level + 1, levels, childrenOf, texts);
        into.push_back(std::move(node));
    }
}

int rowCount(SqlConnection& connection)
{
    return connection.scalar(QStringLiteral("select count(*) from Complect;")).toInt();
}

void fillPerParent(SqlConnection& connection, std::vector<KitNode>& into, qint64 parent, int level, int depth)
{
    const auto rows = level == 0 ? connection.select(levelStatement(0))
                                 : connection.select(levelStatement(level), {{QStringLiteral("ID_Complect"), parent}});
    for (int r = 0; r < rows->rowCount(); ++r) {
        KitNode node{rows->value(r, 0).toLongLong(), textOf(*rows, r, 1), {}};
        if (level + 1 < depth)
            fillPerParent(connection, node.children, node.id, level + 1, depth);
        into.push_back(std::move(node));
    }
}

} // namespace

QString depthStatement(int level)
{
    QString text = QStringLiteral("select ID_Complect from Complect where IRoot = 0");
    for (int k = 0; k < level; ++k)
        text = QStringLiteral("select ID_Complect from Complect where IRoot in (%1)").arg(text);
    return text;
}

QString levelStatement(int level) { return kLevelHead + (level == 0 ? QStringLiteral("0;") : QStringLiteral(":ID_Complect;")); }

QString levelQueryName(int level) { return QStringLiteral("qry%1").arg(level); }

QString childrenStatement(const QList<qint64>& parents)
{
    return QStringLiteral("select ID_Complect, IRoot from Complect where IRoot in (%1);").arg(idList(parents));
}

QString textsStatement()
{
    return QStringLiteral("select ID_Complect, Name_DevType, Mark_DevType, ANumber, ZNumber from ComplectView;");
}

QString nodeText(const QString& name, const QString& mark, const QString& aNumber, const QString& zNumber)
{
    return QStringLiteral("%1 (%2), %3%4, %5%6")
        .arg(name, mark, Text(Str::KitAcodePrefix), aNumber, Text(Str::KitManufPrefix), zNumber);
}

std::vector<KitNode> load(SqlConnection& connection)
{
    const Levels levels = walkDown(connection, {0});
    if (levels.empty())
        return {};
    std::vector<QHash<qint64, QList<qint64>>> childrenOf(levels.size());
    for (size_t k = 0; k < levels.size(); ++k)
        for (const Row& row : levels[k])
            childrenOf[k][row.parent].append(row.id);
    QHash<qint64, QString> texts;
    const auto rows = connection.select(textsStatement());
    texts.reserve(rows->rowCount());
    for (int r = 0; r < rows->rowCount(); ++r)
        texts.insert(rows->value(r, 0).toLongLong(), textOf(*rows, r, 1));
    std::vector<KitNode> forest;
    addChildren(forest, 0, 0, levels, childrenOf, texts);
    return forest;
}

int depth(SqlConnection& connection)
{
    const int bound = rowCount(connection);
    int count = 0;
    while (connection.select(depthStatement(count) + QLatin1Char(';'))->rowCount() > 0) {
        if (++count > bound) {
            walkDown(connection, {0}); // names the rows of the cycle
            throw KitCycleError(FormatText(Str::KitCycle, QStringLiteral("?")));
        }
    }
    return count;
}

std::vector<KitNode> loadPerParent(SqlConnection& connection)
{
    const int levels = depth(connection);
    std::vector<KitNode> forest;
    if (levels > 0)
        fillPerParent(connection, forest, 0, 0, levels);
    return forest;
}

QString rowStatement(qint64 id)
{
    return QStringLiteral("select IRoot, IDevice, ID_Complect from Complect where ID_Complect = %1;").arg(id);
}

QString membersStatement(qint64 id)
{
    return QStringLiteral("select IRoot, IDevice, ID_Complect from Complect where IRoot = %1;").arg(id);
}

QString insertStatement(qint64 parent, qint64 device)
{
    return QStringLiteral("insert into Complect (IRoot,IDevice) values (%1,%2);").arg(parent).arg(device);
}

AddRefusal checkAdd(SqlConnection& connection, qint64 node, qint64 device)
{
    if (node > 0) {
        auto row = connection.select(rowStatement(node));
        if (row->rowCount() != 1)
            return AddRefusal::BrokenChain; // the node is gone: nothing to add under
        if (row->value(0, 1).toLongLong() == device)
            return AddRefusal::IntoItself;
        QHash<qint64, qint64> parentOf{{node, row->value(0, 0).toLongLong()}};
        qint64 up = row->value(0, 0).toLongLong();
        while (up > 0) {
            if (parentOf.contains(up)) {
                parentOf.insert(up, parentOf.value(up));
                throwCycle(parentOf, {up});
            }
            row = connection.select(rowStatement(up));
            if (row->rowCount() != 1)
                return AddRefusal::BrokenChain;
            if (row->value(0, 1).toLongLong() == device)
                return AddRefusal::IntoItself;
            parentOf.insert(up, row->value(0, 0).toLongLong());
            up = row->value(0, 0).toLongLong();
        }
    }
    const auto members = connection.select(membersStatement(node));
    for (int r = 0; r < members->rowCount(); ++r)
        if (members->value(r, 1).toLongLong() == device)
            return AddRefusal::AlreadyInKit;
    return AddRefusal::None;
}

QList<qint64> deletionOrder(SqlConnection& connection, qint64 node)
{
    QHash<qint64, qint64> parentOf;
    if (node > 0) {
        const auto row = connection.select(rowStatement(node));
        if (row->rowCount() == 1)
            parentOf.insert(node, row->value(0, 0).toLongLong());
    }
    const Levels levels = walkDown(connection, {node}, parentOf);
    QList<qint64> order;
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        for (const Row& row : *level)
            order.append(row.id);
    if (node > 0)
        order.append(node);
    return order;
}

bool hasMembers(SqlConnection& connection, qint64 node)
{
    return connection.select(membersStatement(node))->rowCount() > 0;
}

QString deleteStatement() { return QStringLiteral("delete from Complect where ID_Complect = :ID_Complect;"); }

int deleteKit(SqlConnection& connection, qint64 node)
{
    const QList<qint64> order = deletionOrder(connection, node);
    if (order.isEmpty())
        return 0;
    Transaction transaction(connection);
    SqlCommand remove(connection, deleteStatement());
    int deleted = 0;
    for (qint64 id : order)
        deleted += remove.run({id});
    transaction.commit();
    return deleted;
}

QString kitMembers(qint64 node) { return QStringLiteral("select IDevice from Complect where IRoot = %1").arg(node); }

QString kitViewStatement(const QString& members)
{
    return QStringLiteral("select * from Pasport where ID_Device in (%1) and\r1=1;").arg(members);
}

QString kitViewFor(SqlConnection& connection, qint64 node, qint64 parent)
{
    QString members = kitMembers(node);
    if (node != 0 && connection.select(members + QLatin1Char(';'))->rowCount() == 0)
        members = kitMembers(parent);
    return kitViewStatement(members);
}

} // namespace KitRules
