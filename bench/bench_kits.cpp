// The kit panel of the device window on the big plant (1,000 kits, 5,486 entries): building the kit
// tree, and deleting every kit, each against SQLite's C API running the same statements on the same
// file in the same run. Works on a copy of the big plant, since the deletion changes it.
#include "BenchSupport.h"

#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/SqlConnection.h"
#include "devices/DeviceFrm.h"
#include "devices/rules/KitRules.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

struct Entry {
    qint64 id, root, device;
};

QList<qint64> columnOf(const bench::RawDatabase& raw, const QByteArray& sql)
{
    sqlite3_stmt* stmt = raw.prepare(sql);
    QList<qint64> ids;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        ids.append(sqlite3_column_int64(stmt, 0));
    sqlite3_finalize(stmt);
    bench::require(rc == SQLITE_DONE, QStringLiteral("raw read failed: ") + QString::fromUtf8(sqlite3_errmsg(raw.handle())));
    return ids;
}

// The raw side of a kit walk: the same level statements, each level's ids making the next one's list.
// Returns the levels top down.
QList<QList<qint64>> rawLevels(const bench::RawDatabase& raw, const SqlConnection& connection, qint64 from)
{
    QList<QList<qint64>> levels;
    QList<qint64> parents{from};
    while (!parents.isEmpty()) {
        parents = columnOf(raw, connection.translate(KitRules::childrenStatement(parents)).toUtf8());
        if (!parents.isEmpty())
            levels.append(parents);
    }
    return levels;
}

std::vector<Entry> readEntries(const bench::RawDatabase& raw)
{
    sqlite3_stmt* stmt = raw.prepare("select ID_Complect, IRoot, IDevice from Complect order by ID_Complect");
    std::vector<Entry> entries;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        entries.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1), sqlite3_column_int64(stmt, 2)});
    sqlite3_finalize(stmt);
    return entries;
}

// Puts the kits back as they were (not timed).
void restore(const bench::RawDatabase& raw, const std::vector<Entry>& entries)
{
    raw.exec("begin");
    raw.exec("delete from Complect");
    sqlite3_stmt* stmt = raw.prepare("insert into Complect (ID_Complect, IRoot, IDevice) values (?, ?, ?)");
    for (const Entry& e : entries) {
        sqlite3_bind_int64(stmt, 1, e.id);
        sqlite3_bind_int64(stmt, 2, e.root);
        sqlite3_bind_int64(stmt, 3, e.device);
        bench::require(sqlite3_step(stmt) == SQLITE_DONE, QStringLiteral("cannot put the kits back"));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    raw.exec("commit");
}

int countNodes(QTreeWidget& tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        ++n;
    return n;
}

void benchTree(TDeviceForm& form, const bench::RawDatabase& raw, SqlConnection& connection, int entries)
{
    QTreeWidget& tree = *form.complectTree();
    // Switching the panel on, as "Show kits" does, until the tree is painted: what the user waits for.
    QElapsedTimer shown;
    shown.start();
    form.setComplectVisible(true);
    form.updateOnIdle();
    QCoreApplication::processEvents();
    tree.viewport()->repaint();
    const double showMs = double(shown.nsecsElapsed()) / 1e6;

    const QByteArray texts = connection.translate(KitRules::textsStatement()).toUtf8();
    qint64 rawRows = 0;
    const bench::Timing build = bench::compare(
        5,
        [&] {
            form.BuildKitTree();
            tree.viewport()->repaint();
        },
        [&] {
            rawRows = 0;
            for (const QList<qint64>& level : rawLevels(raw, connection, 0))
                rawRows += level.size();
            bench::require(raw.fetch(texts).rows == entries, QStringLiteral("the raw side read other texts"));
        });
    const int nodes = countNodes(tree) - 2; // without the two roots
    bench::require(nodes == entries && rawRows == entries,
                   QStringLiteral("the tree has %1 kit nodes, the raw side walked %2 of %3 entries")
                       .arg(nodes)
                       .arg(rawRows)
                       .arg(entries));
    std::printf("kit tree: %d nodes under \"Kits\"; panel switched on and painted in %.0f ms (wall clock)\n", nodes,
                showMs);
    bench::report("BuildKitTree (1,000 kits)", build, 1.5);
    form.setComplectVisible(false);
}

void benchDeleteAll(SqlConnection& connection, const bench::RawDatabase& raw, const std::vector<Entry>& entries)
{
    const QByteArray remove = connection.translate(KitRules::deleteStatement()).toUtf8().replace(":ID_Complect", "?");
    int deleted = 0;
    qint64 rawDeleted = 0;
    std::vector<double> ours, floor;
    for (int i = 0; i < 3; ++i) {
        restore(raw, entries);
        ours.push_back(bench::timeMs([&] { deleted = KitRules::deleteKit(connection, 0); }));
        bench::require(deleted == int(entries.size()) && columnOf(raw, "select count(*) from Complect").value(0) == 0,
                       QStringLiteral("deleted %1 of %2 entries").arg(deleted).arg(entries.size()));
        restore(raw, entries);
        floor.push_back(bench::timeMs([&] {
            const QList<QList<qint64>> levels = rawLevels(raw, connection, 0);
            raw.exec("begin");
            sqlite3_stmt* stmt = raw.prepare(remove);
            rawDeleted = 0;
            for (auto level = levels.rbegin(); level != levels.rend(); ++level)
                for (qint64 id : *level) {
                    sqlite3_bind_int64(stmt, 1, id);
                    bench::require(sqlite3_step(stmt) == SQLITE_DONE, QStringLiteral("raw delete failed"));
                    rawDeleted += sqlite3_changes(raw.handle());
                    sqlite3_reset(stmt);
                }
            sqlite3_finalize(stmt);
            raw.exec("commit");
        }));
        bench::require(rawDeleted == qint64(entries.size()),
                       QStringLiteral("the raw side deleted %1 of %2").arg(rawDeleted).arg(entries.size()));
    }
    restore(raw, entries);
    std::sort(ours.begin(), ours.end());
    std::sort(floor.begin(), floor.end());
    std::printf("delete all kits: %d entries in one transaction\n", deleted);
    bench::report("Delete all kits", ours[1], floor[1], 1.5);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString big = bench::bigPlant();
    bench::WorkFolder work; // the copy and the window's settings file go here
    QDir::setCurrent(work.file(QString()));
    const QString file = work.file(QStringLiteral("Kits.db"));
    bench::require(QFile::copy(big, file), QStringLiteral("cannot copy the big plant to ") + file);
    return bench::run([&] {
        TDM dm;
        SqlConnection& connection = *dm.ADOConnection();
        connection.setDatabaseFile(file);
        const bench::RawDatabase raw(file, SQLITE_OPEN_READWRITE);
        const std::vector<Entry> entries = readEntries(raw);
        const QList<QList<qint64>> levels = rawLevels(raw, connection, 0);
        bench::require(entries.size() > 5000 && levels.value(0).size() >= 1000,
                       QStringLiteral("the big plant has %1 kit entries in %2 kits")
                           .arg(entries.size())
                           .arg(levels.value(0).size()));
        std::printf("kits: %lld heads, %zu entries, %lld levels\n", qlonglong(levels.value(0).size()), entries.size(),
                    qlonglong(levels.size()));
        {
            TDeviceForm form;
            form.resize(1200, 800);
            form.show();
            benchTree(form, raw, connection, int(entries.size()));
        }
        benchDeleteAll(connection, raw, entries);
    });
}
