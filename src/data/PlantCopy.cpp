#include "data/PlantCopy.h"

#include "data/DatabaseError.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"

#include <QHash>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <vector>

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

// A table without a key is read in the order its rows were stored, on both sides, so that the n-th
// row of the copy is the n-th of the source.
QString storedOrder(const SqlConnection& connection, const QString& key)
{
    if (!key.isEmpty())
        return QStringLiteral(" order by %1").arg(bracketed(key));
    return onServer(connection) ? QStringLiteral(" order by ctid") : QStringLiteral(" order by rowid");
}

// One cell as the database stores it, in a form that is the same on both engines for the same value
// and differs for any other: integers as digits, numbers in the shortest decimal that reads back as
// the same value (decimals without trailing zeros), moments "yyyy-mm-dd hh:mm:ss" with the fraction
// of a second where there is one, texts byte for byte.
struct Cell {
    bool null = true;
    QByteArray bytes;
    bool operator==(const Cell& other) const { return null == other.null && bytes == other.bytes; }
};
using StoredRow = std::vector<Cell>;
using TakeRow = std::function<void(const StoredRow&)>;

enum class Kind { Plain, Number, Decimal, Moment, Bool };

void putDouble(QByteArray& out, double value)
{
    if (std::isnan(value)) {
        out.append("NaN");
        return;
    }
    if (value == 0)
        value = 0; // also for -0
    char digits[400]; // the longest fixed form of a double
    const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    out.append(digits, written.ptr - digits);
}

void putDecimalText(QByteArray& out, std::string_view text)
{
    if (text.find('.') != std::string_view::npos) {
        while (text.ends_with('0'))
            text.remove_suffix(1);
        if (text.ends_with('.'))
            text.remove_suffix(1);
    }
    if (text == "-0")
        text = "0";
    out.append(text.data(), qsizetype(text.size()));
}

bool digitsAt(std::string_view text, size_t from, size_t count)
{
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

void putMoment(QByteArray& out, std::string_view text)
{
    const bool day = text.size() >= 10 && digitsAt(text, 0, 4) && text[4] == '-' && digitsAt(text, 5, 2) &&
                     text[7] == '-' && digitsAt(text, 8, 2);
    if (day && text.size() == 10) {
        out.append(text.data(), 10);
        out.append(" 00:00:00");
        return;
    }
    const bool time = day && text.size() >= 19 && (text[10] == ' ' || text[10] == 'T') && digitsAt(text, 11, 2) &&
                      text[13] == ':' && digitsAt(text, 14, 2) && text[16] == ':' && digitsAt(text, 17, 2);
    std::string_view fraction = time && text.size() > 20 && text[19] == '.' ? text.substr(20) : std::string_view();
    if (!time || (text.size() > 19 && fraction.empty()) || !digitsAt(fraction, 0, fraction.size())) {
        out.append(text.data(), qsizetype(text.size())); // not a moment: kept as it is
        return;
    }
    out.append(text.data(), 10);
    out.append(' ');
    out.append(text.data() + 11, 8);
    while (fraction.ends_with('0'))
        fraction.remove_suffix(1);
    if (!fraction.empty()) {
        out.append('.');
        out.append(fraction.data(), qsizetype(fraction.size()));
    }
}

void putServerText(QByteArray& out, Kind kind, std::string_view text)
{
    switch (kind) {
    case Kind::Plain:
        out.append(text.data(), qsizetype(text.size()));
        return;
    case Kind::Decimal:
        return putDecimalText(out, text);
    case Kind::Number: {
        double value = 0;
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
        if (parsed.ec == std::errc() && parsed.ptr == text.data() + text.size())
            return putDouble(out, value);
        out.append(text.data(), qsizetype(text.size())); // NaN, Infinity
        return;
    }
    case Kind::Moment:
        return putMoment(out, text);
    case Kind::Bool:
        out.append(text == "t" ? "1" : text == "f" ? "0" : text);
        return;
    }
}

Kind serverKind(const QString& dataType)
{
    if (dataType == QLatin1String("numeric"))
        return Kind::Decimal;
    if (dataType == QLatin1String("double precision") || dataType == QLatin1String("real"))
        return Kind::Number;
    if (dataType.startsWith(QLatin1String("timestamp")) || dataType == QLatin1String("date"))
        return Kind::Moment;
    if (dataType == QLatin1String("boolean"))
        return Kind::Bool;
    return Kind::Plain;
}

// The server sends every value as text; CAST keeps what the conversion to the program's types would
// lose (a moment's fraction of a second, a decimal's digits beyond a double's).
void readStoredOnServer(SqlConnection& connection, const QString& table, const QStringList& columns,
                        const QString& order, const TakeRow& take)
{
    QHash<QString, Kind> kinds;
    const auto types = connection.select(
        QStringLiteral("select column_name, data_type from information_schema.columns "
                       "where table_schema = current_schema() and table_name = :name"),
        {}, {{QStringLiteral("name"), table.toLower()}});
    for (int r = 0; r < types->rowCount(); ++r)
        kinds.insert(types->value(r, 0).toString().toLower(), serverKind(types->value(r, 1).toString()));
    std::vector<Kind> kindOf;
    QStringList casts;
    for (const QString& column : columns) {
        kindOf.push_back(kinds.value(column.toLower(), Kind::Plain));
        casts.append(QStringLiteral("CAST(%1 AS text)").arg(bracketed(column)));
    }
    StoredRow row(size_t(columns.size()));
    connection.readRows(QStringLiteral("select %1 from %2%3").arg(casts.join(QStringLiteral(", ")), bracketed(table), order), {},
                        [&](const ResultSet& read) {
                            for (int r = 0; r < read.rowCount(); ++r) {
                                for (int c = 0; c < read.columnCount(); ++c) {
                                    Cell& cell = row[size_t(c)];
                                    cell.bytes.resize(0);
                                    cell.null = read.isNull(r, c);
                                    if (cell.null)
                                        continue;
                                    if (read.column(c).type == ResultSet::ColumnType::Text)
                                        putServerText(cell.bytes, kindOf[size_t(c)], read.utf8(r, c));
                                    else
                                        putServerText(cell.bytes, kindOf[size_t(c)],
                                                      read.value(r, c).toString().toUtf8().toStdString());
                                }
                                take(row);
                            }
                            return true;
                        });
}

// Straight from the file's records: the program's own reading turns moments into whole seconds.
void readStoredInFile(SqlConnection& connection, const QString& table, const QStringList& columns, const QString& order,
                      const TakeRow& take)
{
    connection.open();
    sqlite3* db = connection.handle();
    const QString statement = QStringLiteral("select %1 from %2%3").arg(columnList(columns), bracketed(table), order);
    const QByteArray sent = connection.translate(statement).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sent.constData(), int(sent.size()), &raw, nullptr) != SQLITE_OK)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), statement, sqlite3_errcode(db));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    const int count = sqlite3_column_count(raw);
    std::vector<bool> moment(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c) {
        const char* declared = sqlite3_column_decltype(raw, c);
        moment[size_t(c)] = declared && ResultSet::typeFromDeclaration(QString::fromUtf8(declared)) ==
                                            ResultSet::ColumnType::DateTime;
    }
    StoredRow row(static_cast<size_t>(count));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int c = 0; c < count; ++c) {
            Cell& cell = row[size_t(c)];
            cell.bytes.resize(0);
            const int storage = sqlite3_column_type(raw, c);
            cell.null = storage == SQLITE_NULL;
            if (storage == SQLITE_INTEGER) {
                char digits[24];
                const auto written = std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(raw, c));
                cell.bytes.append(digits, written.ptr - digits);
            } else if (storage == SQLITE_FLOAT) {
                putDouble(cell.bytes, sqlite3_column_double(raw, c));
            } else if (storage != SQLITE_NULL) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(raw, c));
                const std::string_view text(bytes ? bytes : "", size_t(sqlite3_column_bytes(raw, c)));
                if (moment[size_t(c)])
                    putMoment(cell.bytes, text);
                else
                    cell.bytes.append(text.data(), qsizetype(text.size()));
            }
        }
        take(row);
    }
    if (rc != SQLITE_DONE)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), statement, sqlite3_errcode(db));
}

void readStored(SqlConnection& connection, const QString& table, const QStringList& columns, const QString& key,
                const TakeRow& take)
{
    const QString order = key.isEmpty() ? storedOrder(connection, key) : QString(); // keys need no order
    if (onServer(connection))
        readStoredOnServer(connection, table, columns, order, take);
    else
        readStoredInFile(connection, table, columns, order, take);
}

quint64 fnv1a(const char* bytes, qsizetype size, quint64 hash = 14695981039346656037ULL)
{
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= quint8(bytes[i]);
        hash *= 1099511628211ULL;
    }
    return hash;
}

quint64 rowHash(const StoredRow& row)
{
    quint64 hash = 14695981039346656037ULL;
    for (const Cell& cell : row) {
        const char mark[2] = {cell.null ? '\x01' : '\x02', '\x1f'};
        hash = fnv1a(cell.bytes.constData(), cell.bytes.size(), fnv1a(mark, 1, hash));
        hash = fnv1a(mark + 1, 1, hash);
    }
    return hash;
}

QString shown(const Cell& cell)
{
    if (cell.null)
        return QStringLiteral("NULL");
    QString text = QString::fromUtf8(cell.bytes);
    text.replace(QChar(0), QStringLiteral("\\0"));
    return QStringLiteral("«%1»").arg(text);
}

} // namespace

bool PlantCopy::TableResult::onlyValuesDiffer() const
{
    return sourceRows == targetRows && !differences.isEmpty() &&
           std::all_of(differences.begin(), differences.end(), [](const Difference& d) { return !d.column.isEmpty(); });
}

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
        copyTable(plan);
        if (!plan.key.isEmpty())
            setIdentityPastHighestKey(plan.table, plan.key);
    }
    transaction.commit();

    QList<TableResult> results;
    for (const Plan& plan : plans)
        results.append(compare(plan));
    return results;
}

void PlantCopy::copyTable(const Plan& plan)
{
    // What the new schema wrote by itself (version, kinds of edit) gives way to the plant's own rows.
    m_target.execute(QStringLiteral("delete from %1").arg(bracketed(plan.table)));
    const std::unique_ptr<SqlBulkLoad> load = m_target.bulkLoad(plan.table, plan.columns);
    m_source.readRows(QStringLiteral("select %1 from %2%3")
                          .arg(columnList(plan.columns), bracketed(plan.table), storedOrder(m_source, plan.key)),
                      {}, [&load](const ResultSet& rows) {
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

PlantCopy::TableResult PlantCopy::compare(const Plan& plan)
{
    // Both sides are summed as they store their values, so that a value the target rounded or cut
    // shows as a difference; the rows that differ are then found by their key (or their place) and
    // compared value by value.
    TableResult result;
    result.table = plan.table;
    int keyColumn = -1;
    for (int c = 0; c < plan.columns.size() && !plan.key.isEmpty(); ++c)
        if (plan.columns[c].compare(plan.key, Qt::CaseInsensitive) == 0)
            keyColumn = c;
    qint64 ordinal = 0;
    const auto keyOf = [&](const StoredRow& row) {
        ++ordinal;
        if (keyColumn < 0)
            return quint64(ordinal);
        const Cell& key = row[size_t(keyColumn)];
        return fnv1a(key.bytes.constData(), key.bytes.size());
    };
    const auto rowName = [&](const StoredRow& row) {
        return keyColumn < 0 ? QStringLiteral("строка %1").arg(ordinal)
                             : QStringLiteral("%1 = %2").arg(plan.key, QString::fromUtf8(row[size_t(keyColumn)].bytes));
    };

    QHash<quint64, quint64> unmatched; // source rows not yet found in the target: key, row hash
    unmatched.reserve(1024);
    readStored(m_source, plan.table, plan.columns, plan.key, [&](const StoredRow& row) {
        const quint64 hash = rowHash(row);
        result.sourceSum += hash;
        ++result.sourceRows;
        unmatched.insert(keyOf(row), hash);
    });
    QHash<quint64, StoredRow> changed; // target rows that differ from the source's, by key
    ordinal = 0;
    readStored(m_target, plan.table, plan.columns, plan.key, [&](const StoredRow& row) {
        const quint64 hash = rowHash(row);
        result.targetSum += hash;
        ++result.targetRows;
        const quint64 key = keyOf(row);
        const auto found = unmatched.constFind(key);
        if (found == unmatched.constEnd()) {
            result.differences.append({rowName(row), QString(), QStringLiteral("строки нет"), QStringLiteral("строка есть")});
            return;
        }
        if (*found != hash)
            changed.insert(key, row);
        unmatched.erase(found);
    });
    if (changed.isEmpty() && unmatched.isEmpty())
        return result;

    ordinal = 0;
    readStored(m_source, plan.table, plan.columns, plan.key, [&](const StoredRow& row) {
        const quint64 key = keyOf(row);
        if (unmatched.contains(key)) {
            result.differences.append({rowName(row), QString(), QStringLiteral("строка есть"), QStringLiteral("строки нет")});
            return;
        }
        const auto copied = changed.constFind(key);
        if (copied == changed.constEnd())
            return;
        for (size_t c = 0; c < row.size(); ++c)
            if (!(row[c] == (*copied)[c]))
                result.differences.append({rowName(row), plan.columns[qsizetype(c)], shown(row[c]), shown((*copied)[c])});
    });
    return result;
}
