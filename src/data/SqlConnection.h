#pragma once

#include "data/DatabaseError.h"
#include "data/SqlEngine.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

class ResultSet;
struct sqlite3;

// The one connection of the program. Statements are given in the Jet dialect the program's code is
// written in; the connection translates them for the engine, reports each one (as sent) through
// `willExecute` before it runs, and throws DatabaseError with the engine's text on failure.
//
// The engine sits behind SqlEngine: the embedded one, a SQLite file (SqliteEngine), is the default;
// a plant shared by several planners lives on a PostgreSQL server (PostgresEngine).
// The connection never creates a database file: opening a missing file fails with a message that
// names the file and says how to create one; an existing file that is not a database, is damaged or
// is held by another program fails with a message naming that cause (and never with advice to create
// a file that is there). The engine's result code travels with every DatabaseError, so callers can
// tell those causes apart later too.
class SqlConnection : public QObject {
    Q_OBJECT
public:
    explicit SqlConnection(QObject* parent = nullptr);
    ~SqlConnection() override;

    // A bare file name is taken in the current directory at the moment of opening.
    void setDatabaseFile(const QString& fileName);
    // The file, empty when the database is on a server.
    QString databaseFile() const { return m_fileName; }
    // A plant's database on a PostgreSQL server instead of a file: a libpq connection string
    // ("host=… dbname=… user=…" or a postgresql:// address), without the password.
    void setServer(const QString& connectionString);
    // The connection string, empty for a file.
    QString server() const { return m_server; }

    bool isOpen() const;
    // Opens on demand; every statement calls it first.
    void open();
    void close();

    // Runs a statement that returns rows and fetches them all. `datasetParams` are the values a
    // dataset fills from its master (logged as "P[n] name = value"); `commandParams` are bound
    // values of a command (logged as "name = value").
    std::unique_ptr<ResultSet> select(const QString& statement, const SqlParams& datasetParams = {},
                                      const SqlParams& commandParams = {});
    // Runs a statement that returns rows and hands them to `take` a batch at a time, front to back,
    // without keeping them: for read-only lists that are written out or reduced as they come (the list
    // a tool prints, the distinct values of a pick-list), where a Dataset's stored rows, row order,
    // current row and events would cost more than the work itself. Every batch is the same ResultSet
    // refilled, its rows numbered from 0, its columns and their types those select() gives; it is
    // only valid during the call. `take` returns false to stop, and the rest is never read. Shown in
    // the SQL monitor like select(); an error of the engine, or one `take` throws, ends the reading.
    using RowBatches = SqlRowBatches;
    void readRows(const QString& statement, const SqlParams& params, const RowBatches& take);
    // Runs a statement that returns no rows; returns the number of rows changed.
    int execute(const QString& statement, const SqlParams& params = {});
    // Starts loading many rows into `table` (its `columns`) inside the open transaction, as fast as
    // the engine takes them: moving a plant between databases. Shown in the SQL monitor.
    std::unique_ptr<SqlBulkLoad> bulkLoad(const QString& table, const QStringList& columns);
    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& statement, const SqlParams& params = {});
    // The identity given to the row inserted last.
    qint64 lastInsertId() const;

    // Transactions for work that must be all or nothing (bulk loads, the database tool). The program's
    // own work uses Transaction, which nests.
    void begin();
    // Begins a transaction holding the file's write lock from the start, so that a file another
    // program is writing is found out before any work is done (SQLITE_BUSY after the wait).
    void beginWrite();
    void commit();
    void rollback();
    // Whether a transaction is open (also one the engine began or ended by itself).
    bool inTransaction() const;
    // Makes everything committed part of a copy of the database (see SqlEngine::flushCommitted).
    void flushCommitted();

    // The columns of a table (or view) as the catalogue lists them, and its primary key column (empty
    // for a view or a table without one). Reading the catalogue is not one of the program's
    // statements, so it does not reach the monitor.
    using TableInfo = SqlTableInfo;
    TableInfo tableInfo(const QString& table);

    // A database the program must not change, for instance one a newer program has changed:
    // `reason` says so to the user. Every statement that would write is then refused with it before
    // it reaches the engine. An empty reason allows writing again.
    void setReadOnly(const QString& reason) { m_readOnlyReason = reason; }
    // Why the database can only be read: the reason given above, or a file the engine could open
    // only for reading. Empty when it can be written (as far as can be told without writing).
    QString readOnlyReason();

    // The statement as it is sent to the engine.
    QString translate(const QString& statement) const;

    // The embedded engine's raw handle, for registering functions, generators and benchmarks;
    // nullptr while closed and for any other engine.
    sqlite3* handle() const { return m_engine->sqliteHandle(); }

    // Text of a value the way the monitor shows it: "Null" for null, dates and numbers in the
    // program's format.
    static QString monitorText(const QVariant& value);

signals:
    // Emitted before every statement with the lines the SQL monitor shows, in order.
    void willExecute(const QStringList& lines);

private:
    friend class Transaction;
    friend class SqlCommand;
    void report(const QString& sent, const SqlParams& datasetParams, const SqlParams& commandParams);

    QString m_fileName;
    QString m_server;
    std::unique_ptr<SqlEngine> m_engine;
    int m_transactionDepth = 0; // open Transaction scopes
    QString m_readOnlyReason;
};
