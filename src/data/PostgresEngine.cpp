#include "data/PostgresEngine.h"

#include "data/DatabaseChoice.h"
#include "data/DatabaseError.h"
#include "data/JetDialect.h"
#include "data/ResultSet.h"
#include "data/ServerErrorText.h"
#include "data/SqlValue.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>
#include <vector>

namespace {

// Type identifiers of the server's built-in types (fixed in its catalogue).
enum : Oid {
    kBool = 16,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kNumeric = 1700,
};

ResultSet::SentAs sentAs(Oid type)
{
    switch (type) {
    case kBool:
        return ResultSet::SentAs::Bool;
    case kInt2:
    case kInt4:
    case kInt8:
        return ResultSet::SentAs::Integer;
    case kFloat4:
    case kFloat8:
        return ResultSet::SentAs::Real;
    case kNumeric:
        return ResultSet::SentAs::Decimal;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
        return ResultSet::SentAs::Moment;
    case kText:
    case kBpchar:
    case kVarchar:
        return ResultSet::SentAs::Text;
    default:
        return ResultSet::SentAs::Other;
    }
}

// A bound value as the text the server is sent; a null QByteArray for NULL.
QByteArray parameterText(const QVariant& given)
{
    const QVariant value = SqlValue::toStorage(given);
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "1" : "0";
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    default:
        return value.toString().toUtf8();
    }
}

// The values for a statement's numbered parameters, found by name (letter case ignored) in the given
// lists; missing ones are NULL.
struct ParameterValues {
    std::vector<QByteArray> texts;
    std::vector<const char*> pointers;

    ParameterValues(const QStringList& names, const SqlParams& first, const SqlParams& second)
    {
        texts.reserve(size_t(names.size()));
        for (const QString& name : names) {
            const SqlParam* found = nullptr;
            for (const SqlParams* list : {&first, &second})
                for (const SqlParam& p : *list)
                    if (!found && p.name.compare(name, Qt::CaseInsensitive) == 0)
                        found = &p;
            texts.push_back(found ? parameterText(found->value) : QByteArray());
        }
        for (const QByteArray& t : texts)
            pointers.push_back(t.isNull() ? nullptr : t.constData());
    }
    ParameterValues(const QStringList& names, const QVariantList& values)
    {
        for (qsizetype i = 0; i < names.size(); ++i)
            texts.push_back(i < values.size() ? parameterText(values[i]) : QByteArray());
        for (const QByteArray& t : texts)
            pointers.push_back(t.isNull() ? nullptr : t.constData());
    }
};

struct Result {
    PGresult* res = nullptr;
    ~Result() { PQclear(res); }
};

QString serverText(const char* text) { return QString::fromUtf8(text ? text : "").trimmed(); }

// Throws the server's error for a result that is not a success.
QString lostSessionText(const QString& reason)
{
    return QStringLiteral("Связь с сервером базы данных прервана: %1\n\nПоследнее изменение могло не сохраниться: "
                          "проверьте его и повторите. При следующем действии программа подключится к серверу заново.")
        .arg(reason);
}

void check(pg_conn* conn, PGresult* res, const QString& sent)
{
    const ExecStatusType status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return;
    if (PQstatus(conn) == CONNECTION_BAD)
        throw DatabaseError(lostSessionText(serverText(PQerrorMessage(conn))), sent);
    QString message = res ? serverText(PQresultErrorMessage(res)) : serverText(PQerrorMessage(conn));
    if (message.isEmpty())
        message = serverText(PQerrorMessage(conn));
    const QString state = res ? QString::fromLatin1(PQresultErrorField(res, PG_DIAG_SQLSTATE)) : QString();
    throw DatabaseError(ServerErrorText::withCause(state, message), sent, state);
}

// The server's notices (a rollback with no transaction left after a dropped session, for one) are
// for its log, not for the user's terminal, where the client library would print them.
void ignoreNotice(void*, const char*) {}

// A sized text column declared as such, so that the dataset keeps texts within it as it does on a
// file; the server passes the size as its type modifier, four more than the characters.
QString declaredType(PGresult* res, int column)
{
    const Oid type = PQftype(res, column);
    const int modifier = PQfmod(res, column);
    if ((type != kVarchar && type != kBpchar) || modifier <= 4)
        return {};
    return QStringLiteral("%1(%2)").arg(type == kVarchar ? QStringLiteral("varchar") : QStringLiteral("char"))
        .arg(modifier - 4);
}

std::unique_ptr<ResultSet> rowsOf(PGresult* res)
{
    auto rows = std::make_unique<ResultSet>();
    const int columns = PQnfields(res);
    for (int c = 0; c < columns; ++c)
        rows->addColumn(QString::fromUtf8(PQfname(res, c)), sentAs(PQftype(res, c)), declaredType(res, c));
    std::vector<const char*> cells(size_t(columns), nullptr);
    std::vector<int> sizes(size_t(columns), 0);
    const int count = PQntuples(res);
    rows->reserveRows(count);
    for (int r = 0; r < count; ++r) {
        for (int c = 0; c < columns; ++c) {
            // Only an empty value may be a NULL.
            const int size = PQgetlength(res, r, c);
            cells[size_t(c)] = size == 0 && PQgetisnull(res, r, c) ? nullptr : PQgetvalue(res, r, c);
            sizes[size_t(c)] = size;
        }
        rows->appendFromText(cells.data(), sizes.data());
    }
    return rows;
}

int changedRows(PGresult* res)
{
    const char* tuples = PQcmdTuples(res);
    return tuples && *tuples ? std::atoi(tuples) : 0;
}

class PostgresPreparedStatement final : public SqlPreparedStatement {
public:
    PostgresPreparedStatement(pg_conn* conn, const QString& sent, const QString& name) : m_conn(conn), m_sent(sent)
    {
        const PostgresEngine::Numbered numbered = PostgresEngine::numberParameters(sent);
        m_names = numbered.names;
        m_name = name.toUtf8();
        Result r{PQprepare(m_conn, m_name.constData(), numbered.text.toUtf8().constData(), int(m_names.size()), nullptr)};
        check(m_conn, r.res, m_sent);
    }
    ~PostgresPreparedStatement() override
    {
        if (PQstatus(m_conn) == CONNECTION_OK)
            PQclear(PQexec(m_conn, ("DEALLOCATE " + m_name).constData()));
    }

    const QStringList& paramNames() const override { return m_names; }

    int run(const QVariantList& values) override
    {
        const ParameterValues params(m_names, values);
        Result r{PQexecPrepared(m_conn, m_name.constData(), int(params.pointers.size()), params.pointers.data(), nullptr,
                                nullptr, 0)};
        check(m_conn, r.res, m_sent);
        return changedRows(r.res);
    }

private:
    pg_conn* m_conn;
    QString m_sent;
    QByteArray m_name;
    QStringList m_names;
};

// A name as the translator writes a bracketed one: lower-case letters, quoted.
QString quotedName(const QString& name)
{
    QString lower = name;
    for (QChar& c : lower)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return QLatin1Char('"') + lower.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// `text` as a field of COPY's text form: the backslash, the field and row separators and the carriage
// return escaped, so that no text can end a field or a row, or read as NULL (\N).
void appendCopyField(QByteArray& out, std::string_view text)
{
    // A server's text cannot hold a NUL byte: it ends there, as a bound parameter's does.
    text = text.substr(0, text.find('\0'));
    size_t plain = 0; // start of the bytes not yet appended
    for (size_t i = 0; i < text.size(); ++i) {
        const char* escape = text[i] == '\\' ? "\\\\"
                             : text[i] == '\t' ? "\\t"
                             : text[i] == '\n' ? "\\n"
                             : text[i] == '\r' ? "\\r"
                                               : nullptr;
        if (!escape)
            continue;
        out.append(text.data() + plain, qsizetype(i - plain));
        out.append(escape, 2);
        plain = i + 1;
    }
    out.append(text.data() + plain, qsizetype(text.size() - plain));
}

void appendCopyNumber(QByteArray& out, double value)
{
    if (std::isnan(value)) {
        out.append("NaN");
        return;
    }
    if (std::isinf(value)) {
        out.append(value > 0 ? "Infinity" : "-Infinity");
        return;
    }
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value); // shortest that reads back
    out.append(digits, written.ptr - digits);
}

// One cell in COPY's text form, in the storage form the program binds values in.
void appendCopyCell(QByteArray& out, const ResultSet& rows, int row, int col)
{
    if (rows.isNull(row, col)) {
        out.append("\\N", 2);
        return;
    }
    switch (rows.column(col).type) {
    case ResultSet::ColumnType::Integer: {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, rows.integer(row, col));
        out.append(digits, written.ptr - digits);
        return;
    }
    case ResultSet::ColumnType::Real:
        return appendCopyNumber(out, rows.number(row, col));
    case ResultSet::ColumnType::DateTime:
        return rows.appendStorageMoment(row, col, out);
    case ResultSet::ColumnType::Text:
        return appendCopyField(out, rows.utf8(row, col));
    case ResultSet::ColumnType::Variant: {
        const QByteArray text = parameterText(rows.value(row, col));
        return appendCopyField(out, std::string_view(text.constData(), size_t(text.size())));
    }
    }
}

class PostgresBulkLoad final : public SqlBulkLoad {
public:
    PostgresBulkLoad(pg_conn* conn, const QString& table, const QStringList& columns)
        : m_conn(conn), m_columnCount(int(columns.size()))
    {
        QStringList names;
        for (const QString& column : columns)
            names.append(quotedName(column));
        m_statement = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(quotedName(table), names.join(QStringLiteral(", ")));
    }
    ~PostgresBulkLoad() override
    {
        if (!m_copying)
            return;
        PQputCopyEnd(m_conn, "the load was abandoned");
        while (PGresult* res = PQgetResult(m_conn))
            PQclear(res);
        undo();
    }

    QString statement() const override { return m_statement; }

    void add(const ResultSet& rows) override
    {
        if (rows.columnCount() != m_columnCount)
            throw DatabaseError(QStringLiteral("Строки для загрузки не совпадают со столбцами таблицы."), m_statement);
        start();
        for (int row = 0; row < rows.rowCount(); ++row) {
            for (int col = 0; col < m_columnCount; ++col) {
                if (col > 0)
                    m_block.append('\t');
                appendCopyCell(m_block, rows, row, col);
            }
            m_block.append('\n');
            if (m_block.size() >= kBlockBytes)
                send();
        }
    }

    void finish() override
    {
        start();
        send();
        m_copying = false;
        if (PQputCopyEnd(m_conn, nullptr) != 1)
            throw DatabaseError(serverText(PQerrorMessage(m_conn)), m_statement);
        // The server's verdict on the whole load, and nothing after it.
        Result verdict{PQgetResult(m_conn)};
        while (PGresult* res = PQgetResult(m_conn))
            PQclear(res);
        try {
            check(m_conn, verdict.res, m_statement);
        } catch (const DatabaseError&) {
            undo();
            throw;
        }
        if (m_guarded)
            PQclear(PQexec(m_conn, "RELEASE SAVEPOINT instrel_statement"));
    }

private:
    static constexpr qsizetype kBlockBytes = 256 * 1024;

    void start()
    {
        if (m_copying || m_started)
            return;
        m_started = true;
        // Like every statement in a transaction, a refused load undoes only itself.
        m_guarded = PQtransactionStatus(m_conn) == PQTRANS_INTRANS;
        if (m_guarded)
            PQclear(PQexec(m_conn, "SAVEPOINT instrel_statement"));
        Result r{PQexec(m_conn, m_statement.toUtf8().constData())};
        if (PQresultStatus(r.res) != PGRES_COPY_IN) {
            undo();
            check(m_conn, r.res, m_statement);
            throw DatabaseError(QStringLiteral("Сервер не начал загрузку строк."), m_statement);
        }
        m_copying = true;
    }

    void undo()
    {
        if (m_guarded)
            PQclear(PQexec(m_conn, "ROLLBACK TO SAVEPOINT instrel_statement; RELEASE SAVEPOINT instrel_statement"));
        m_guarded = false;
    }

    void send()
    {
        if (m_block.isEmpty())
            return;
        if (PQputCopyData(m_conn, m_block.constData(), int(m_block.size())) != 1)
            throw DatabaseError(serverText(PQerrorMessage(m_conn)), m_statement);
        m_block.resize(0); // the block's memory kept for the next
    }

    pg_conn* m_conn;
    int m_columnCount;
    QString m_statement;
    QByteArray m_block;
    bool m_started = false;
    bool m_copying = false; // between the server's go-ahead and the end of the data
    bool m_guarded = false; // a savepoint stands for the load
};

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// The message for a server that cannot be reached or refuses the session, with what libpq said.
QString notReachedText(const QString& connectionString, const QString& reason)
{
    return QStringLiteral("Не удалось подключиться к серверу базы данных «%1»: %2").arg(DatabaseChoice::shownName(connectionString), reason);
}

// Whether a statement ends the transaction: a rollback (not to a savepoint), or with `orCommit` a
// commit as well.
// The statement's first word, in upper case ("BEGIN" of "begin;").
QString leadingWord(const QString& sent)
{
    return sent.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char(';'), 0, 0).toUpper();
}

bool endsTransaction(const QString& sent, bool orCommit)
{
    const QString word = leadingWord(sent);
    if (word == QLatin1String("ROLLBACK") || word == QLatin1String("ABORT"))
        return !sent.contains(QLatin1String(" TO "), Qt::CaseInsensitive);
    return orCommit && (word == QLatin1String("COMMIT") || word == QLatin1String("END"));
}

// The session's settings; the server's refusal, or nothing.
QString setUpSession(pg_conn* conn)
{
    // Dates travel as wall-clock text in one form.
    Result r{PQexec(conn, "SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; "
                          "SET client_min_messages = 'warning'")};
    if (PQresultStatus(r.res) != PGRES_COMMAND_OK)
        return serverText(PQresultErrorMessage(r.res));
    // Jet's Date() is the client's day. A zone the server does not know leaves the server's own.
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    if (!zone.isEmpty()) {
        char* quoted = PQescapeLiteral(conn, zone.constData(), size_t(zone.size()));
        if (quoted) {
            PQclear(PQexec(conn, (QByteArray("SET TimeZone = ") + quoted).constData()));
            PQfreemem(quoted);
        }
    }
    return {};
}

} // namespace

PostgresEngine::PostgresEngine(const QString& connectionString) : m_connectionString(connectionString) {}

PostgresEngine::~PostgresEngine() { close(); }

void PostgresEngine::open()
{
    if (m_conn)
        return;
    ResultSet::keepFreedMemoryForTheNextRead();
    pg_conn* conn = PQconnectdb(m_connectionString.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString reason = serverText(PQerrorMessage(conn));
        PQfinish(conn);
        throw DatabaseError(notReachedText(m_connectionString, reason));
    }
    const QString refused = setUpSession(conn);
    if (!refused.isEmpty()) {
        PQfinish(conn);
        throw DatabaseError(notReachedText(m_connectionString, refused));
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    m_conn = conn;
    m_idleBeforeStatement = true;
}

void PostgresEngine::resumeSession(const QString& sent)
{
    if (!m_conn)
        return;
    if (PQstatus(m_conn) == CONNECTION_OK) {
        m_idleBeforeStatement = PQtransactionStatus(m_conn) == PQTRANS_IDLE;
        return;
    }
    if (!m_idleBeforeStatement && !endsTransaction(sent, false)) {
        // The transaction went with the session: its statements fail up to its end, its commit
        // included, and the session is renewed after that.
        if (endsTransaction(sent, true))
            m_idleBeforeStatement = true;
        throw DatabaseError(lostSessionText(serverText(PQerrorMessage(m_conn))), sent);
    }
    // The same connection object is renewed, so that statements prepared on it fail instead of
    // pointing at a closed one; a rollback then has nothing left to undo.
    PQreset(m_conn);
    const QString refused = PQstatus(m_conn) == CONNECTION_OK ? setUpSession(m_conn) : serverText(PQerrorMessage(m_conn));
    if (!refused.isEmpty())
        throw DatabaseError(notReachedText(m_connectionString, refused), sent);
    m_idleBeforeStatement = true;
}

void PostgresEngine::close()
{
    if (!m_conn)
        return;
    PQfinish(m_conn);
    m_conn = nullptr;
}

QString PostgresEngine::translate(const QString& jetStatement) const { return JetDialect::toPostgres(jetStatement); }

namespace {

// Whether a statement begins, ends or marks a transaction itself.
bool controlsTransaction(const QString& sent)
{
    static const QStringList words{QStringLiteral("BEGIN"),    QStringLiteral("START"),   QStringLiteral("COMMIT"),
                                   QStringLiteral("END"),      QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"),
                                   QStringLiteral("RELEASE"),  QStringLiteral("ABORT")};
    return words.contains(leadingWord(sent));
}

} // namespace

template <typename Run> auto PostgresEngine::statementScope(const QString& sent, Run run)
{
    // The server spoils a whole transaction at its first failed statement, while the embedded engine
    // undoes only that statement and the program goes on (probes, optional indexes, a refused row
    // in a larger step). A savepoint around each statement inside a transaction gives the same.
    resumeSession(sent);
    const bool guarded = PQtransactionStatus(m_conn) == PQTRANS_INTRANS && !controlsTransaction(sent);
    if (guarded)
        PQclear(PQexec(m_conn, "SAVEPOINT instrel_statement"));
    try {
        auto result = run();
        if (guarded)
            PQclear(PQexec(m_conn, "RELEASE SAVEPOINT instrel_statement"));
        return result;
    } catch (const DatabaseError&) {
        if (guarded)
            PQclear(PQexec(m_conn, "ROLLBACK TO SAVEPOINT instrel_statement; RELEASE SAVEPOINT instrel_statement"));
        // A transaction whose end found the session gone has ended with it.
        if (PQstatus(m_conn) == CONNECTION_BAD && endsTransaction(sent, true))
            m_idleBeforeStatement = true;
        throw;
    }
}

std::unique_ptr<ResultSet> PostgresEngine::select(const QString& sent, const SqlParams& first, const SqlParams& second)
{
    const auto read = [&] {
        return statementScope(sent, [&] {
            const Numbered numbered = numberParameters(sent);
            const ParameterValues params(numbered.names, first, second);
            Result r{PQexecParams(m_conn, numbered.text.toUtf8().constData(), int(params.pointers.size()), nullptr,
                                  params.pointers.data(), nullptr, nullptr, 0)};
            check(m_conn, r.res, sent);
            return rowsOf(r.res);
        });
    };
    try {
        return read();
    } catch (const DatabaseError&) {
        // A session dropped while the program stood idle (overnight, a server restart) is found by
        // the next statement; a read outside a transaction is then simply made again on a new one.
        if (!m_conn || PQstatus(m_conn) != CONNECTION_BAD || !m_idleBeforeStatement)
            throw;
    }
    return read();
}

void PostgresEngine::selectForward(const QString& sent, const SqlParams& params, const SqlRowBatches& take)
{
    // The server sends a result whole: one batch.
    const std::unique_ptr<ResultSet> rows = select(sent, params, {});
    if (rows->rowCount() > 0)
        take(*rows);
}

int PostgresEngine::execute(const QString& sent, const SqlParams& params)
{
    return statementScope(sent, [&] {
        const Numbered numbered = numberParameters(sent);
        Result r{numbered.names.isEmpty()
                     // Without parameters a text may hold several statements (a schema, a session setting).
                     ? PQexec(m_conn, sent.toUtf8().constData())
                     : nullptr};
        if (!numbered.names.isEmpty()) {
            const ParameterValues values(numbered.names, params, {});
            r.res = PQexecParams(m_conn, numbered.text.toUtf8().constData(), int(values.pointers.size()), nullptr,
                                 values.pointers.data(), nullptr, nullptr, 0);
        }
        check(m_conn, r.res, sent);
        // A transaction the server had already given up ends in a rollback even when asked to commit.
        if (QByteArray(PQcmdStatus(r.res)) == "ROLLBACK" && sent.trimmed().startsWith(QLatin1String("COMMIT"), Qt::CaseInsensitive))
            throw DatabaseError(QStringLiteral("Транзакция была прервана сервером и отменена."), sent);
        return changedRows(r.res);
    });
}

std::unique_ptr<SqlPreparedStatement> PostgresEngine::prepare(const QString& sent)
{
    resumeSession(sent);
    return std::make_unique<PostgresPreparedStatement>(m_conn, sent,
                                                       QStringLiteral("instrel_%1").arg(++m_preparedCount));
}

std::unique_ptr<SqlBulkLoad> PostgresEngine::bulkLoad(const QString& table, const QStringList& columns)
{
    resumeSession(QStringLiteral("COPY ") + table);
    return std::make_unique<PostgresBulkLoad>(m_conn, table, columns);
}

qint64 PostgresEngine::lastInsertId() const
{
    if (!m_conn)
        return 0;
    // lastval() fails in a transaction already in error, and before any identity was given: a
    // savepoint keeps either from spoiling the caller's transaction.
    const bool inside = inTransaction();
    if (inside)
        PQclear(PQexec(m_conn, "SAVEPOINT instrel_lastval"));
    Result r{PQexec(m_conn, "SELECT lastval()")};
    const bool ok = PQresultStatus(r.res) == PGRES_TUPLES_OK && PQntuples(r.res) == 1;
    const qint64 id = ok ? QByteArray(PQgetvalue(r.res, 0, 0)).toLongLong() : 0;
    if (inside)
        PQclear(PQexec(m_conn, ok ? "RELEASE SAVEPOINT instrel_lastval"
                                  : "ROLLBACK TO SAVEPOINT instrel_lastval; RELEASE SAVEPOINT instrel_lastval"));
    return id;
}

bool PostgresEngine::inTransaction() const
{
    if (!m_conn)
        return false;
    // A transaction lost with its session is still the program's to roll back.
    if (PQstatus(m_conn) == CONNECTION_BAD)
        return !m_idleBeforeStatement;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

SqlTableInfo PostgresEngine::tableInfo(const QString& table)
{
    SqlTableInfo info;
    // Objects are created unquoted, so their names are the lower-case ones.
    const QByteArray name = table.toLower().toUtf8();
    const char* values[] = {name.constData()};
    Result columns{PQexecParams(m_conn,
                                "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass($1) AND attnum > 0 "
                                "AND NOT attisdropped ORDER BY attnum",
                                1, nullptr, values, nullptr, nullptr, 0)};
    if (PQresultStatus(columns.res) == PGRES_TUPLES_OK)
        for (int r = 0; r < PQntuples(columns.res); ++r)
            info.columns.append(QString::fromUtf8(PQgetvalue(columns.res, r, 0)));
    Result key{PQexecParams(m_conn,
                            "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid AND "
                            "a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass($1) AND i.indisprimary",
                            1, nullptr, values, nullptr, nullptr, 0)};
    if (PQresultStatus(key.res) == PGRES_TUPLES_OK && PQntuples(key.res) == 1)
        info.primaryKey = QString::fromUtf8(PQgetvalue(key.res, 0, 0));
    return info;
}

PostgresEngine::Numbered PostgresEngine::numberParameters(const QString& statement)
{
    Numbered out;
    out.text.reserve(statement.size());
    const qsizetype n = statement.size();
    qsizetype i = 0;
    const auto copyUntil = [&](qsizetype end) {
        out.text += QStringView(statement).mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = statement[i];
        const QChar next = i + 1 < n ? statement[i + 1] : QChar();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype end = i + 1;
            while (end < n) {
                if (statement[end] == c) {
                    if (end + 1 < n && statement[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            copyUntil(std::min(end, n));
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            qsizetype end = i;
            while (end < n && statement[end] != QLatin1Char('\n') && statement[end] != QLatin1Char('\r'))
                ++end;
            copyUntil(end);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype close = statement.indexOf(QLatin1String("*/"), i + 2);
            copyUntil(close < 0 ? n : close + 2);
        } else if (c == QLatin1Char(':') && next == QLatin1Char(':')) {
            copyUntil(i + 2); // a cast
        } else if (c == QLatin1Char(':') && isNameStart(next)) {
            qsizetype end = i + 1;
            while (end < n && isNamePart(statement[end]))
                ++end;
            const QString name = statement.mid(i + 1, end - i - 1);
            qsizetype number = -1;
            for (qsizetype k = 0; k < out.names.size() && number < 0; ++k)
                if (out.names[k].compare(name, Qt::CaseInsensitive) == 0)
                    number = k;
            if (number < 0) {
                number = out.names.size();
                out.names.append(name);
            }
            out.text += QLatin1Char('$') + QString::number(number + 1);
            i = end;
        } else {
            copyUntil(i + 1);
        }
    }
    return out;
}
