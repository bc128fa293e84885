#include "data/SqlCommand.h"

#include "data/DatabaseError.h"
#include "data/SqlConnection.h"

#include <sqlite3.h>

SqlCommand::SqlCommand(SqlConnection& connection, const QString& statement) : m_connection(connection)
{
    m_connection.open();
    m_sent = m_connection.translate(statement);
    m_connection.report(m_sent, {}, {});
    const QByteArray utf8 = m_sent.toUtf8();
    if (sqlite3_prepare_v2(m_connection.handle(), utf8.constData(), int(utf8.size()) + 1, &m_stmt, nullptr) !=
        SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_connection.handle()));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(reason, m_sent);
    }
    if (!m_stmt)
        throw DatabaseError(QStringLiteral("Пустой запрос."), m_sent);
    // Names ignore letter case, as everywhere in the program: ":id" and ":ID" are one parameter.
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

SqlCommand::~SqlCommand() { sqlite3_finalize(m_stmt); }

int SqlCommand::run(const QVariantList& values)
{
    for (int i = 0; i < m_slotOfIndex.size(); ++i) {
        const int slot = m_slotOfIndex[i];
        SqlConnection::bindValue(m_stmt, i + 1, slot < values.size() ? values[slot] : QVariant());
    }
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    const QString reason = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_connection.handle()));
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (rc != SQLITE_DONE)
        throw DatabaseError(reason, m_sent);
    return sqlite3_changes(m_connection.handle());
}
