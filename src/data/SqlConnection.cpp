#include "data/SqlConnection.h"

#include "data/PostgresEngine.h"
#include "data/ResultSet.h"
#include "data/SqlValue.h"
#include "data/SqliteEngine.h"
#include "text/StrList.h"

#include <QDateTime>
#include <QStringList>
#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

// While TZ is unset, the C library looks at the zone file again (a stat() and a read) for every
// local-time conversion, and every date read from the database takes one: a list of 100,000 devices
// paid for it more than for the reading. Naming the same zone, the system's own, lets the library
// keep what it read once. A TZ the user set is left alone.
const bool zoneNamedOnce = [] {
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    return true;
}();

// Statements that change the database, or take the right to, by their first words.
bool writes(const QString& statement)
{
    static const QStringList words{QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete"),
                                   QStringLiteral("create"), QStringLiteral("drop"),   QStringLiteral("alter"),
                                   QStringLiteral("replace")};
    const QStringList lead = statement.left(40).simplified().split(QLatin1Char(' '));
    const QString first = lead.value(0).toLower().remove(QLatin1Char(';'));
    if (words.contains(first))
        return true;
    const QString second = lead.value(1).toLower().remove(QLatin1Char(';'));
    return first == QLatin1String("begin") &&
           (second == QLatin1String("immediate") || second == QLatin1String("exclusive"));
}

} // namespace

SqlConnection::SqlConnection(QObject* parent)
    : QObject(parent), m_fileName(QStringLiteral("Device.db")), m_engine(std::make_unique<SqliteEngine>(m_fileName))
{
}

SqlConnection::~SqlConnection() { close(); }

void SqlConnection::setDatabaseFile(const QString& fileName)
{
    close();
    m_fileName = fileName;
    m_server.clear();
    m_engine = std::make_unique<SqliteEngine>(fileName);
}

void SqlConnection::setServer(const QString& connectionString)
{
    close();
    m_fileName.clear();
    m_server = connectionString;
    m_engine = std::make_unique<PostgresEngine>(connectionString);
}

bool SqlConnection::isOpen() const { return m_engine->isOpen(); }

void SqlConnection::open() { m_engine->open(); }

void SqlConnection::close() { m_engine->close(); }

SqlConnection::TableInfo SqlConnection::tableInfo(const QString& table)
{
    open();
    return m_engine->tableInfo(table);
}

QString SqlConnection::translate(const QString& statement) const { return m_engine->translate(statement); }

QString SqlConnection::monitorText(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("Null");
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return SqlValue::number(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("dd.MM.yyyy"))
                                            : moment.toString(QStringLiteral("dd.MM.yyyy H:mm:ss"));
    }
    default:
        return value.toString();
    }
}

void SqlConnection::report(const QString& sent, const SqlParams& datasetParams, const SqlParams& commandParams)
{
    QStringList lines{sent};
    for (int i = 0; i < datasetParams.size(); ++i)
        lines.append(QStringLiteral("P[%1] %2 = %3")
                         .arg(i)
                         .arg(datasetParams[i].name, monitorText(datasetParams[i].value)));
    for (const SqlParam& p : commandParams)
        lines.append(p.name + QStringLiteral(" = ") + monitorText(p.value));
    emit willExecute(lines);
}

std::unique_ptr<ResultSet> SqlConnection::select(const QString& statement, const SqlParams& datasetParams,
                                                 const SqlParams& commandParams)
{
    open();
    const QString sent = translate(statement);
    report(sent, datasetParams, commandParams);
    return m_engine->select(sent, datasetParams, commandParams);
}

std::unique_ptr<SqlBulkLoad> SqlConnection::bulkLoad(const QString& table, const QStringList& columns)
{
    open();
    auto load = m_engine->bulkLoad(table, columns);
    report(load->statement(), {}, {});
    return load;
}

void SqlConnection::readRows(const QString& statement, const SqlParams& params, const RowBatches& take)
{
    open();
    const QString sent = translate(statement);
    report(sent, {}, params);
    m_engine->selectForward(sent, params, take);
}

QString SqlConnection::readOnlyReason()
{
    if (!m_readOnlyReason.isEmpty() || !m_server.isEmpty())
        return m_readOnlyReason;
    open();
    if (sqlite3_db_readonly(handle(), "main") == 1)
        return FormatText(Str::FileReadOnly, QDir::toNativeSeparators(QFileInfo(m_fileName).absoluteFilePath()));
    return {};
}

int SqlConnection::execute(const QString& statement, const SqlParams& params)
{
    open();
    if (writes(statement)) {
        if (const QString reason = readOnlyReason(); !reason.isEmpty())
            throw DatabaseError(FormatText(Str::WriteRefusedReadOnly, reason), statement, SQLITE_READONLY);
    }
    const QString sent = translate(statement);
    report(sent, {}, params);
    return m_engine->execute(sent, params);
}

QVariant SqlConnection::scalar(const QString& statement, const SqlParams& params)
{
    auto rows = select(statement, {}, params);
    if (rows->rowCount() == 0 || rows->columnCount() == 0)
        return {};
    return rows->value(0, 0);
}

qint64 SqlConnection::lastInsertId() const { return m_engine->lastInsertId(); }

// Inside a Transaction scope, begin() opens a savepoint and commit() or rollback() ends it, so that a
// routine that makes its own transaction (the schema, its upgrade) can be one step of a larger whole
// that the scope commits or undoes: the database tool holds a plant's schema and rows in one.
void SqlConnection::begin()
{
    if (m_transactionDepth == 0) {
        execute(QStringLiteral("BEGIN"));
        return;
    }
    execute(QStringLiteral("SAVEPOINT instrel_%1").arg(m_transactionDepth + 1));
    ++m_transactionDepth;
}

void SqlConnection::beginWrite()
{
    if (m_transactionDepth == 0) {
        execute(m_engine->beginWriteStatement());
        return;
    }
    // The outer transaction holds whatever lock it took.
    execute(QStringLiteral("SAVEPOINT instrel_%1").arg(m_transactionDepth + 1));
    ++m_transactionDepth;
}

void SqlConnection::commit()
{
    if (m_transactionDepth == 0) {
        execute(QStringLiteral("COMMIT"));
        return;
    }
    const int level = m_transactionDepth--;
    execute(QStringLiteral("RELEASE SAVEPOINT instrel_%1").arg(level));
}

void SqlConnection::rollback()
{
    if (m_transactionDepth == 0) {
        if (inTransaction())
            execute(QStringLiteral("ROLLBACK"));
        return;
    }
    const int level = m_transactionDepth--;
    if (!inTransaction())
        return;
    execute(QStringLiteral("ROLLBACK TO SAVEPOINT instrel_%1").arg(level));
    execute(QStringLiteral("RELEASE SAVEPOINT instrel_%1").arg(level));
}

bool SqlConnection::inTransaction() const { return m_engine->isOpen() && m_engine->inTransaction(); }

void SqlConnection::flushCommitted()
{
    if (m_engine->isOpen())
        m_engine->flushCommitted();
}
