// The lists the table windows open, read as a window reads them (its statement with the "1=1" line,
// every row fetched into a dataset), against SQLite's C API reading every column of every row of the
// same statement on the same file in the same run: the device list "select * from Pasport;" (100,000
// rows), the next services "select * from nextrepview;" (300,000) and the edit log
// "select * from EditHistView;" (400,000); and the memory the open device list holds.
#include "BenchSupport.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "tables/MainQueryText.h"

#include <QCoreApplication>

namespace {

struct List {
    const char* what;
    const char* statement;
    int expectedRows;
};

const List kLists[] = {
    {"open the device list (Pasport)", "select * from Pasport;", 100000},
    {"open the next services (nextrepview)", "select * from nextrepview;", 300000},
    {"open the edit log (EditHistView)", "select * from EditHistView;", 400000},
};

} // namespace

void measure()
{
    const QString file = bench::bigPlant();
    const int runs = 7;

    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    const bench::RawDatabase raw(file);

    // Memory first, in a process that has not opened a list yet: what the open device list holds.
    raw.fetch("select * from Pasport"); // warms the page cache for both sides
    const double before = bench::residentMb();
    {
        Dataset ds(&connection);
        ds.setSql(QString::fromLatin1(kLists[0].statement));
        ds.open();
        const double held = bench::residentMb() - before;
        std::printf("memory held by the open device list: %.1f MB (goal <= 150 MB)  %s\n", held,
                    held <= 150 ? "OK" : "OVER");
    }

    for (const List& list : kLists) {
        const QString statement = MainQueryText::anchoredQuery(QString::fromLatin1(list.statement));
        const QByteArray sent = connection.translate(statement).toUtf8();
        int rows = 0;
        bench::RawRead read;
        const bench::Timing t = bench::compare(
            runs,
            [&] {
                Dataset ds(&connection);
                ds.setSql(statement);
                ds.open();
                rows = ds.recordCount();
            },
            [&] { read = raw.fetch(sent); });
        bench::require(rows == read.rows && rows >= list.expectedRows,
                       QStringLiteral("%1: the dataset has %2 rows, the raw read %3, at least %4 expected")
                           .arg(QLatin1String(list.what))
                           .arg(rows)
                           .arg(read.rows)
                           .arg(list.expectedRows));
        const double fetch = bench::medianMs(runs, [&] { connection.select(statement); });
        std::printf("%s: %d rows, %lld cells; the connection's fetch alone %.1f ms\n", list.statement, rows, read.cells,
                    fetch);
        bench::report(list.what, t, 1.3);
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return bench::run(measure);
}
