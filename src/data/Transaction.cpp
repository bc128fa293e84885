#include "data/Transaction.h"

#include "data/SqlConnection.h"

Transaction::Transaction(SqlConnection& connection, std::function<void()> afterRollback)
    : m_connection(connection), m_afterRollback(std::move(afterRollback))
{
    m_connection.open();
    m_level = m_connection.m_transactionDepth + 1;
    // A transaction begun outside the scopes (the database tool's begin()) counts as an outer one.
    const bool outer = m_level == 1 && !m_connection.inTransaction();
    if (outer) {
        // Every scope here is about to write. Holding the right to write from the start lets a
        // second program on the same file wait for it (up to the busy timeout): a transaction that
        // read first and asked for the lock only at its first write would fail at once instead,
        // since waiting could never end while both hold their reads.
        m_connection.beginWrite();
    } else {
        m_savepoint = QStringLiteral("instrel_%1").arg(m_level);
        m_connection.execute(QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
    m_connection.m_transactionDepth = m_level;
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        rollback();
    } catch (...) {
        // A destructor may run while an exception is already on its way; the engine has ended the
        // transaction itself in that case and there is nothing left to undo.
    }
}

void Transaction::commit()
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.m_transactionDepth = m_level - 1;
    if (m_savepoint.isEmpty())
        m_connection.execute(QStringLiteral("COMMIT"));
    else
        m_connection.execute(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.m_transactionDepth = m_level - 1;
    // Some errors (a full disk, an interrupted statement) end the engine's transaction by itself.
    const bool engineStillInside = m_connection.inTransaction();
    if (engineStillInside) {
        if (m_savepoint.isEmpty()) {
            m_connection.execute(QStringLiteral("ROLLBACK"));
        } else {
            // ROLLBACK TO leaves the savepoint open; RELEASE then closes it with nothing in it.
            m_connection.execute(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_savepoint);
            m_connection.execute(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
        }
    }
    if (m_afterRollback)
        m_afterRollback();
}
