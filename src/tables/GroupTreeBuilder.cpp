#include "tables/GroupTreeBuilder.h"

#include "data/Dataset.h"
#include "data/Field.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "text/StrList.h"

#include <QHash>
#include <functional>
#include <memory>

namespace {

GroupNode::Kind kindOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return GroupNode::Kind::Null;
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return GroupNode::Kind::Empty;
    return GroupNode::Kind::Value;
}

GroupNode makeNode(const QVariant& value, const QVariant& count, int fieldIndex)
{
    GroupNode node;
    node.kind = kindOf(value);
    node.value = node.kind == GroupNode::Kind::Value ? value : QVariant();
    node.count = count.toLongLong();
    node.fieldIndex = fieldIndex;
    return node;
}

// Identity of the first `columns` values of a row: equal values, equal keys; null differs from ''.
QString parentKey(const ResultSet& rows, int row, int columns)
{
    QString key;
    for (int c = 0; c < columns; ++c) {
        key += rows.isNull(row, c) ? QStringLiteral("\x01") : QStringLiteral("\x02") + rows.value(row, c).toString();
        key += QChar(0x1f);
    }
    return key;
}

} // namespace

GroupTreeBuilder::GroupTreeBuilder(const QStringList& fields, const QString& table) : m_fields(fields), m_table(table) {}

QString GroupTreeBuilder::selectList(int level) const { return m_fields.mid(0, level + 1).join(QLatin1Char(',')); }

QString GroupTreeBuilder::countTerm(int level) const
{
    const QString& g = m_fields[level];
    return QStringLiteral(",count(IIf(IsNull(") + g + QStringLiteral("), \"<empty>\", ") + g + QStringLiteral(")) from ");
}

QString GroupTreeBuilder::levelStatement(int level) const
{
    QString s = QStringLiteral("select ") + selectList(level) + countTerm(level) + m_table;
    if (level > 0) {
        s += QStringLiteral(" where ");
        // Null-safe: "=" alone is never true for a null, and a "<null>" node would lose its children.
        for (int j = level - 1; j >= 0; --j) {
            const QString& g = m_fields[j];
            s += QStringLiteral(" (") + g + QStringLiteral(" = :") + g + QStringLiteral(" Or (IsNull(") + g +
                 QStringLiteral(") And IsNull(:") + g + QStringLiteral("))) and ");
        }
        s.chop(4);
    }
    return s + QStringLiteral(" group by ") + selectList(level) + QStringLiteral(";");
}

QString GroupTreeBuilder::allParentsStatement(int level) const
{
    return QStringLiteral("select ") + selectList(level) + countTerm(level) + m_table + QStringLiteral(" group by ") +
           selectList(level) + QStringLiteral(";");
}

std::vector<GroupNode> GroupTreeBuilder::load(SqlConnection& connection, int* failedLevel) const
{
    const int n = levelCount();
    std::vector<std::unique_ptr<ResultSet>> levels;
    for (int i = 0; i < n; ++i) {
        if (failedLevel)
            *failedLevel = i;
        levels.push_back(connection.select(allParentsStatement(i)));
    }
    if (failedLevel)
        *failedLevel = -1;
    // Rows of level i by the key of their first i values, in the order the engine returned them.
    std::vector<QHash<QString, std::vector<int>>> byParent;
    byParent.resize(size_t(n));
    for (int i = 1; i < n; ++i)
        for (int r = 0; r < levels[size_t(i)]->rowCount(); ++r)
            byParent[size_t(i)][parentKey(*levels[size_t(i)], r, i)].push_back(r);

    std::function<void(int, int, std::vector<GroupNode>&)> fill = [&](int level, int parentRow, std::vector<GroupNode>& target) {
        const ResultSet& rows = *levels[size_t(level)];
        std::vector<int> all;
        const std::vector<int>* members = &all;
        if (level == 0) {
            for (int r = 0; r < rows.rowCount(); ++r)
                all.push_back(r);
        } else {
            const ResultSet& parent = *levels[size_t(level - 1)];
            const auto found = byParent[size_t(level)].constFind(parentKey(parent, parentRow, level));
            if (found == byParent[size_t(level)].constEnd())
                return;
            members = &found.value();
        }
        for (int r : *members) {
            target.push_back(makeNode(rows.value(r, level), rows.value(r, level + 1), level));
            if (level + 1 < n)
                fill(level + 1, r, target.back().children);
        }
    };
    std::vector<GroupNode> roots;
    if (n > 0)
        fill(0, -1, roots);
    return roots;
}

std::vector<GroupNode> GroupTreeBuilder::loadPerParent(SqlConnection& connection) const
{
    const int n = levelCount();
    std::vector<std::unique_ptr<Dataset>> levels;
    for (int i = 0; i < n; ++i) {
        auto ds = std::make_unique<Dataset>(&connection);
        ds->setObjectName(QStringLiteral("qry%1").arg(i));
        ds->setSql(levelStatement(i));
        if (i > 0)
            ds->setMaster(levels.back().get());
        levels.push_back(std::move(ds));
    }
    for (auto& ds : levels)
        ds->open();
    std::function<void(int, std::vector<GroupNode>&)> fill = [&](int level, std::vector<GroupNode>& target) {
        Dataset& ds = *levels[size_t(level)];
        const int count = ds.recordCount();
        const int valueField = ds.fieldCount() - 2;
        for (int r = 0; r < count; ++r) {
            ds.setRecNo(r + 1); // the detail level re-runs for this row
            target.push_back(makeNode(ds.valueAt(r, valueField), ds.valueAt(r, valueField + 1), level));
            if (level + 1 < n)
                fill(level + 1, target.back().children);
        }
    };
    std::vector<GroupNode> roots;
    if (n > 0)
        fill(0, roots);
    return roots;
}

QString GroupTreeBuilder::nodeText(const GroupNode& node)
{
    QString value;
    switch (node.kind) {
    case GroupNode::Kind::Null:
        value = Text(Str::TableNull);
        break;
    case GroupNode::Kind::Empty:
        value = Text(Str::TableEmpty);
        break;
    case GroupNode::Kind::Value:
        value = Field::formatValue(node.value);
        break;
    }
    return value + QStringLiteral(" (") + Text(Str::TableAmount) + QStringLiteral("=") + QString::number(node.count) +
           QStringLiteral(")");
}

QString GroupTreeBuilder::nodeCondition(const QString& field, const GroupNode& node, ResultSet::ColumnType type)
{
    switch (node.kind) {
    case GroupNode::Kind::Null:
        return field + QStringLiteral(" = NULL");
    case GroupNode::Kind::Empty:
        return field + QStringLiteral(" = ''");
    case GroupNode::Kind::Value:
        break;
    }
    switch (type) {
    case ResultSet::ColumnType::Integer:
    case ResultSet::ColumnType::Real:
        return field + QStringLiteral(" = ") + SqlValue::number(node.value.toDouble());
    case ResultSet::ColumnType::DateTime: {
        // The storage form: the client filter reads it as a date, whatever the user's date format.
        const QDateTime moment = node.value.typeId() == QMetaType::QDateTime
                                     ? node.value.toDateTime()
                                     : SqlValue::parseDateTime(node.value.toString());
        return field + QStringLiteral(" = ") + SqlValue::quoted(SqlValue::dateTimeText(moment));
    }
    default:
        return field + QStringLiteral(" = ") + SqlValue::quoted(node.value.toString());
    }
}
