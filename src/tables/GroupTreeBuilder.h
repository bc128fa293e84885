#pragma once

#include "data/ResultSet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class SqlConnection;

// One node of the grouping tree: a distinct value of one grouping column under its parent's values,
// with the number of rows that have it.
struct GroupNode {
    enum class Kind { Value, Null, Empty };
    QVariant value;
    Kind kind = Kind::Value;
    qint64 count = 0;
    int fieldIndex = 0; // index of the node's column in the grouping columns
    std::vector<GroupNode> children;

    bool operator==(const GroupNode& other) const = default;
};

// The grouping tree of a table window without widgets: the level statements, the nodes they give,
// node texts and the client filter a node stands for.
//
// Level i groups by the first i + 1 columns. Its statement selects G0..Gi and the row count from the
// table, for i > 0 restricted to the parent's values through :Gj parameters taken from level i - 1's
// current row. The restriction treats two nulls as equal, so the children of every node, a "<null>"
// node included, add up to its count. load() gives the same tree with one statement
// per level: the rows of all parents at once (the level statement without its where clause), split by
// parent in memory, so that a tree over 100,000 devices costs as many statements as it has levels
// instead of one per parent node.
class GroupTreeBuilder {
public:
    GroupTreeBuilder(const QStringList& fields, const QString& table);

    int levelCount() const { return int(m_fields.size()); }
    // The level statement with its parameters, exactly as the window builds it.
    QString levelStatement(int level) const;
    // The same without the where clause: every parent's rows in one result.
    QString allParentsStatement(int level) const;

    // The tree, one statement per level. When the database rejects a level's statement the error
    // propagates and `failedLevel` (when given) tells which level, that is which column, it was.
    std::vector<GroupNode> load(SqlConnection& connection, int* failedLevel = nullptr) const;
    // The tree as the level statements give it: level datasets in a master-detail chain, each level
    // re-run for every row of its master. Slow on big tables; kept as the reference load() must match.
    std::vector<GroupNode> loadPerParent(SqlConnection& connection) const;

    // "<value> (amount=<count>)", "<null>" / "<empty>" standing for a null value and an empty text.
    static QString nodeText(const GroupNode& node);
    // The client filter term for one node: "C = 'text'" (quotes doubled), "C = 12.5", a date in its
    // storage form "C = '2024-03-05 00:00:00'", "C = NULL", "C = ''". `type` is the column's type in
    // the window's main dataset: texts are quoted, numbers are not.
    static QString nodeCondition(const QString& field, const GroupNode& node, ResultSet::ColumnType type);

private:
    QString selectList(int level) const;
    QString countTerm(int level) const;

    QStringList m_fields;
    QString m_table;
};
