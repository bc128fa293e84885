// Grouping tree, filter-row condition and two-column sort of the table window on the big plant,
// each against SQLite's C API doing the same work on the same file in the same run.
#include "BenchSupport.h"

#include "data/Dataset.h"
#include "data/JetDialect.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "tables/FilterRowQuery.h"
#include "tables/GroupTreeBuilder.h"

#include <QCoreApplication>

namespace {

size_t nodeCount(const std::vector<GroupNode>& nodes)
{
    size_t n = nodes.size();
    for (const GroupNode& node : nodes)
        n += nodeCount(node.children);
    return n;
}

} // namespace

void measure()
{
    const QString file = bench::bigPlant();
    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    const bench::RawDatabase raw(file);
    // The raw side compares texts the way the program does (without regard to letter case).
    SqliteExtensions::registerAll(raw.handle());
    const int runs = 5;

    // Grouping by type, then location.
    const GroupTreeBuilder builder({QStringLiteral("Name_DevType"), QStringLiteral("Name_Location")},
                                   QStringLiteral("Pasport"));
    size_t nodes = 0;
    qint64 rawRows = 0;
    const bench::Timing tree = bench::compare(
        runs, [&] { nodes = nodeCount(builder.load(connection)); },
        [&] {
            rawRows = raw.fetch("select Name_DevType, count(*) from Pasport group by Name_DevType").rows +
                      raw.fetch("select Name_DevType, Name_Location, count(*) from Pasport "
                                "group by Name_DevType, Name_Location")
                          .rows;
        });
    bench::require(qint64(nodes) == rawRows && nodes > 0,
                   QStringLiteral("grouping tree of %1 nodes, the raw side read %2 groups").arg(nodes).arg(rawRows));
    std::printf("grouping tree: %zu nodes\n", nodes);
    bench::report("grouping tree (2 levels)", tree, 1.5);

    // A filter-row condition on the main query.
    const QString type = connection
                             .scalar(QStringLiteral("select Name_DevType from Pasport group by Name_DevType "
                                                    "order by count(*) desc;"))
                             .toString();
    const auto condition =
        FilterRowQuery::parse(QStringLiteral("Name_DevType"), FilterRowQuery::ColumnKind::Text, type);
    const QString filtered =
        FilterRowQuery::rebuild(QStringLiteral("select * from Pasport\rWHERE\r1=1;"), {condition.condition});
    Dataset ds(&connection);
    int rows = 0;
    const QByteArray rawFilter =
        "select * from Pasport where Name_DevType = " + SqlValue::quoted(type).toUtf8() + " collate UNICODE_NOCASE";
    bench::RawRead read;
    const bench::Timing filter = bench::compare(
        runs,
        [&] {
            ds.close();
            ds.setSql(filtered);
            ds.open();
            rows = ds.recordCount();
        },
        [&] { read = raw.fetch(rawFilter); });
    bench::require(rows == read.rows && rows > 0,
                   QStringLiteral("filter row: %1 rows, the raw side %2").arg(rows).arg(read.rows));
    std::printf("filter row: %d rows of type %s\n", rows, qPrintable(type));
    bench::report("filter-row condition", filter, 1.5);

    // Two-column sort of the whole list, the client sort against ORDER BY.
    const bench::Timing sort = bench::compare(
        runs,
        [&] {
            ds.close();
            ds.setSort(QString());
            ds.setSql(QStringLiteral("select * from Pasport\rWHERE\r1=1;"));
            ds.open();
            ds.setSort(QStringLiteral("Name_DevType, Name_Location DESC"));
            rows = ds.recordCount();
        },
        [&] { read = raw.fetch("select * from Pasport order by Name_DevType, Name_Location desc"); });
    bench::require(rows == read.rows && rows > 0,
                   QStringLiteral("sort: %1 rows, the raw side %2").arg(rows).arg(read.rows));
    bench::report("open + two-column sort", sort, 1.5);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return bench::run(measure);
}
