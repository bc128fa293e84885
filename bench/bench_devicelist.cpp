// The device list as the table window opens it: "select * from Pasport;" with every row fetched
// into a dataset, against the sqlite3 shell running the same query on the same file in the same run;
// and the memory the open dataset holds.
#include "BenchSupport.h"
#include "data/Dataset.h"
#include "data/SqlConnection.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString file = bench::bigPlant();
    const int runs = 5;
    const QString sql = QStringLiteral("select * from Pasport;");

    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    bench::sqliteShell(file, sql); // warm the page cache for both sides

    // Memory first, in a process that has not opened the list yet: what the open list holds.
    const double before = bench::residentMb();
    {
        Dataset ds(&connection);
        ds.setSql(sql);
        ds.open();
        const double after = bench::residentMb();
        std::printf("memory held by the open device list: %.1f MB (goal <= 150 MB)  %s\n", after - before,
                    after - before <= 150 ? "OK" : "OVER");
    }

    int rows = 0;
    const double ours = bench::medianMs(runs, [&] {
        Dataset ds(&connection);
        ds.setSql(sql);
        ds.open();
        rows = ds.recordCount();
    });
    const double raw = bench::medianMs(runs, [&] { bench::sqliteShell(file, sql); });
    std::printf("rows fetched: %d\n", rows);
    bench::report("open the device list (select * from Pasport)", ours, raw, 1.5);
    return 0;
}
