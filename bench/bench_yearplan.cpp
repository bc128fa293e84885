// The yearly service plan on the big plant for next year: the generation, the plan list and the
// month counts behind the pivot, each against SQLite's C API doing the same work on the same file in
// the same run; then GO end to end and how soon a Cancel takes effect.
#include "BenchSupport.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "plan/rules/PivotQuery.h"
#include "plan/rules/ServicePivot.h"
#include "plan/rules/YearPlanRule.h"
#include "plan/rules/YearReportBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <sqlite3.h>

namespace {

bool failed = false;

void fail(const char* what)
{
    std::printf("FAIL: %s\n", what);
    failed = true;
}

void check(sqlite3* db, int rc, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::printf("FAIL: %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

QDate dateOf(const unsigned char* text)
{
    if (!text)
        return {};
    const auto digits = [text](int at, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = v * 10 + (text[at + i] - '0');
        return v;
    };
    return QDate(digits(0, 4), digits(5, 2), digits(8, 2));
}

// The generation as a program using the engine directly would write it: one pass over the same
// columns, the delete, one prepared insert, one transaction. The refusal checks are made as well.
qint64 rawGeneration(sqlite3* db, int year, const QDate& today)
{
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
    check(db, sqlite3_exec(db, "Delete from YearReport;", nullptr, nullptr, nullptr), "delete");
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* insert = nullptr;
    check(db, sqlite3_prepare_v2(db, "select IDevice, IRep, LastRep, NextRep, RT_Mon, ID_NextRep from nextrepview;", -1,
                                 &select, nullptr), "select");
    check(db, sqlite3_prepare_v2(db, "insert into YearReport (idevice,repdate,irep) values (?,?,?);", -1, &insert,
                                 nullptr), "insert");
    qint64 written = 0;
    char day[32];
    while (sqlite3_step(select) == SQLITE_ROW) {
        const QDate last = dateOf(sqlite3_column_text(select, 2));
        if (last.isValid() && last > today)
            fail("a last date after today in the big plant");
        const QDate next = dateOf(sqlite3_column_text(select, 3));
        const int k = YearPlan::stepMonths(sqlite3_column_type(select, 4) == SQLITE_NULL
                                               ? QVariant()
                                               : QVariant(sqlite3_column_double(select, 4)));
        const QList<QDate> dates = YearPlan::occurrences(today, year, next, k);
        if (dates.isEmpty() || sqlite3_column_type(select, 0) == SQLITE_NULL ||
            sqlite3_column_type(select, 1) == SQLITE_NULL)
            continue;
        for (const QDate& d : dates) {
            std::snprintf(day, sizeof day, "%04d-%02d-%02d 00:00:00", d.year(), d.month(), d.day());
            sqlite3_bind_int64(insert, 1, sqlite3_column_int64(select, 0));
            sqlite3_bind_text(insert, 2, day, -1, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 3, sqlite3_column_int64(select, 1));
            check(db, sqlite3_step(insert), "insert row");
            sqlite3_reset(insert);
            ++written;
        }
    }
    sqlite3_finalize(select);
    sqlite3_finalize(insert);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    return written;
}

} // namespace

void measure()
{
    // The plan writes: work on a copy of the big plant in a folder of our own.
    const bench::WorkFolder folder;
    const QString file = folder.file(QStringLiteral("Plan.db"));
    bench::require(QFile::copy(bench::bigPlant(), file), QStringLiteral("cannot copy the big plant to ") + file);
    const QDate today = Clock::today();
    const int year = today.year() + 1;
    const int runs = 3;

    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    const bench::RawDatabase rawDb(file, SQLITE_OPEN_READWRITE);
    sqlite3* raw = rawDb.handle();

    // Generation.
    qint64 oursRows = 0;
    qint64 rawRows = 0;
    YearReportBuilder builder(connection);
    const double ours = bench::medianMs(runs, [&] {
        if (!builder.BuildYearReport(year))
            fail("the plan was not built");
        oursRows = builder.rowsWritten();
    });
    const double rawMs = bench::medianMs(runs, [&] { rawRows = rawGeneration(raw, year, today); });
    const qint64 records = connection.scalar(QStringLiteral("select count(*) from nextrepview;")).toLongLong();
    std::printf("plan for %d: %lld next-service records, %lld plan rows (raw %lld)\n", year, (long long)records,
                (long long)oursRows, (long long)rawRows);
    if (oursRows != rawRows || oursRows == 0)
        fail("the two generations wrote different plans");
    bench::report("generation (one transaction)", ours, rawMs, 2.0);

    // Our plan stays for the list and the counts.
    builder.BuildYearReport(year);

    // The plan list as the window opens it.
    const QString listSql = QStringLiteral("select * from YearReportView\rWHERE\r1=1;");
    const QByteArray rawList = connection.translate(listSql).toUtf8();
    rawDb.fetch(rawList); // warm the cache for both sides
    const double before = bench::residentMb();
    int listed = 0;
    {
        Dataset ds(&connection);
        ds.setSql(listSql);
        ds.open();
        listed = ds.recordCount();
        const double held = bench::residentMb() - before;
        std::printf("memory held by the open plan list: %.1f MB (goal <= 150 MB)  %s\n", held,
                    held <= 150 ? "OK" : "OVER");
    }
    qint64 rawListed = 0;
    const bench::Timing list = bench::compare(
        runs,
        [&] {
            Dataset ds(&connection);
            ds.setSql(listSql);
            ds.open();
            listed = ds.recordCount();
        },
        [&] { rawListed = rawDb.fetch(rawList).rows; });
    std::printf("plan list: %d rows (raw %lld)\n", listed, (long long)rawListed);
    if (listed != rawListed || listed == 0)
        fail("the plan list and the raw fetch differ");
    bench::report("plan list (all rows)", list, 1.5);

    // The month counts and the pivot made of them.
    qint64 total = 0;
    const QByteArray rawCounts = connection.translate(PivotQuery::savedText()).toUtf8();
    const bench::Timing pivot = bench::compare(
        runs,
        [&] {
            Dataset c1(&connection);
            c1.setSql(PivotQuery::savedText());
            c1.open();
            total = ServicePivot::fromRows(*c1.rows()).total();
        },
        [&] { rawDb.fetch(rawCounts); });
    std::printf("pivot: %lld planned services\n", (long long)total);
    if (total != listed)
        fail("the pivot does not count the listed rows");
    bench::report("month counts with the pivot", pivot, 1.5);

    // GO end to end: the generation, then the list read again.
    const double go = bench::medianMs(runs, [&] {
        builder.BuildYearReport(year);
        Dataset ds(&connection);
        ds.setSql(listSql);
        ds.open();
    });
    std::printf("GO end to end (generation and list): %.1f ms\n", go);

    // Cancel half-way: from the callback's "stop" to the plan being back as it was.
    QElapsedTimer sinceCancel;
    builder.setProgress([&](int done, int all) {
        if (done < all / 2)
            return true;
        sinceCancel.start();
        return false;
    });
    if (builder.BuildYearReport(year) || builder.outcome() != YearReportBuilder::Outcome::Cancelled)
        fail("the generation did not stop");
    std::printf("cancel takes effect (rollback included) in %.1f ms\n", double(sinceCancel.nsecsElapsed()) / 1e6);
    if (connection.scalar(QStringLiteral("select count(*) from YearReport;")).toLongLong() != oursRows)
        fail("a cancelled generation changed the plan");

    connection.close();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::run(measure);
    return failed ? 1 : 0;
}
