#pragma once

#include "data/SqlEngine.h"

struct pg_conn;

// A plant's database on a PostgreSQL server, reached through libpq with a connection string
// ("host=… port=… dbname=… user=…" or a postgresql:// address; the password comes from the user's
// ~/.pgpass or the standard environment). Statements are translated to PostgreSQL's dialect;
// `:Name` parameters are sent as $n with their values as text in the storage form, so that the
// server reads them by the column they meet. The session's time zone is the client's, as Jet's
// Date() is the local day. A statement that fails inside a transaction undoes only itself, as on
// the embedded engine, instead of spoiling the whole transaction.
class PostgresEngine final : public SqlEngine {
public:
    explicit PostgresEngine(const QString& connectionString);
    ~PostgresEngine() override;

    bool isOpen() const override { return m_conn != nullptr; }
    void open() override;
    void close() override;

    QString translate(const QString& jetStatement) const override;

    std::unique_ptr<ResultSet> select(const QString& sent, const SqlParams& first, const SqlParams& second) override;
    void selectForward(const QString& sent, const SqlParams& params, const SqlRowBatches& take) override;
    int execute(const QString& sent, const SqlParams& params) override;
    std::unique_ptr<SqlPreparedStatement> prepare(const QString& sent) override;
    // COPY … FROM STDIN in text form: the rows travel in large blocks instead of a round trip each.
    std::unique_ptr<SqlBulkLoad> bulkLoad(const QString& table, const QStringList& columns) override;
    qint64 lastInsertId() const override;

    bool inTransaction() const override;
    QString beginWriteStatement() const override { return QStringLiteral("BEGIN"); }

    SqlTableInfo tableInfo(const QString& table) override;

    // A statement's `:Name` parameters as $1, $2, … (one number per name, letter case ignored) and
    // the names in the order of their numbers. Literals, quoted names, comments and "::" casts are
    // left alone.
    struct Numbered {
        QString text;
        QStringList names;
    };
    static Numbered numberParameters(const QString& statement);

private:
    template <typename Run> auto statementScope(const QString& sent, Run run);
    // A session the server or the network dropped is opened again before the next statement when
    // none of the program's transactions was under way; when one was, its statements fail until the
    // program rolls it back (or its commit fails), and the session is opened again after that.
    void resumeSession(const QString& sent);

    pg_conn* m_conn = nullptr;
    bool m_idleBeforeStatement = true; // no transaction was open when the last statement began
    QString m_connectionString;
    int m_preparedCount = 0;
};
