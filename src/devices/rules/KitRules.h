#pragma once

#include "data/DatabaseError.h"

#include <QList>
#include <QString>
#include <vector>

class SqlConnection;

// One entry of the kit forest as the kit panel shows it: the Complect row's id and its text.
struct KitNode {
    qint64 id = 0;
    QString text;
    std::vector<KitNode> children;

    bool operator==(const KitNode& other) const = default;
};

// A Complect row that lies under itself: only a damaged file has one (a row with id 0 and IRoot 0 is
// its own member). Every walk over the kits stops with this error instead of running forever.
class KitCycleError : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// The kits without widgets: the statements, the forest, the checks before an add, the order of a
// deletion and the statement that narrows the device list to a kit.
namespace KitRules {

// The depth count's text for `level` (without ";"): level 0 lists the heads, every further level the
// rows under the previous one, as a nested sub-statement.
QString depthStatement(int level);
// The per-parent level statements: level 0 the heads, the others the members of :ID_Complect.
QString levelStatement(int level);
// "qry0", "qry1", ...
QString levelQueryName(int level);
// One level of the forest at once: the rows under every id of `parents`.
QString childrenStatement(const QList<qint64>& parents);
// The texts of every entry, read once.
QString textsStatement();
// "Name (Model), Acode.12, Manuf.3456" with the language's prefixes.
QString nodeText(const QString& name, const QString& mark, const QString& aNumber, const QString& zNumber);

// The forest with one statement per level (rows split by parent in memory) and one read of the texts.
std::vector<KitNode> load(SqlConnection& connection);
// The same tree as the per-parent level statements give it (depth counted with the nested texts,
// each level re-run for every parent). Slow on a big plant; kept as the reference load() must match.
std::vector<KitNode> loadPerParent(SqlConnection& connection);
// The number of non-empty levels, counted with depthStatement(); a count beyond the number of kit
// rows is a cycle.
int depth(SqlConnection& connection);

// Why a device cannot go under a node.
enum class AddRefusal { None, IntoItself, AlreadyInKit, BrokenChain };
QString rowStatement(qint64 id);
QString membersStatement(qint64 id);
QString insertStatement(qint64 parent, qint64 device);
// The checks before `device` goes under node `node` (0: a new top-level kit), in their order.
AddRefusal checkAdd(SqlConnection& connection, qint64 node, qint64 device);

// The rows a deletion of `node` removes, members before their head and `node` (when it is a row) last;
// node 0 stands for every kit.
QList<qint64> deletionOrder(SqlConnection& connection, qint64 node);
bool hasMembers(SqlConnection& connection, qint64 node);
QString deleteStatement();
// Deletes `node` with everything under it, all or nothing; returns the number of rows deleted.
int deleteKit(SqlConnection& connection, qint64 node);

// "select IDevice from Complect where IRoot = 7"
QString kitMembers(qint64 node);
// The device list narrowed to `members`, ending on the "1=1" line the filter row builds on.
QString kitViewStatement(const QString& members);
// The list a node shows: its members, or, when it has none, those of the kit it belongs to (`parent`).
QString kitViewFor(SqlConnection& connection, qint64 node, qint64 parent);

} // namespace KitRules
