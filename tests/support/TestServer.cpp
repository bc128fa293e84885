#include "support/TestServer.h"

#include "data/DatabaseError.h"
#include "data/SqlConnection.h"

#include <QUuid>

namespace TestServer {

QString connectionString() { return qEnvironmentVariable("INSTREL_TEST_SERVER"); }

bool isRequired() { return !qEnvironmentVariable("INSTREL_TEST_SERVER_REQUIRED").isEmpty(); }

namespace {
// Statements on the server's own maintenance database.
void runOnServer(const QString& statement)
{
    SqlConnection admin;
    admin.setServer(connectionString() + QStringLiteral(" dbname=postgres"));
    admin.execute(statement);
}
} // namespace

ScratchDatabase::ScratchDatabase()
{
    if (TestServer::connectionString().isEmpty())
        return;
    m_name = QStringLiteral("instrel_test_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    try {
        runOnServer(QStringLiteral("CREATE DATABASE ") + m_name);
        m_connectionString = TestServer::connectionString() + QStringLiteral(" dbname=") + m_name;
    } catch (const DatabaseError& e) {
        m_error = e.message();
        m_name.clear();
    }
}

ScratchDatabase::~ScratchDatabase()
{
    if (m_name.isEmpty())
        return;
    try {
        runOnServer(QStringLiteral("DROP DATABASE IF EXISTS ") + m_name + QStringLiteral(" WITH (FORCE)"));
    } catch (const DatabaseError&) {
        // A database left behind goes with the throwaway server.
    }
}

} // namespace TestServer
