#pragma once

#include <QString>
#include <functional>

class SqlConnection;

// All or nothing: the statements run between the constructor and commit() are undone unless
// commit() is reached, whether an exception leaves the scope or a routine returns early.
//
// Scopes nest: the outermost one begins a transaction, the inner ones are savepoints, so a routine
// that must be atomic can also run inside a larger atomic step. An inner rollback undoes only its
// own part; an inner commit keeps its part for the outer scope to commit or undo.
//
// Rows a window has fetched do not go back by themselves: give the scope what re-reads them
// (`afterRollback`), which runs once the rollback is done.
class Transaction {
public:
    explicit Transaction(SqlConnection& connection, std::function<void()> afterRollback = {});
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool isOpen() const { return m_open; }
    bool isOutermost() const { return m_level == 1; }

private:
    SqlConnection& m_connection;
    std::function<void()> m_afterRollback;
    int m_level = 0;
    bool m_open = false;
    QString m_savepoint;
};
