#pragma once

#include <QString>
#include <stdexcept>

// A failure reported by the database engine (or by the connection before the engine could be
// reached). Windows do not catch it: it travels up to the application's event dispatch, which shows
// the one standard error box with the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message, const QString& statement = {}, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_statement(statement), m_code(code) {}
    // An error of the database server, with its five-character SQLSTATE.
    DatabaseError(const QString& message, const QString& statement, const QString& sqlState)
        : std::runtime_error(message.toStdString()), m_message(message), m_statement(statement), m_sqlState(sqlState) {}

    QString message() const { return m_message; }
    QString statement() const { return m_statement; }
    // The engine's extended result code (SQLITE_BUSY, SQLITE_READONLY_DIRECTORY, ...); 0 when the
    // failure was found before the engine was asked.
    int code() const { return m_code; }
    // The server's SQLSTATE ("23503", "42P01", ...); empty for the embedded engine.
    QString sqlState() const { return m_sqlState; }

private:
    QString m_message;
    QString m_statement;
    int m_code = 0;
    QString m_sqlState;
};

// Abandons the operation in progress without any message (what a before-handler throws to cancel a
// post, a delete or an insert). Callers that start such operations catch it and leave the dataset as
// it was.
class AbortOperation : public std::exception {
public:
    const char* what() const noexcept override { return "operation abandoned"; }
};

// Throws AbortOperation: reads like the statement it stands for in a handler.
[[noreturn]] inline void abortOperation() { throw AbortOperation(); }
