#include "data/PlantCopy.h"

#include "data/DatabaseError.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "data/Transaction.h"

#include <charconv>
#include <cmath>

namespace {

bool onServer(const SqlConnection& connection) { return !connection.server().isEmpty(); }

QString bracketed(const QString& name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

QString columnList(const QStringList& columns)
{
    QStringList names;
    for (const QString& column : columns)
        names.append(bracketed(column));
    return names.join(QStringLiteral(", "));
}

// One value as both engines give it: a server keeps decimals at six places, a file may hold more.
void appendDecimal(QByteArray& out, double value)
{
    double rounded = std::round(value * 1e6) / 1e6;
    if (rounded == 0)
        rounded = 0; // also for -0
    char digits[400]; // the longest fixed form of a double with six places
    const auto written = std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::fixed, 6);
    out.append(digits, written.ptr - digits);
}

QByteArray comparable(const QVariant& value)
{
    QByteArray out;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        appendDecimal(out, value.toDouble());
        return out;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return QByteArray::number(value.toLongLong()) + QByteArrayLiteral(".000000");
    case QMetaType::QDateTime:
        return SqlValue::dateTimeText(value.toDateTime()).toUtf8();
    case QMetaType::QDate:
        return SqlValue::dateText(value.toDate()).toUtf8();
    case QMetaType::QByteArray:
        return value.toByteArray();
    default:
        return value.toString().toUtf8();
    }
}

void appendComparable(QByteArray& out, const ResultSet& rows, int row, int col)
{
    if (rows.isNull(row, col)) {
        out.append('\x01');
        return;
    }
    switch (rows.column(col).type) {
    case ResultSet::ColumnType::Integer: {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, rows.integer(row, col));
        out.append(digits, written.ptr - digits);
        out.append(".000000");
        return;
    }
    case ResultSet::ColumnType::Real:
        return appendDecimal(out, rows.number(row, col));
    case ResultSet::ColumnType::DateTime:
        return rows.appendStorageMoment(row, col, out);
    case ResultSet::ColumnType::Text: {
        const std::string_view text = rows.utf8(row, col);
        out.append(text.data(), qsizetype(text.size()));
        return;
    }
    case ResultSet::ColumnType::Variant:
        out.append(comparable(rows.value(row, col)));
        return;
    }
}

quint64 fnv1a(const QByteArray& bytes, quint64 hash = 14695981039346656037ULL)
{
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

PlantCopy::PlantCopy(SqlConnection& source, SqlConnection& target) : m_source(source), m_target(target) {}

QStringList PlantCopy::tables()
{
    const QString statement =
        onServer(m_source)
            ? QStringLiteral("select table_name from information_schema.tables where table_schema = current_schema() "
                             "and table_type = 'BASE TABLE' order by table_name")
            : QStringLiteral("select name from sqlite_master where type = 'table' and name not like 'sqlite%' order by name");
    const auto rows = m_source.select(statement);
    QStringList names;
    for (int row = 0; row < rows->rowCount(); ++row)
        names.append(rows->value(row, 0).toString());
    return names;
}

QList<PlantCopy::TableResult> PlantCopy::run()
{
    struct Plan {
        QString table;
        QStringList columns;
        QString key;
    };
    QList<Plan> plans;
    for (const QString& table : tables()) {
        const SqlTableInfo from = m_source.tableInfo(table);
        const SqlTableInfo to = m_target.tableInfo(table);
        if (to.columns.isEmpty())
            throw DatabaseError(QStringLiteral("В базе данных, куда копируется предприятие, нет таблицы «%1».").arg(table));
        for (const QString& column : from.columns)
            if (!to.columns.contains(column, Qt::CaseInsensitive))
                throw DatabaseError(
                    QStringLiteral("В таблице «%1» базы данных, куда копируется предприятие, нет столбца «%2».").arg(table, column));
        plans.append({table, from.columns, from.primaryKey});
    }

    Transaction transaction(m_target);
    for (const Plan& plan : plans) {
        copyTable(plan.table, plan.columns, plan.key);
        if (!plan.key.isEmpty())
            setIdentityPastHighestKey(plan.table, plan.key);
    }
    transaction.commit();

    QList<TableResult> results;
    for (const Plan& plan : plans) {
        TableResult result;
        result.table = plan.table;
        result.sourceSum = checksum(m_source, plan.table, plan.columns, &result.sourceRows);
        result.targetSum = checksum(m_target, plan.table, plan.columns, &result.targetRows);
        results.append(result);
    }
    return results;
}

void PlantCopy::copyTable(const QString& table, const QStringList& columns, const QString& key)
{
    // What the new schema wrote by itself (version, kinds of edit) gives way to the plant's own rows.
    m_target.execute(QStringLiteral("delete from %1").arg(bracketed(table)));
    const QString order = key.isEmpty() ? QString() : QStringLiteral(" order by %1").arg(bracketed(key));
    const std::unique_ptr<SqlBulkLoad> load = m_target.bulkLoad(table, columns);
    m_source.readRows(QStringLiteral("select %1 from %2%3").arg(columnList(columns), bracketed(table), order), {},
                      [&load](const ResultSet& rows) {
                          load->add(rows);
                          return true;
                      });
    load->finish();
}

void PlantCopy::setIdentityPastHighestKey(const QString& table, const QString& key)
{
    // A file's counter follows the keys inserted by itself; a server's identity does not.
    if (!onServer(m_target))
        return;
    const qint64 highest = m_target.scalar(QStringLiteral("select max(%1) from %2").arg(bracketed(key), bracketed(table))).toLongLong();
    const QString sequence = m_target
                                 .scalar(QStringLiteral("select pg_get_serial_sequence('%1', '%2')")
                                             .arg(table.toLower(), key.toLower()))
                                 .toString();
    if (sequence.isEmpty())
        return;
    m_target.scalar(QStringLiteral("select setval('%1', %2, false)").arg(sequence).arg(highest + 1));
}

quint64 PlantCopy::checksum(SqlConnection& connection, const QString& table, const QStringList& columns, qint64* rows)
{
    quint64 sum = 0;
    qint64 count = 0;
    QByteArray cell;
    connection.readRows(QStringLiteral("select %1 from %2").arg(columnList(columns), bracketed(table)), {},
                        [&](const ResultSet& read) {
                            for (int row = 0; row < read.rowCount(); ++row) {
                                quint64 hash = 14695981039346656037ULL;
                                for (int c = 0; c < read.columnCount(); ++c) {
                                    cell.resize(0);
                                    appendComparable(cell, read, row, c);
                                    cell.append('\x1f');
                                    hash = fnv1a(cell, hash);
                                }
                                sum += hash;
                            }
                            count += read.rowCount();
                            return true;
                        });
    if (rows)
        *rows = count;
    return sum;
}
