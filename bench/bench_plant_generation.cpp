// Building the generated databases: the big plant (100,000 devices, 300,000 next services, 1,000,000
// log rows) against the sqlite3 shell inserting the same rows into the same schema and indexes in one
// transaction; and the demonstration plant against its goal of a second or two.
#include "BenchSupport.h"
#include "data/BigPlantDatabase.h"
#include "data/DemoDatabase.h"
#include "data/InitialSchema.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <sqlite3.h>

namespace {

// An upgraded database with no rows, as the database tool makes it before filling it.
QString upgradedEmpty(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "PRAGMA user_version = 0;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    SqlConnection connection;
    connection.setDatabaseFile(path);
    InitialSchema::create(connection);
    SchemaUpgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion();
    return path;
}

const char* const kBulkTables[] = {
    "Device", "DevCrew", "NextRep", "EditHist", "MovHist", "RepHist", "Complect", "Refusal", "RefusParamValue",
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    const QString generated = upgradedEmpty(dir.filePath("generated.db"));
    QElapsedTimer timer;
    timer.start();
    {
        SqlConnection connection;
        connection.setDatabaseFile(generated);
        BigPlantDatabase::fill(connection);
    }
    const double ours = double(timer.nsecsElapsed()) / 1e6;

    // The engine alone: the same rows, read from the generated file, into the same empty schema (the
    // WHERE clause keeps the engine from copying whole pages instead of inserting row by row).
    const QString copy = upgradedEmpty(dir.filePath("copy.db"));
    QString script = QStringLiteral("ATTACH '%1' AS src; BEGIN;").arg(generated);
    for (const char* table : kBulkTables)
        script += QStringLiteral(" INSERT INTO main.%1 SELECT * FROM src.%1 WHERE 1;").arg(QLatin1String(table));
    script += QStringLiteral(" COMMIT;");
    timer.restart();
    bench::sqliteShell(copy, script);
    const double raw = double(timer.nsecsElapsed()) / 1e6;
    bench::report("build the big plant", ours, raw, 3.0);
    std::printf("big plant built in %.1f s (goal <= 60 s)  %s\n", ours / 1000, ours <= 60000 ? "OK" : "OVER");

    const QString demo = upgradedEmpty(dir.filePath("demo.db"));
    SqlConnection connection;
    connection.setDatabaseFile(demo);
    timer.restart();
    DemoDatabase::fill(connection);
    const double demoMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("demo plant built in %.0f ms (goal <= 2000 ms)  %s\n", demoMs, demoMs <= 2000 ? "OK" : "OVER");
    return 0;
}
