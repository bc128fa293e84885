#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

class ResultSet;
struct sqlite3;

// A named value bound to a statement. `name` is spelled as in the statement text, without the colon.
struct SqlParam {
    QString name;
    QVariant value;
};
using SqlParams = QList<SqlParam>;

// Takes one batch of a statement's rows read front to back; returns false to stop reading.
using SqlRowBatches = std::function<bool(const ResultSet& batch)>;

// The columns of a table (or view) as the catalogue lists them, and its primary key column (empty
// for a view or a table without one).
struct SqlTableInfo {
    QStringList columns;
    QString primaryKey;
};

// Many rows loaded into one table inside the caller's transaction, as fast as the engine takes them
// (a plant moved between databases). The columns are the ones named when the load began, in order.
class SqlBulkLoad {
public:
    virtual ~SqlBulkLoad() = default;
    // The statement the load runs, as the SQL monitor shows it.
    virtual QString statement() const = 0;
    // Every row of `rows`, whose columns are the load's in the same order. Throws DatabaseError.
    virtual void add(const ResultSet& rows) = 0;
    // Ends the load once every row was added; throws DatabaseError with the engine's text when any
    // row was refused. A load left without finishing is abandoned, and its statement fails.
    virtual void finish() = 0;
};

// A statement prepared once by an engine and run many times. Parameter names ignore letter case, as
// everywhere in the program: ":id" and ":ID" are one parameter.
class SqlPreparedStatement {
public:
    virtual ~SqlPreparedStatement() = default;
    // The parameters as spelled in the statement, in order of first appearance.
    virtual const QStringList& paramNames() const = 0;
    // Runs once with `values` for paramNames() in their order (missing ones are NULL); returns the
    // number of rows changed. Throws DatabaseError with the engine's text.
    virtual int run(const QVariantList& values) = 0;
};

// One database engine behind SqlConnection. The connection owns the program's side of every
// statement (translation, the SQL monitor, transaction scopes); an engine only opens its database
// and runs texts already in its own dialect, throwing DatabaseError with its own words on failure.
// Nothing above the connection knows which engine runs.
class SqlEngine {
public:
    virtual ~SqlEngine() = default;

    virtual bool isOpen() const = 0;
    // Throws DatabaseError naming the database and the cause when it cannot be used.
    virtual void open() = 0;
    virtual void close() = 0;

    // A statement of the program's dialect in this engine's.
    virtual QString translate(const QString& jetStatement) const = 0;

    virtual std::unique_ptr<ResultSet> select(const QString& sent, const SqlParams& first,
                                              const SqlParams& second) = 0;
    // The rows of `sent` handed to `take` a batch at a time in one ResultSet refilled for each
    // (see SqlConnection::readRows). An engine that cannot step through rows hands them all at once.
    virtual void selectForward(const QString& sent, const SqlParams& params, const SqlRowBatches& take) = 0;
    virtual int execute(const QString& sent, const SqlParams& params) = 0;
    virtual std::unique_ptr<SqlPreparedStatement> prepare(const QString& sent) = 0;
    // Starts loading rows into `table` (its `columns`, as the catalogue names them).
    virtual std::unique_ptr<SqlBulkLoad> bulkLoad(const QString& table, const QStringList& columns) = 0;
    virtual qint64 lastInsertId() const = 0;

    // Whether the engine holds an open transaction (it may end one by itself on some errors).
    virtual bool inTransaction() const = 0;
    // The statement that begins a transaction holding the right to write from its start.
    virtual QString beginWriteStatement() const = 0;
    // Makes everything committed part of what a copy of the database would hold (a write-ahead log
    // folded into the file); nothing for engines without one.
    virtual void flushCommitted() {}

    virtual SqlTableInfo tableInfo(const QString& table) = 0;

    // The embedded engine's handle, for registering functions and for generators and benchmarks that
    // load rows through the C API; nullptr for any other engine and while closed.
    virtual sqlite3* sqliteHandle() const { return nullptr; }
};
