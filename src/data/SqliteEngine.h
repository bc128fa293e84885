#pragma once

#include "data/SqlEngine.h"

struct sqlite3_stmt;

// The embedded engine: a SQLite file opened through Qt's driver and run through SQLite's C API on the
// handle the driver opened. It never creates a database file: opening a missing file fails with a
// message that names the file and says how to create one; an existing file that is not a database,
// is damaged or is held by another program fails with a message naming that cause (and never with
// advice to create a file that is there). The engine's result code travels with every DatabaseError.
class SqliteEngine final : public SqlEngine {
public:
    // A bare file name is taken in the current directory at the moment of opening.
    explicit SqliteEngine(const QString& fileName);
    ~SqliteEngine() override;

    bool isOpen() const override { return m_db != nullptr; }
    void open() override;
    void close() override;

    QString translate(const QString& jetStatement) const override;

    std::unique_ptr<ResultSet> select(const QString& sent, const SqlParams& first, const SqlParams& second) override;
    void selectForward(const QString& sent, const SqlParams& params, const SqlRowBatches& take) override;
    int execute(const QString& sent, const SqlParams& params) override;
    std::unique_ptr<SqlPreparedStatement> prepare(const QString& sent) override;
    // One prepared insert run for each row: in a transaction the engine writes nothing before the end.
    std::unique_ptr<SqlBulkLoad> bulkLoad(const QString& table, const QStringList& columns) override;
    qint64 lastInsertId() const override;

    bool inTransaction() const override;
    QString beginWriteStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    void flushCommitted() override;

    SqlTableInfo tableInfo(const QString& table) override;

    sqlite3* sqliteHandle() const override { return m_db; }

    // A value in the storage form (SqlValue) bound at `index` (from 1) of a prepared statement.
    static void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value);

private:
    QString m_fileName;
    QString m_qtConnectionName;
    sqlite3* m_db = nullptr;
};
