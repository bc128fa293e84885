#include "support/EngineDatabase.h"

#include "data/DatabaseError.h"
#include "data/InitialSchema.h"
#include "data/PlantCopy.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

void upgradeQuietly(SqlConnection& connection)
{
    SchemaUpgrade upgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false});
    if (upgrade.CheckSchemaVersion() != SchemaUpgrade::Outcome::Upgraded)
        throw DatabaseError(QStringLiteral("the upgrade of a new test database failed"));
}

// The demonstration plant is generated into a file (as the database tool does) and copied onto the
// server with its keys.
void copyDemoPlant(SqlConnection& server)
{
    QTemporaryDir folder;
    SqlConnection file;
    file.setDatabaseFile(TestDatabase::createDemoDatabase(folder.path()));
    for (const PlantCopy::TableResult& table : PlantCopy(file, server).run())
        if (!table.same())
            throw DatabaseError(QStringLiteral("the demo plant's table %1 differs on the server").arg(table.table));
}

QStringList firstColumn(SqlConnection& connection, const QString& statement, const SqlParams& params = {})
{
    const auto rows = connection.select(statement, {}, params);
    QStringList values;
    for (int r = 0; r < rows->rowCount(); ++r)
        values.append(rows->value(r, 0).toString());
    return values;
}

} // namespace

EngineDatabase::EngineDatabase(Engine engine, Content content, const QString& directory, const QString& fileName)
    : m_engine(engine)
{
    try {
        if (engine == Engine::Sqlite) {
            m_location = content == Content::Bare  ? TestDatabase::createBlankDatabase(directory, fileName)
                         : content == Content::Empty ? TestDatabase::createEmptyDatabase(directory, fileName)
                         : content == Content::UpgradedEmpty
                             ? TestDatabase::createUpgradedEmptyDatabase(directory, fileName)
                             : TestDatabase::createDemoDatabase(directory, fileName);
            return;
        }
        m_scratch = std::make_unique<TestServer::ScratchDatabase>();
        m_location = m_scratch->connectionString();
        if (m_location.isEmpty()) {
            m_error = m_scratch->error().isEmpty() ? QStringLiteral("no test server") : m_scratch->error();
            return;
        }
        m_serverName = m_location.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
        build(content);
    } catch (const DatabaseError& e) {
        m_error = e.message();
    } catch (const std::exception& e) {
        m_error = QString::fromLocal8Bit(e.what());
    }
}

EngineDatabase::~EngineDatabase() = default;

void EngineDatabase::build(Content content)
{
    if (content == Content::Bare)
        return;
    SqlConnection connection;
    connect(connection);
    InitialSchema::create(connection);
    if (content == Content::Empty)
        return;
    upgradeQuietly(connection);
    if (content == Content::Demo)
        copyDemoPlant(connection);
}

void EngineDatabase::connect(SqlConnection& connection) const
{
    if (m_engine == Engine::Sqlite)
        connection.setDatabaseFile(m_location);
    else
        connection.setServer(m_location);
}

namespace EngineCatalogue {

bool onServer(SqlConnection& connection) { return !connection.server().isEmpty(); }

namespace {
int countObjects(SqlConnection& connection, const QString& kind, const QString& name)
{
    const QString statement =
        onServer(connection)
            ? QStringLiteral("select count(*) from information_schema.tables where table_schema = current_schema() "
                             "and table_type = '%1' and table_name = lower(:name)")
                  .arg(kind == QLatin1String("table") ? QStringLiteral("BASE TABLE") : QStringLiteral("VIEW"))
            : QStringLiteral("select count(*) from sqlite_master where type = '%1' and lower(name) = lower(:name)")
                  .arg(kind);
    return connection.scalar(statement, {{QStringLiteral("name"), name}}).toInt();
}
} // namespace

bool hasTable(SqlConnection& connection, const QString& name) { return countObjects(connection, "table", name) == 1; }

bool hasView(SqlConnection& connection, const QString& name) { return countObjects(connection, "view", name) == 1; }

bool hasColumn(SqlConnection& connection, const QString& table, const QString& column)
{
    return connection.tableInfo(table).columns.contains(column, Qt::CaseInsensitive);
}

QStringList viewNames(SqlConnection& connection)
{
    return firstColumn(connection, onServer(connection)
                                       ? QStringLiteral("select table_name from information_schema.views where "
                                                        "table_schema = current_schema() order by 1")
                                       : QStringLiteral("select name from sqlite_master where type = 'view' order by 1"));
}

QStringList schemaObjects(SqlConnection& connection)
{
    if (!onServer(connection))
        return firstColumn(connection, QStringLiteral("select type || '|' || name || '|' || sql from sqlite_master "
                                                      "where type in ('table', 'view') order by name"));
    QStringList objects = firstColumn(
        connection,
        QStringLiteral("select 'table|' || c.table_name || '|' || string_agg(c.column_name || ' ' || c.data_type || "
                       "' ' || c.is_nullable || ' ' || c.is_identity || ' ' || coalesce(c.column_default, ''), ', ' "
                       "order by c.ordinal_position) from information_schema.columns c join information_schema.tables t "
                       "using (table_schema, table_name) where c.table_schema = current_schema() and t.table_type = "
                       "'BASE TABLE' group by c.table_name"));
    objects += firstColumn(connection, QStringLiteral("select 'view|' || viewname || '|' || definition from pg_views "
                                                      "where schemaname = current_schema()"));
    std::sort(objects.begin(), objects.end(),
              [](const QString& a, const QString& b) { return a.section('|', 1, 1) < b.section('|', 1, 1); });
    return objects;
}

QString storedKinds(SqlConnection& connection, const QString& table, const QStringList& columns, const QString& where)
{
    QStringList kinds;
    for (const QString& column : columns)
        kinds.append(onServer(connection) ? QStringLiteral("CAST(pg_typeof(%1) AS text)").arg(column)
                                          : QStringLiteral("typeof(%1)").arg(column));
    const auto rows = connection.select(QStringLiteral("select %1 from %2 where %3 limit 1")
                                            .arg(kinds.join(QStringLiteral(", ")), table, where));
    QStringList result;
    for (int c = 0; rows->rowCount() > 0 && c < rows->columnCount(); ++c) {
        const QString kind = rows->value(0, c).toString();
        static const QRegularExpression integer(QStringLiteral("^(integer|bigint|smallint)$"));
        static const QRegularExpression real(QStringLiteral("^(numeric|double precision|real)"));
        result.append(integer.match(kind).hasMatch() ? QStringLiteral("integer")
                      : real.match(kind).hasMatch()  ? QStringLiteral("real")
                      : kind.startsWith(QLatin1String("character")) ? QStringLiteral("text")
                                                                     : kind);
    }
    return result.join(QLatin1Char('|'));
}

void advanceIdentities(SqlConnection& connection)
{
    if (!onServer(connection))
        return;
    connection.execute(QStringLiteral(
        "DO $body$ DECLARE r record; BEGIN FOR r IN SELECT table_name, column_name FROM "
        "information_schema.columns WHERE is_identity = 'YES' AND table_schema = current_schema() LOOP "
        "EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, %L), coalesce(max(%I), 0) + 1, false) "
        "FROM %I', r.table_name, r.column_name, r.column_name, r.table_name); END LOOP; END $body$"));
}

void refuseUpdates(SqlConnection& connection, const QString& table)
{
    if (!onServer(connection)) {
        connection.execute(QStringLiteral("create trigger refuse_update before update on %1 begin select "
                                          "raise(abort, 'refused'); end")
                               .arg(table));
        return;
    }
    connection.execute(QStringLiteral("create or replace function refuse_update() returns trigger language plpgsql "
                                      "as $body$ begin raise exception 'refused'; end $body$"));
    connection.execute(QStringLiteral("create trigger refuse_update before update on %1 for each row execute "
                                      "function refuse_update()")
                           .arg(table));
}

} // namespace EngineCatalogue

void OnBothEngines::SetUp()
{
    if (onServer())
        INSTREL_REQUIRE_TEST_SERVER();
}

std::unique_ptr<EngineDatabase> OnBothEngines::makeDatabase(EngineDatabase::Content content, const QString& directory,
                                                            const QString& fileName)
{
    auto database = std::make_unique<EngineDatabase>(engine(), content, directory, fileName);
    if (!database->ok())
        ADD_FAILURE() << "the test database could not be made: " << database->error().toStdString();
    return database;
}

std::string engineTestName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}
