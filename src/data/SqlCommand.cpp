#include "data/SqlCommand.h"

#include "data/DatabaseError.h"
#include "data/SqlConnection.h"

SqlCommand::SqlCommand(SqlConnection& connection, const QString& statement) : m_connection(connection)
{
    m_connection.open();
    const QString sent = m_connection.translate(statement);
    m_connection.report(sent, {}, {});
    m_statement = m_connection.m_engine->prepare(sent);
}

SqlCommand::~SqlCommand() = default;

const QStringList& SqlCommand::paramNames() const { return m_statement->paramNames(); }

int SqlCommand::run(const QVariantList& values) { return m_statement->run(values); }
