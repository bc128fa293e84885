// The heavy steps of the device window on the big plant, each against SQLite's C API doing the same
// statements on a copy of the same file in the same run:
// - saving a device whose place changed: the update, the move and edit logs and their prunes (the
//   first save prunes most of the edit log and is reported apart);
// - the interval batch: changing an interval that thousands of next-service rows use, answered Yes;
// - deleting a device: its reference check, the "Deleted" log row, the delete and the clean-ups;
// - the inventory number pick-list over every device.
// A step that does not do its work prints FAIL and the benchmark exits non-zero.
#include "BenchSupport.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/JetDialect.h"
#include "data/LogAuthor.h"
#include "data/SchemaUpgrade.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "devices/rules/DeviceLogs.h"
#include "devices/rules/DeviceRecordRules.h"
#include "devices/rules/IntervalBatch.h"
#include "devices/rules/ServiceDates.h"
#include "devices/rules/ServiceRules.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QStringListModel>
#include <sqlite3.h>

namespace {

bool g_failed = false;

void fail(const QString& what)
{
    std::printf("FAIL: %s\n", qPrintable(what));
    g_failed = true;
}

// The raw side: the engine's C API on its own handle.
class Raw {
public:
    explicit Raw(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail(QStringLiteral("raw open: ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    ~Raw() { sqlite3_close(m_db); }
    // `jet` is one of the program's statements, sent as the program sends it.
    void exec(const QString& jet) const
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, JetDialect::toSqlite(jet).toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            fail(QStringLiteral("raw: ") + QString::fromUtf8(error) + QStringLiteral(" in ") + jet);
            sqlite3_free(error);
        }
    }
    qint64 scalar(const QString& jet) const
    {
        sqlite3_stmt* stmt = nullptr;
        qint64 value = -1;
        if (sqlite3_prepare_v2(m_db, JetDialect::toSqlite(jet).toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return value;
    }
    QString text(const QString& sql) const
    {
        sqlite3_stmt* stmt = nullptr;
        QString value;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return value;
    }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// The interval question is answered Yes, every other message is dropped.
class YesService final : public MessageService {
public:
    void show(Kind, const QString& text, const QString&) override { shown << text; }
    bool askYesNo(Kind, const QString&, const QString&) override { return true; }
    QStringList shown;
};

QString copyOf(const QString& big, const char* name)
{
    const QString path = big.section(QLatin1Char('/'), 0, -2) + QStringLiteral("/") + QString::fromLatin1(name);
    QFile::remove(path);
    if (!QFile::copy(big, path))
        fail(QStringLiteral("cannot copy the big plant to ") + path);
    return path;
}

Dataset* deviceRecord(SqlConnection& connection, qint64 id)
{
    auto* ds = new Dataset(&connection);
    ds->setSql(QStringLiteral("SELECT * FROM Device where Device.ID_Device = :ID_Device;"));
    ds->setParam(QStringLiteral("ID_Device"), id);
    return ds;
}

// ---------------------------------------------------------------- saving a device that moved

struct Move {
    qint64 device;
    qint64 place;
};

// Devices with a place, each with another place of the same location.
QList<Move> moves(SqlConnection& connection, int count)
{
    QList<Move> list;
    const auto rows = connection.select(QStringLiteral(
        "select d.ID_Device, (select min(p.ID_LocSet) from LocSet p where p.ILocation = d.ILocation and p.ID_LocSet <> "
        "d.ILocSet) from Device d where d.ILocSet is not null order by d.ID_Device limit 400"));
    for (int r = 0; r < rows->rowCount() && list.size() < count; ++r)
        if (!rows->isNull(r, 1))
            list.append({rows->value(r, 0).toLongLong(), rows->value(r, 1).toLongLong()});
    if (list.size() < count)
        fail(QStringLiteral("not enough devices with two places in their location"));
    return list;
}

void saveOurs(SqlConnection& connection, const Move& move)
{
    std::unique_ptr<Dataset> device(deviceRecord(connection, move.device));
    DeviceRecordRules rules(*device);
    device->open();
    device->setValue(QStringLiteral("ILocSet"), move.place);
    device->post();
}

void saveRaw(const Raw& raw, const Move& move)
{
    const auto values = [&raw, &move](const char* columns) {
        return raw.text(QStringLiteral("select %1 from Device where ID_Device = %2")
                            .arg(QLatin1String(columns))
                            .arg(move.device));
    };
    const QString location = values("ILocation");
    const QString place = values("ILocSet");
    const QString state = values("IState");
    const QString setPlace = values("SetPlace");
    const QString setDate = values("SetDate");
    const QString now = SqlValue::dateTimeText(QDateTime::currentDateTime());
    const QDate today = QDate::currentDate();
    raw.exec(QStringLiteral("BEGIN"));
    raw.exec(DeviceLogs::pruneStatement(DeviceLogs::Log::Move, today));
    raw.exec(DeviceLogs::moveLogInsert(move.device, QDateTime::currentDateTime(),
                                       {location, place, state, setPlace, setDate},
                                       {location, move.place, state, setPlace, setDate}, LogAuthor::loginName()));
    raw.exec(QStringLiteral("update Device set ILocSet = %1, ChangeDate = '%2' where ID_Device = %3")
                 .arg(move.place)
                 .arg(now)
                 .arg(move.device));
    raw.exec(QStringLiteral("COMMIT"));
    raw.exec(DeviceLogs::pruneStatement(DeviceLogs::Log::Edit, today));
    raw.exec(DeviceLogs::editLogInsert(move.device, DeviceLogs::EditKind::Edited, QDateTime::currentDateTime(),
                                       values("ANumber"), values("ZNumber"), LogAuthor::loginName()));
}

void benchSave(SqlConnection& ours, const Raw& raw)
{
    const QList<Move> list = moves(ours, 8);
    if (list.size() < 8)
        return;
    const int logBefore = ours.scalar(QStringLiteral("select count(*) from EditHist")).toInt();
    QElapsedTimer timer;
    timer.start();
    saveOurs(ours, list[0]);
    const double firstOurs = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    saveRaw(raw, list[0]);
    const double firstRaw = double(timer.nsecsElapsed()) / 1e6;
    const int logAfter = ours.scalar(QStringLiteral("select count(*) from EditHist")).toInt();
    std::printf("the first save pruned the edit log from %d to %d rows (raw side: %lld rows left)\n", logBefore,
                logAfter, raw.scalar(QStringLiteral("select count(*) from EditHist")));
    bench::report("first device save (prunes the edit log)", firstOurs, firstRaw, 1.5);

    // The two sides take turns: each save syncs the file, and the first saves left much of both files
    // to be written back; run one side after the other and the first would pay for that alone.
    std::vector<double> oursTimes, rawTimes;
    for (int i = 1; i < list.size(); ++i) {
        timer.restart();
        saveOurs(ours, list[i]);
        oursTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        saveRaw(raw, list[i]);
        rawTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(rawTimes.begin(), rawTimes.end());
    const double oursMs = oursTimes[oursTimes.size() / 2];
    const double rawMs = rawTimes[rawTimes.size() / 2];
    for (const Move& move : list) {
        const QString check = QStringLiteral("select count(*) from MovHist where IDevice = %1 and INewLocSet = %2")
                                  .arg(move.device)
                                  .arg(move.place);
        if (ours.scalar(check).toInt() != 1 || raw.scalar(check) != 1)
            fail(QStringLiteral("the move of device %1 was not logged once on each side").arg(move.device));
    }
    bench::report("device save with a changed place", oursMs, rawMs, 1.5);
}

// ---------------------------------------------------------------- the interval batch

void benchBatch(SqlConnection& ours, const Raw& raw)
{
    const auto top = ours.select(QStringLiteral(
        "select n.IDevRep, count(*), min(n.IDevice), r.ICrew from NextRep n inner join DevRep r on r.ID_DevRep = "
        "n.IDevRep group by n.IDevRep, r.ICrew order by count(*) desc limit 1"));
    if (top->rowCount() == 0)
        return fail(QStringLiteral("no interval in use"));
    const qint64 devRep = top->value(0, 0).toLongLong();
    const int rows = top->value(0, 1).toInt();
    const qint64 device = top->value(0, 2).toLongLong();
    const qint64 crew = top->value(0, 3).toLongLong();
    std::printf("interval %lld is used by %d next-service rows\n", devRep, rows);

    std::unique_ptr<Dataset> deviceDs(deviceRecord(ours, device));
    deviceDs->open();
    Dataset crewDevType(&ours);
    crewDevType.setSql(QStringLiteral("select * from CrewDevTypeView where IDevice = %1 and ICrew = %2;").arg(device).arg(crew));
    crewDevType.open();
    Dataset interval(&ours);
    interval.setSql(QStringLiteral("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE ID_DevRep = %1;")
                        .arg(devRep));
    DeviceIntervalRules rules(interval, *deviceDs, crewDevType);
    interval.open();
    if (crewDevType.isEmpty() || interval.isEmpty())
        return fail(QStringLiteral("the interval's device and crew were not found"));

    const double values[] = {2.15, 1.5};
    int run = 0;
    const double oursMs = bench::medianMs(5, [&] {
        interval.setValue(QStringLiteral("RT_Mon"), values[run++ % 2]);
        interval.post();
    });
    run = 0;
    const double rawMs = bench::medianMs(5, [&] {
        const double rtMon = values[run++ % 2];
        raw.exec(QStringLiteral("BEGIN"));
        raw.scalar(IntervalBatch::countStatement(devRep));
        raw.exec(IntervalBatch::updateStatement(devRep, rtMon));
        raw.exec(QStringLiteral("update DevRep set RT_Mon = %1 where ID_DevRep = %2").arg(SqlValue::number(rtMon)).arg(devRep));
        raw.exec(QStringLiteral("COMMIT"));
        if (sqlite3_changes(raw.handle()) < 0)
            fail(QStringLiteral("raw batch"));
    });
    // Both sides ended on 2.15: every next date with a last date is that date moved by it.
    const QString wrong = QStringLiteral("select count(*) from NextRep where IDevRep = %1 and LastRep is not null and "
                                         "NextRep <> DateAdd(\"d\", 15, DateAdd(\"m\", 2, LastRep))")
                              .arg(devRep);
    if (ours.scalar(wrong).toInt() != 0 || raw.scalar(wrong) != 0)
        fail(QStringLiteral("the batch left next dates that do not follow the interval"));
    const auto sample = ours.select(
        QStringLiteral("select LastRep, NextRep from NextRep where IDevRep = %1 and LastRep is not null limit 1").arg(devRep));
    if (sample->rowCount() == 0 ||
        ServiceDates::CountNextDate(sample->value(0, 0), 2.15).next != sample->value(0, 1).toDateTime())
        fail(QStringLiteral("the batch disagrees with Count next date"));
    bench::report(qPrintable(QStringLiteral("interval batch over %1 rows").arg(rows)), oursMs, rawMs, 1.5);
}

// ---------------------------------------------------------------- deleting a device

void benchDelete(SqlConnection& ours, const Raw& raw)
{
    // Devices nothing refers to, made for the purpose on both sides.
    QList<qint64> oursIds, rawIds;
    for (int i = 0; i < 5; ++i) {
        ours.execute(QStringLiteral("insert into Device (ANumber) values ('DEL-%1')").arg(i));
        oursIds.append(ours.lastInsertId());
        raw.exec(QStringLiteral("insert into Device (ANumber) values ('DEL-%1')").arg(i));
        rawIds.append(sqlite3_last_insert_rowid(raw.handle()));
    }
    int next = 0;
    const double oursMs = bench::medianMs(5, [&] {
        std::unique_ptr<Dataset> device(deviceRecord(ours, oursIds[next++]));
        DeviceRecordRules rules(*device);
        device->open();
        device->deleteRecord();
    });
    next = 0;
    const double rawMs = bench::medianMs(5, [&] {
        const qint64 id = rawIds[next++];
        raw.exec(QStringLiteral("BEGIN"));
        for (const char* table : {"DevCrew", "NextRep", "Refusal", "Complect"})
            raw.scalar(QStringLiteral(" SELECT count(*) as [count]  FROM %1 WHERE %1.IDevice = %2 ;")
                           .arg(QLatin1String(table))
                           .arg(id));
        raw.exec(DeviceLogs::pruneStatement(DeviceLogs::Log::Edit, QDate::currentDate()));
        raw.exec(DeviceLogs::editLogInsert(id, DeviceLogs::EditKind::Deleted, QDateTime::currentDateTime(),
                                           QStringLiteral("DEL"), QString(), LogAuthor::loginName()));
        raw.exec(QStringLiteral("delete from Device where ID_Device = %1").arg(id));
        for (const QString& statement : DeviceRecordRules::cleanUpStatements())
            raw.exec(statement);
        raw.exec(QStringLiteral("COMMIT"));
    });
    if (ours.scalar(QStringLiteral("select count(*) from Device where ANumber like 'DEL-%'")).toInt() != 0 ||
        raw.scalar(QStringLiteral("select count(*) from Device where ANumber like 'DEL-%'")) != 0)
        fail(QStringLiteral("a device was not deleted"));
    if (ours.scalar(QStringLiteral("select count(*) from EditHist where IVictim = 3 and ANumber like 'DEL-%'")).toInt() != 5)
        fail(QStringLiteral("a deletion was not logged"));
    bench::report("device deletion with its clean-ups", oursMs, rawMs, 1.5);
}

// ---------------------------------------------------------------- the number pick-list

// What entering the number editor does: the numbers read front to back until the list is full, each
// once whatever its letter case, handed to the editor's list model.
void benchPickList(TDM& dm, const Raw& raw)
{
    const QString statement = DeviceRecordRules::pickListStatement(QStringLiteral("ANumber"));
    QStringList values;
    QStringListModel editorList;
    const double oursMs = bench::medianMs(5, [&] {
        dm.FillDistinctValues(statement, QStringLiteral("anumber"), values, 1, 0);
        editorList.setStringList(values);
    });
    QStringList rawValues;
    const double rawMs = bench::medianMs(5, [&] {
        rawValues.clear();
        QSet<QString> seen;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.handle(), statement.toUtf8().constData(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW && rawValues.size() < 10000) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            const QString value = text ? QString::fromUtf8(text) : QString();
            if (!seen.contains(value.toCaseFolded())) {
                seen.insert(value.toCaseFolded());
                rawValues.append(value);
            }
        }
        sqlite3_finalize(stmt);
    });
    if (values.isEmpty() || values != rawValues || editorList.rowCount() != values.size())
        fail(QStringLiteral("the pick-lists differ (%1 and %2 values)").arg(values.size()).arg(rawValues.size()));
    std::printf("pick-list: %lld values, %.0f ms when the editor is entered\n", qlonglong(values.size()), oursMs);
    bench::report("inventory number pick-list over every device", oursMs, rawMs, 1.5);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString big = bench::bigPlant();
    const QString oursFile = copyOf(big, "devices-ours.db");
    const QString rawFile = copyOf(big, "devices-raw.db");
    // A big plant made by an earlier build gets the schema steps it lacks on both copies first: both
    // sides then write the same rows, and the first save times no change of the schema.
    for (const QString& file : {oursFile, rawFile}) {
        SqlConnection setup;
        setup.setDatabaseFile(file);
        const auto outcome =
            SchemaUpgrade(setup, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion();
        bench::require(outcome == SchemaUpgrade::Outcome::UpToDate || outcome == SchemaUpgrade::Outcome::Upgraded,
                       QStringLiteral("the schema steps did not run on %1").arg(file));
        bench::require(LogAuthor::ensureColumn(setup), QStringLiteral("the logs of %1 have no author").arg(file));
    }
    if (g_failed)
        return 1;
    YesService answers;
    MessageService::install(&answers);
    {
        TDM dm;
        dm.ADOConnection()->setDatabaseFile(oursFile);
        Raw raw(rawFile);
        try {
            benchSave(*dm.ADOConnection(), raw);
            benchBatch(*dm.ADOConnection(), raw);
            benchDelete(*dm.ADOConnection(), raw);
            benchPickList(dm, raw);
        } catch (const DatabaseError& error) {
            fail(error.message());
        }
    }
    MessageService::install(nullptr);
    QFile::remove(oursFile);
    QFile::remove(rawFile);
    return g_failed ? 1 : 0;
}
