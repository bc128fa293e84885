#pragma once

#include "data/SqlConnection.h"
#include "support/TestServer.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// The two engines a plant's database lives on: a file of the embedded engine, or a database on a
// PostgreSQL server.
enum class Engine { Sqlite, Postgres };

// A database of a test's own on one engine, made the way the database tool makes it: a file in the
// given folder, or a database of its own on the test server, dropped at the end.
class EngineDatabase {
public:
    enum class Content {
        Bare,          // no objects at all (for fixtures that make their own tables)
        Empty,         // the objects a first start needs, no version row: the program would upgrade it
        UpgradedEmpty, // the same at the program's version, with no data
        Demo,          // the demonstration plant (for Clock::today())
    };

    // Check ok() (or error()) before use: a server database may fail to be made.
    EngineDatabase(Engine engine, Content content, const QString& directory,
                   const QString& fileName = QStringLiteral("Device.db"));
    ~EngineDatabase();
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;

    Engine engine() const { return m_engine; }
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    // The file's absolute path, or the connection string (no password).
    QString location() const { return m_location; }
    // On the server: the database's name, which the copy before an upgrade is named after.
    QString serverDatabaseName() const { return m_serverName; }

    // Points `connection` at this database (it opens on its first statement).
    void connect(SqlConnection& connection) const;

private:
    void build(Content content);

    Engine m_engine;
    QString m_location;
    QString m_serverName;
    QString m_error;
    std::unique_ptr<TestServer::ScratchDatabase> m_scratch;
};

// What a test reads from a database whose answer each engine keeps in its own catalogue or types.
// Names ignore letter case, as the program's statements do.
namespace EngineCatalogue {
bool onServer(SqlConnection& connection);
bool hasTable(SqlConnection& connection, const QString& name);
bool hasView(SqlConnection& connection, const QString& name);
bool hasColumn(SqlConnection& connection, const QString& table, const QString& column);
QStringList viewNames(SqlConnection& connection);
// Every table and view with its definition as the engine keeps it, sorted by name: two databases
// built alike on one engine describe alike.
QStringList schemaObjects(SqlConnection& connection);
// How the engine stores the given columns of the first row `where` selects from `table`: "integer",
// "real", "text" or "null" (SQLite keeps a kind per value; the server one per column).
QString storedKinds(SqlConnection& connection, const QString& table, const QStringList& columns,
                    const QString& where);
// Rows loaded with their keys leave the server's identity counters behind, and the next insert
// without a key would take a key in use. Sets each past the highest key (nothing to do in a file).
void advanceIdentities(SqlConnection& connection);
// From now on every update of `table` fails with the engine's error `refused`.
void refuseUpdates(SqlConnection& connection, const QString& table);
} // namespace EngineCatalogue

// A test that runs once on each engine: the parameter names the engine ("Sqlite", "Postgres" in
// the test names). The Postgres run skips without a test server and fails when one is required.
class OnBothEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override;
    Engine engine() const { return GetParam(); }
    bool onServer() const { return GetParam() == Engine::Postgres; }
    // A new database on the test's engine; the test fails when it cannot be made (see ok()).
    std::unique_ptr<EngineDatabase> makeDatabase(EngineDatabase::Content content, const QString& directory,
                                                 const QString& fileName = QStringLiteral("Device.db"));
    // Fixtures deriving from this one return from their SetUp when this is true.
    bool setUpStopped() const { return IsSkipped() || HasFatalFailure(); }
};

std::string engineTestName(const ::testing::TestParamInfo<Engine>& info);

#define INSTREL_ON_BOTH_ENGINES(Fixture)                                                                     \
    INSTANTIATE_TEST_SUITE_P(, Fixture, ::testing::Values(Engine::Sqlite, Engine::Postgres), engineTestName)
