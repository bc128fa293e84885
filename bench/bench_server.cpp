// The program on a PostgreSQL server against libpq in this process doing the same work on the same
// server in the same run: the device list (100,000 rows) and the services schedule (300,000 rows)
// read into a dataset, and the yearly plan generated; the big plant moved onto the server with the
// database tool, beside pg_restore of the same database.
//
// The server is named by INSTREL_BENCH_SERVER (a connection string without a database, e.g. what
// scripts/test-server prints). The server does much of the work here, so the timings are wall-clock
// medians, not this process's processor time.
#include "BenchSupport.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SessionTables.h"
#include "data/SqlConnection.h"
#include "devices/DeviceFrm.h"
#include "devices/NextRepFrm.h"
#include "plan/rules/YearReportBuilder.h"

#include <QCoreApplication>
#include <array>
#include <libpq-fe.h>

namespace {

const char* const kDatabase = "instrel_bench_big";

double wallMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

bench::Timing compareWall(int runs, const std::function<void()>& ours, const std::function<void()>& raw)
{
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(wallMs(ours));
        b.push_back(wallMs(raw));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

// libpq on the same server: the floor.
class RawServer {
public:
    explicit RawServer(const QString& connectionString)
    {
        m_conn = PQconnectdb(connectionString.toUtf8().constData());
        if (PQstatus(m_conn) != CONNECTION_OK)
            bench::fail(QStringLiteral("raw side cannot connect: ") + QString::fromUtf8(PQerrorMessage(m_conn)));
    }
    ~RawServer() { PQfinish(m_conn); }

    void exec(const QByteArray& sql)
    {
        PGresult* r = PQexec(m_conn, sql.constData());
        const auto status = PQresultStatus(r);
        const QString error = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            bench::fail(QStringLiteral("raw statement failed: %1\n%2").arg(error, QString::fromUtf8(sql)));
    }

    // Runs the statement and reads every cell, as the dataset does.
    bench::RawRead fetch(const QByteArray& sql)
    {
        PGresult* r = PQexec(m_conn, sql.constData());
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            const QString error = QString::fromUtf8(PQresultErrorMessage(r));
            PQclear(r);
            bench::fail(QStringLiteral("raw read failed: %1\n%2").arg(error, QString::fromUtf8(sql)));
        }
        bench::RawRead read;
        const int rows = PQntuples(r);
        const int columns = PQnfields(r);
        for (int row = 0; row < rows; ++row) {
            ++read.rows;
            for (int c = 0; c < columns; ++c) {
                ++read.cells;
                if (!PQgetisnull(r, row, c)) {
                    const int bytes = PQgetlength(r, row, c);
                    read.checksum += quint64(bytes) + (bytes > 0 ? quint8(PQgetvalue(r, row, c)[bytes - 1]) : 0);
                }
            }
        }
        PQclear(r);
        return read;
    }

    PGconn* handle() const { return m_conn; }

private:
    PGconn* m_conn = nullptr;
};

QString withDatabase(const QString& server, const QString& database)
{
    return server + QStringLiteral(" dbname=") + database;
}

bool databaseExists(const QString& server, const QString& database)
{
    RawServer admin(withDatabase(server, QStringLiteral("postgres")));
    return admin.fetch(QStringLiteral("select 1 from pg_database where datname = '%1'").arg(database).toUtf8()).rows == 1;
}

void recreateDatabase(const QString& server, const QString& database)
{
    RawServer admin(withDatabase(server, QStringLiteral("postgres")));
    admin.exec(QStringLiteral("drop database if exists %1").arg(database).toUtf8());
    admin.exec(QStringLiteral("create database %1").arg(database).toUtf8());
}

int runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral(INSTREL_INITDB_PATH), arguments);
    tool.waitForFinished(-1);
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

// The big plant onto the server with the tool (once; kept for the next runs), and pg_restore of a
// dump of it into another database, for comparison.
void movePlant(const QString& server)
{
    const QString target = withDatabase(server, QString::fromLatin1(kDatabase));
    if (databaseExists(server, QString::fromLatin1(kDatabase)) &&
        RawServer(target).fetch("select 1 from information_schema.tables where table_name = 'info'").rows == 1)
        return;
    recreateDatabase(server, QString::fromLatin1(kDatabase));
    const QString file = bench::bigPlant();
    const double copyMs = wallMs([&] {
        bench::require(runTool({QStringLiteral("--copy"), file, target}) == 0, QStringLiteral("the copy onto the server failed"));
    });
    bench::WorkFolder folder;
    const QString dump = folder.file(QStringLiteral("big.dump"));
    bench::require(QProcess::execute(QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"),
                                                                 QStringLiteral("--dbname=") + target,
                                                                 QStringLiteral("--file=") + dump}) == 0,
                   QStringLiteral("pg_dump failed"));
    recreateDatabase(server, QStringLiteral("instrel_bench_restore"));
    const double restoreMs = wallMs([&] {
        bench::require(QProcess::execute(QStringLiteral("pg_restore"),
                                         {QStringLiteral("--dbname=") + withDatabase(server, QStringLiteral("instrel_bench_restore")),
                                          QStringLiteral("--single-transaction"), dump}) == 0,
                       QStringLiteral("pg_restore failed"));
    });
    RawServer(withDatabase(server, QStringLiteral("postgres"))).exec("drop database instrel_bench_restore");
    std::printf("%-44s tool %9.1f ms   pg_restore %9.1f ms   ratio %5.2f  (reported, no goal)\n",
                "moving the big plant onto the server", copyMs, restoreMs, copyMs / restoreMs);
    std::fflush(stdout);
}

// The list as its window reads it: in the order of its key, which the raw side asks the server for.
void measureRead(const char* what, SqlConnection& connection, RawServer& raw, const QString& statement,
                 const QString& keyField, double goal)
{
    QByteArray sent = connection.translate(statement).toUtf8().trimmed();
    if (sent.endsWith(';'))
        sent.chop(1);
    sent += " order by " + keyField.toLower().toUtf8();
    qint64 ourRows = 0;
    const bench::RawRead floor = raw.fetch(sent);
    const bench::Timing t = compareWall(
        3,
        [&] {
            Dataset list(&connection);
            list.setServerOrderField(keyField);
            list.setSql(statement);
            list.open();
            ourRows = list.recordCount();
        },
        [&] { raw.fetch(sent); });
    bench::require(ourRows == floor.rows && ourRows > 0,
                   QStringLiteral("%1: ours read %2 rows, raw %3").arg(QString::fromLatin1(what)).arg(ourRows).arg(floor.rows));
    bench::report(what, t, goal);
}

void measurePlan(SqlConnection& connection, RawServer& raw)
{
    const int year = Clock::today().year();
    YearReportBuilder builder(connection);
    int written = 0;
    // The raw side writes the same rows the same way: its own session table, one transaction, one
    // prepared insert run per row.
    SessionTables::prepareYearPlan(connection);
    raw.exec("create temporary table yearreport as select * from yearreport where 1 = 0");
    bench::require(builder.BuildYearReport(year), QStringLiteral("the yearly plan was not generated"));
    std::vector<std::array<QByteArray, 3>> planned;
    const auto rows = connection.select(QStringLiteral("select IDevice, repdate, IRep from YearReport"));
    for (int r = 0; r < rows->rowCount(); ++r)
        planned.push_back({rows->value(r, 0).toByteArray(),
                           rows->value(r, 1).toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toUtf8(),
                           rows->value(r, 2).toByteArray()});
    const bench::Timing t = compareWall(
        3,
        [&] {
            bench::require(builder.BuildYearReport(year), QStringLiteral("the yearly plan was not generated"));
            written = int(builder.rowsWritten());
        },
        [&] {
            // The same read of the schedule the plan is computed from, then the same writes.
            raw.fetch(connection.translate(QStringLiteral("select IDevice, IRep, LastRep, NextRep, RT_Mon, ID_NextRep from nextrepview;")).toUtf8());
            raw.exec("begin");
            raw.exec("delete from yearreport");
            PQclear(PQprepare(raw.handle(), "plan", "insert into yearreport (idevice, repdate, irep) values ($1, $2, $3)", 3, nullptr));
            for (const auto& row : planned) {
                const char* values[] = {row[0].constData(), row[1].constData(), row[2].constData()};
                PQclear(PQexecPrepared(raw.handle(), "plan", 3, values, nullptr, nullptr, 0));
            }
            raw.exec("deallocate plan");
            raw.exec("commit");
        });
    bench::require(size_t(written) == planned.size(), QStringLiteral("the plan's rows differ between runs"));
    bench::require(written > 0, QStringLiteral("the yearly plan has no rows"));
    std::printf("yearly plan rows: %d\n", written);
    bench::report("generating the yearly plan on the server", t, 2.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return bench::run([] {
        const QString server = qEnvironmentVariable("INSTREL_BENCH_SERVER");
        bench::require(!server.isEmpty(), QStringLiteral("INSTREL_BENCH_SERVER names no server (scripts/test-server start prints one)"));
        movePlant(server);
        const QString target = withDatabase(server, QString::fromLatin1(kDatabase));
        SqlConnection connection;
        connection.setServer(target);
        RawServer raw(target);
        measureRead("opening the device list on the server", connection, raw, TDeviceForm::mainQuery(),
                    QStringLiteral("ID_Device"), 1.3);
        measureRead("opening the services schedule on the server", connection, raw, TNextRepForm::mainQuery(),
                    QStringLiteral("ID_NextRep"), 1.3);
        std::printf("resident memory: %.0f MB\n", bench::residentMb());
        measurePlan(connection, raw);
    });
}
