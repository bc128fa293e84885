// Building the generated databases: the big plant (100,000 devices, 300,000 next services, 1,000,000
// log rows) against SQLite's C API inserting the same rows into the same schema and indexes in the
// same run: one prepared insert per table, bound column by column, in one transaction; and the
// demonstration plant against its goal of a second or two.
#include "BenchSupport.h"
#include "data/BigPlantDatabase.h"
#include "data/DemoDatabase.h"
#include "data/InitialSchema.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"

#include <QCoreApplication>

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

// The engine alone: every row of the bulk tables, read from the generated file, written into `target`
// through a prepared insert. Returns the number of rows written.
qint64 rawInsert(const QString& source, const QString& target)
{
    const bench::RawDatabase db(target, SQLITE_OPEN_READWRITE);
    db.exec("ATTACH " + SqlValue::quoted(source).toUtf8() + " AS src");
    db.exec("BEGIN");
    qint64 written = 0;
    for (const char* table : kBulkTables) {
        sqlite3_stmt* read = db.prepare(QByteArray("SELECT * FROM src.") + table);
        const int columns = sqlite3_column_count(read);
        QByteArray insert = QByteArray("INSERT INTO main.") + table + " VALUES (?";
        for (int c = 1; c < columns; ++c)
            insert += ",?";
        sqlite3_stmt* write = db.prepare(insert + ")");
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
            if (sqlite3_step(write) != SQLITE_DONE)
                bench::fail(QStringLiteral("raw insert into %1 failed: %2")
                                .arg(QLatin1String(table), QString::fromUtf8(sqlite3_errmsg(db.handle()))));
            sqlite3_reset(write);
            ++written;
        }
        sqlite3_finalize(read);
        sqlite3_finalize(write);
    }
    db.exec("COMMIT");
    return written;
}

qint64 bulkRows(const QString& file)
{
    const bench::RawDatabase db(file);
    qint64 rows = 0;
    for (const char* table : kBulkTables) {
        sqlite3_stmt* count = db.prepare(QByteArray("SELECT count(*) FROM ") + table);
        if (sqlite3_step(count) == SQLITE_ROW)
            rows += sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
    }
    return rows;
}

} // namespace

void measure()
{
    const bench::WorkFolder folder;

    const QString generated = upgradedEmpty(folder.file("generated.db"));
    bench::Timing build;
    QElapsedTimer wall;
    wall.start();
    build.ours = bench::timeMs([&] {
        SqlConnection connection;
        connection.setDatabaseFile(generated);
        BigPlantDatabase::fill(connection);
    });
    const double oursWall = double(wall.elapsed());

    const QString copy = upgradedEmpty(folder.file("copy.db"));
    qint64 written = 0;
    build.raw = bench::timeMs([&] { written = rawInsert(generated, copy); });
    const qint64 generatedRows = bulkRows(generated);
    bench::require(written == generatedRows && generatedRows >= 1400000,
                   QStringLiteral("the big plant has %1 rows in its bulk tables, the raw side wrote %2")
                       .arg(generatedRows)
                       .arg(written));
    std::printf("rows in the bulk tables: %lld\n", generatedRows);
    bench::report("build the big plant", build, 3.0);
    std::printf("big plant built in %.1f s of wall time (goal <= 60 s)  %s\n", oursWall / 1000,
                oursWall <= 60000 ? "OK" : "OVER");

    const QString demo = upgradedEmpty(folder.file("demo.db"));
    SqlConnection connection;
    connection.setDatabaseFile(demo);
    QElapsedTimer demoWall;
    demoWall.start();
    DemoDatabase::fill(connection);
    const double demoMs = double(demoWall.elapsed());
    bench::require(connection.scalar(QStringLiteral("select count(*) from Device;")).toInt() > 0,
                   QStringLiteral("the demonstration plant has no devices"));
    std::printf("demo plant built in %.0f ms (goal <= 2000 ms)  %s\n", demoMs, demoMs <= 2000 ? "OK" : "OVER");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return bench::run(measure);
}
