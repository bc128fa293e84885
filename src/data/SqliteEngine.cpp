#include "data/SqliteEngine.h"

#include "data/DatabaseError.h"
#include "data/DatabaseFileError.h"
#include "data/JetDialect.h"
#include "data/ResultSet.h"
#include "data/SqlValue.h"
#include "text/StrList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QUuid>
#include <sqlite3.h>

namespace {

const char* const kDriver = "QSQLITE";

QString howToCreate(const QString& path)
{
    QFileInfo info(path);
    QString text = QStringLiteral("Создайте базу данных командой «instrel-initdb --demo %1» (демонстрационная) "
                                  "или «instrel-initdb --empty %1» (пустая).")
                       .arg(info.fileName());
    // The tool never overwrites a file: one that is in the way has to go first.
    if (info.exists())
        text = QStringLiteral("Переместите файл «%1» в другой каталог или переименуйте его, затем ").arg(info.fileName()) +
               text.left(1).toLower() + text.mid(1);
    if (QFileInfo::exists(info.dir().filePath(QStringLiteral("Device.mdb"))))
        text += QStringLiteral("\nФайл Device.mdb в этом каталоге — база данных старого формата; "
                               "программа не открывает его напрямую.");
    return text;
}

QString whereText(const QString& path)
{
    QFileInfo info(path);
    return QStringLiteral("Файл «%1» в каталоге «%2»").arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()));
}

bool looksLikeSqliteFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // let the engine report why it cannot be read
    const QByteArray header = file.read(16);
    return header == QByteArray("SQLite format 3\0", 16);
}

[[noreturn]] void throwEngineError(sqlite3* db, const QString& sent)
{
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), sent, sqlite3_extended_errcode(db));
}

// Binds parameters by name, ignoring letter case (the program's texts spell names as they like).
void bindParams(sqlite3_stmt* stmt, const SqlParams& a, const SqlParams& b)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt, i);
        if (!raw)
            continue;
        const QString name = QString::fromUtf8(raw + 1);
        const SqlParam* found = nullptr;
        for (const SqlParams* list : {&a, &b})
            for (const SqlParam& p : *list)
                if (!found && p.name.compare(name, Qt::CaseInsensitive) == 0)
                    found = &p;
        if (!found)
            continue; // unbound parameters are NULL
        SqliteEngine::bindValue(stmt, i, found->value);
    }
}

sqlite3_stmt* prepareStatement(sqlite3* db, const QString& sent)
{
    const QByteArray utf8 = sent.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()) + 1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throwEngineError(db, sent);
    }
    if (!stmt) // only blanks or a lone ";"
        throw DatabaseError(QStringLiteral("Пустой запрос."), sent);
    return stmt;
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

class SqlitePreparedStatement final : public SqlPreparedStatement {
public:
    SqlitePreparedStatement(sqlite3* db, const QString& sent) : m_db(db), m_sent(sent), m_stmt(prepareStatement(db, sent))
    {
        const int count = sqlite3_bind_parameter_count(m_stmt);
        for (int i = 1; i <= count; ++i) {
            const char* raw = sqlite3_bind_parameter_name(m_stmt, i);
            const QString name = raw ? QString::fromUtf8(raw + 1) : QString::number(i);
            int slot = -1;
            for (int k = 0; k < m_names.size() && slot < 0; ++k)
                if (m_names[k].compare(name, Qt::CaseInsensitive) == 0)
                    slot = k;
            if (slot < 0) {
                slot = int(m_names.size());
                m_names.append(name);
            }
            m_slotOfIndex.append(slot);
        }
    }
    ~SqlitePreparedStatement() override { sqlite3_finalize(m_stmt); }

    const QStringList& paramNames() const override { return m_names; }

    int run(const QVariantList& values) override
    {
        for (int i = 0; i < m_slotOfIndex.size(); ++i) {
            const int slot = m_slotOfIndex[i];
            SqliteEngine::bindValue(m_stmt, i + 1, slot < values.size() ? values[slot] : QVariant());
        }
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        }
        const QString reason = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
        const int code = sqlite3_extended_errcode(m_db);
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (rc != SQLITE_DONE)
            throw DatabaseError(reason, m_sent, code);
        return sqlite3_changes(m_db);
    }

private:
    sqlite3* m_db;
    QString m_sent;
    sqlite3_stmt* m_stmt;
    QStringList m_names;
    QList<int> m_slotOfIndex; // for each engine parameter index - 1, its place in m_names
};

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

class SqliteBulkLoad final : public SqlBulkLoad {
public:
    SqliteBulkLoad(sqlite3* db, const QString& table, const QStringList& columns) : m_db(db)
    {
        QStringList names, placeholders;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            names.append(quotedName(columns[i]));
            placeholders.append(QStringLiteral("?%1").arg(i + 1));
        }
        m_statement = QStringLiteral("insert into %1 (%2) values (%3)")
                          .arg(quotedName(table), names.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", ")));
        m_insert.stmt = prepareStatement(m_db, m_statement);
    }

    QString statement() const override { return m_statement; }

    void add(const ResultSet& rows) override
    {
        sqlite3_stmt* stmt = m_insert.stmt;
        if (rows.columnCount() != sqlite3_bind_parameter_count(stmt))
            throw DatabaseError(QStringLiteral("Строки для загрузки не совпадают со столбцами таблицы."), m_statement);
        QByteArray moment;
        for (int row = 0; row < rows.rowCount(); ++row) {
            for (int col = 0; col < rows.columnCount(); ++col)
                bindCell(stmt, rows, row, col, moment);
            const int rc = sqlite3_step(stmt);
            sqlite3_reset(stmt);
            if (rc != SQLITE_DONE)
                throwEngineError(m_db, m_statement);
        }
        sqlite3_clear_bindings(stmt);
    }

    void finish() override {}

private:
    // The cell's value bound as its column types it, without a QVariant where the type allows.
    static void bindCell(sqlite3_stmt* stmt, const ResultSet& rows, int row, int col, QByteArray& moment)
    {
        const int slot = col + 1;
        if (rows.isNull(row, col)) {
            sqlite3_bind_null(stmt, slot);
            return;
        }
        switch (rows.column(col).type) {
        case ResultSet::ColumnType::Integer:
            sqlite3_bind_int64(stmt, slot, rows.integer(row, col));
            return;
        case ResultSet::ColumnType::Real:
            sqlite3_bind_double(stmt, slot, rows.number(row, col));
            return;
        case ResultSet::ColumnType::DateTime:
            moment.resize(0);
            rows.appendStorageMoment(row, col, moment);
            sqlite3_bind_text(stmt, slot, moment.constData(), int(moment.size()), SQLITE_TRANSIENT);
            return;
        case ResultSet::ColumnType::Text: {
            const std::string_view text = rows.utf8(row, col);
            // An empty text has no bytes to point at, and a null pointer would bind NULL.
            sqlite3_bind_text(stmt, slot, text.empty() ? "" : text.data(), int(text.size()), SQLITE_STATIC);
            return;
        }
        case ResultSet::ColumnType::Variant:
            SqliteEngine::bindValue(stmt, slot, rows.value(row, col));
            return;
        }
    }

    sqlite3* m_db;
    QString m_statement;
    Statement m_insert;
};

} // namespace

SqliteEngine::SqliteEngine(const QString& fileName)
    : m_fileName(fileName), m_qtConnectionName(QStringLiteral("instrel-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

SqliteEngine::~SqliteEngine() { close(); }

void SqliteEngine::open()
{
    if (m_db)
        return;
    ResultSet::keepFreedMemoryForTheNextRead();
    const QString path = QFileInfo(m_fileName).absoluteFilePath();
    QFileInfo info(path);
    if (!info.exists())
        throw DatabaseError(QStringLiteral("%1 не найден: база данных не открыта.\n%2")
                                .arg(whereText(path), howToCreate(path)));
    if (!info.isFile() || !looksLikeSqliteFile(path))
        throw DatabaseError(FormatText(Str::FileNotDatabase, QDir::toNativeSeparators(path)) + QLatin1Char('\n') +
                            howToCreate(path));
    if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(kDriver)))
        throw DatabaseError(QStringLiteral("Драйвер SQLite для Qt не установлен (пакет libqt6sql6-sqlite)."));

    QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(kDriver), m_qtConnectionName);
    // mode=rw: the engine must never create the file, whatever happens between the check and here.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    if (!db.open()) {
        const QString reason = db.lastError().driverText() + QLatin1Char(' ') + db.lastError().databaseText();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_qtConnectionName);
        throw DatabaseError(QStringLiteral("%1 не удалось открыть: %2").arg(whereText(path), reason.trimmed()));
    }
    m_db = *static_cast<sqlite3* const*>(db.driver()->handle().constData());
    SqliteExtensions::registerAll(m_db);
    // A file with the right header can still be damaged, or held by another program: read its
    // catalogue before trusting it, and say which of the two it is.
    char* error = nullptr;
    if (sqlite3_exec(m_db, "select count(*) from sqlite_master", nullptr, nullptr, &error) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(error ? error : "");
        const int code = sqlite3_extended_errcode(m_db);
        sqlite3_free(error);
        db = QSqlDatabase(); // the last handle, so that close() can remove the connection
        close();
        if (DatabaseFileError::causeOf(code) == DatabaseFileError::Cause::InUse)
            throw DatabaseError(DatabaseFileError::text(DatabaseFileError::Cause::InUse, path), {}, code);
        throw DatabaseError(FormatText(Str::FileNotDatabase, QDir::toNativeSeparators(path)) + QLatin1Char(' ') + reason +
                                QLatin1Char('\n') + DatabaseFileError::restoreAdvice(path),
                            {}, code);
    }
}

void SqliteEngine::close()
{
    if (!m_db && !QSqlDatabase::contains(m_qtConnectionName))
        return;
    m_db = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_qtConnectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_qtConnectionName);
}

QString SqliteEngine::translate(const QString& jetStatement) const { return JetDialect::toSqlite(jetStatement); }

std::unique_ptr<ResultSet> SqliteEngine::select(const QString& sent, const SqlParams& first, const SqlParams& second)
{
    Statement s{prepareStatement(m_db, sent)};
    bindParams(s.stmt, first, second);
    auto rows = std::make_unique<ResultSet>();
    rows->defineColumns(s.stmt);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        rows->appendFromStatement(s.stmt);
    if (rc != SQLITE_DONE)
        throwEngineError(m_db, sent);
    return rows;
}

void SqliteEngine::selectForward(const QString& sent, const SqlParams& params, const SqlRowBatches& take)
{
    // Small enough to stay in the processor's caches while the taker reads it.
    constexpr int kBatchRows = 512;
    Statement s{prepareStatement(m_db, sent)};
    bindParams(s.stmt, params, {});
    ResultSet rows;
    rows.defineColumns(s.stmt);
    rows.startBatch();
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        rows.appendFromStatement(s.stmt);
        if (rows.rowCount() == kBatchRows) {
            if (!take(rows))
                return;
            rows.startBatch();
        }
    }
    if (rc != SQLITE_DONE)
        throwEngineError(m_db, sent);
    if (rows.rowCount() > 0)
        take(rows);
}

int SqliteEngine::execute(const QString& sent, const SqlParams& params)
{
    Statement s{prepareStatement(m_db, sent)};
    bindParams(s.stmt, params, {});
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwEngineError(m_db, sent);
    return sqlite3_changes(m_db);
}

std::unique_ptr<SqlPreparedStatement> SqliteEngine::prepare(const QString& sent)
{
    return std::make_unique<SqlitePreparedStatement>(m_db, sent);
}

std::unique_ptr<SqlBulkLoad> SqliteEngine::bulkLoad(const QString& table, const QStringList& columns)
{
    return std::make_unique<SqliteBulkLoad>(m_db, table, columns);
}

qint64 SqliteEngine::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

bool SqliteEngine::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

void SqliteEngine::flushCommitted()
{
    // For a file with a write-ahead log, folds the log into the file; for other files this does
    // nothing. The engine folds nothing while a transaction is open, so callers do it before theirs.
    if (m_db)
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

SqlTableInfo SqliteEngine::tableInfo(const QString& table)
{
    SqlTableInfo info;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = "PRAGMA table_info(" + SqlValue::quoted(table).toUtf8() + ")";
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
            info.columns.append(name);
            if (sqlite3_column_int(stmt, 5) == 1)
                info.primaryKey = name;
        }
    }
    sqlite3_finalize(stmt);
    return info;
}

void SqliteEngine::bindValue(sqlite3_stmt* stmt, int index, const QVariant& given)
{
    const QVariant value = SqlValue::toStorage(given);
    if (value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}
