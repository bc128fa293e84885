// Grouping tree, filter-row condition and two-column sort of the table window on the big plant,
// each against the raw engine doing the same work on the same file in the same run.
#include "BenchSupport.h"

#include "data/Dataset.h"
#include "data/JetDialect.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "tables/FilterRowQuery.h"
#include "tables/GroupTreeBuilder.h"

#include <QCoreApplication>
#include <sqlite3.h>

namespace {

// Steps through every row and reads every column, as a client that fetches the result would.
qint64 rawFetch(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "raw statement failed: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    qint64 cells = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            cells += sqlite3_column_bytes(stmt, c) >= 0 ? 1 : 0;
    sqlite3_finalize(stmt);
    return cells;
}

size_t nodeCount(const std::vector<GroupNode>& nodes)
{
    size_t n = nodes.size();
    for (const GroupNode& node : nodes)
        n += nodeCount(node.children);
    return n;
}

void report(const char* what, double ours, double raw, double limit)
{
    std::printf("%-34s ours %8.1f ms   raw %8.1f ms   ratio %.2f (limit %.1f)\n", what, ours, raw, ours / raw, limit);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString file = bench::bigPlant();
    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    // The raw side compares texts the way the program does (without regard to letter case).
    SqliteExtensions::registerAll(raw);
    const int runs = 5;

    // Grouping by type, then location.
    const GroupTreeBuilder builder({QStringLiteral("Name_DevType"), QStringLiteral("Name_Location")},
                                   QStringLiteral("Pasport"));
    size_t nodes = 0;
    const double tree = bench::medianMs(runs, [&] { nodes = nodeCount(builder.load(connection)); });
    const double rawTree = bench::medianMs(runs, [&] {
        rawFetch(raw, "select Name_DevType, count(*) from Pasport group by Name_DevType");
        rawFetch(raw, "select Name_DevType, Name_Location, count(*) from Pasport group by Name_DevType, Name_Location");
    });
    std::printf("grouping tree: %zu nodes\n", nodes);
    report("grouping tree (2 levels)", tree, rawTree, 1.5);

    // A filter-row condition on the main query.
    const QString type = connection.scalar(QStringLiteral("select Name_DevType from Pasport group by Name_DevType "
                                                          "order by count(*) desc;"))
                             .toString();
    const auto condition = FilterRowQuery::parse(QStringLiteral("Name_DevType"), FilterRowQuery::ColumnKind::Text, type);
    const QString filtered =
        FilterRowQuery::rebuild(QStringLiteral("select * from Pasport\rWHERE\r1=1;"), {condition.condition});
    Dataset ds(&connection);
    int rows = 0;
    const double filter = bench::medianMs(runs, [&] {
        ds.close();
        ds.setSql(filtered);
        ds.open();
        rows = ds.recordCount();
    });
    const QByteArray rawFilter = "select * from Pasport where Name_DevType = " + SqlValue::quoted(type).toUtf8() +
                                 " collate UNICODE_NOCASE";
    const double rawFilterMs = bench::medianMs(runs, [&] { rawFetch(raw, rawFilter.constData()); });
    const QByteArray binaryFilter = "select * from Pasport where Name_DevType = " + SqlValue::quoted(type).toUtf8();
    std::printf("raw engine comparing texts byte for byte: %.1f ms\n",
                bench::medianMs(runs, [&] { rawFetch(raw, binaryFilter.constData()); }));
    const QByteArray translated = connection.translate(filtered).toUtf8();
    const double rawTranslated = bench::medianMs(runs, [&] { rawFetch(raw, translated.constData()); });
    std::printf("raw engine on the translated statement: %.1f ms\n", rawTranslated);
    const double selectOnly = bench::medianMs(runs, [&] { connection.select(filtered); });
    std::printf("filter row: %d rows of type %s; the connection's fetch alone %.1f ms\n", rows, qPrintable(type),
                selectOnly);
    report("filter-row condition", filter, rawFilterMs, 1.5);

    // Two-column sort of the whole list, the client sort against ORDER BY.
    const double sort = bench::medianMs(runs, [&] {
        ds.close();
        ds.setSort(QString());
        ds.setSql(QStringLiteral("select * from Pasport\rWHERE\r1=1;"));
        ds.open();
        ds.setSort(QStringLiteral("Name_DevType, Name_Location DESC"));
    });
    const double rawSort = bench::medianMs(runs, [&] {
        rawFetch(raw, "select * from Pasport order by Name_DevType, Name_Location desc");
    });
    report("open + two-column sort", sort, rawSort, 1.5);

    sqlite3_close(raw);
    return 0;
}
