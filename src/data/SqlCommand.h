#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

class SqlConnection;
class SqlPreparedStatement;

// One of the program's statements prepared once and run for many rows (the yearly plan's inserts,
// batches): translated once and shown in the SQL monitor once, not per row. Values go through the
// one value writer like every bound value. The statement is freed with the command, on every path.
class SqlCommand {
public:
    // `statement` in the program's dialect, with :Name parameters.
    SqlCommand(SqlConnection& connection, const QString& statement);
    ~SqlCommand();
    SqlCommand(const SqlCommand&) = delete;
    SqlCommand& operator=(const SqlCommand&) = delete;

    // The parameters as spelled in the statement, in order of first appearance.
    const QStringList& paramNames() const;
    // Runs once with `values` for paramNames() in their order (missing ones are NULL); returns the
    // number of rows changed. Throws DatabaseError with the engine's text.
    int run(const QVariantList& values);

private:
    SqlConnection& m_connection;
    std::unique_ptr<SqlPreparedStatement> m_statement;
};
