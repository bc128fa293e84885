// The device import on a large file: 100,000 devices on 300,000 rows (each row one service of its
// device, the device's columns repeated), read from a .csv, checked and stored in one transaction,
// against SQLite's C API inserting the same devices, edit-log entries, crews and next-service rows
// with prepared statements in one transaction, in the same run. Each side writes into its own copy of
// a demonstration plant. INSTREL_IMPORT_DEVICES sets another number of devices.
#include "BenchSupport.h"

#include "data/SqlConnection.h"
#include "devices/import/DeviceImport.h"
#include "devices/import/TableSource.h"

#include <QCoreApplication>
#include <QDate>

namespace {

struct Service {
    const char* shortName;
    const char* crew;
};
const Service kServices[] = {{"ТО", "Бригада КИП котельной"}, {"ТР", "Бригада КИП котельной"}, {"ПВ", "Группа поверки"}};

QString writeFile(const QString& path, int devices)
{
    QFile file(path);
    bench::require(file.open(QIODevice::WriteOnly), QStringLiteral("cannot write ") + path);
    QByteArray out("Заводской номер;Инвентарный номер;Тип;Марка;Расположение;Состояние;Дата установки;"
                   "Аббревиатура обслуживания;Бригада;Дата предыдущего обслуживания\n");
    for (int d = 0; d < devices; ++d) {
        for (const Service& s : kServices) {
            out += "BZ-" + QByteArray::number(d) + ";BA-" + QByteArray::number(d) +
                   ";Манометр показывающий;МП-100;Котельная;В работе;15.03.2024;" + s.shortName + ';' + s.crew +
                   ";01.0" + QByteArray::number(1 + d % 9) + ".2025\n";
        }
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    file.write(out);
    return path;
}

qint64 scalarOf(const bench::RawDatabase& raw, const QByteArray& sql)
{
    sqlite3_stmt* stmt = raw.prepare(sql);
    bench::require(sqlite3_step(stmt) == SQLITE_ROW, QStringLiteral("no row: ") + QString::fromUtf8(sql));
    const qint64 value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

void step(const bench::RawDatabase& raw, sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE)
        bench::fail(QStringLiteral("raw insert failed: ") + QString::fromUtf8(sqlite3_errmsg(raw.handle())));
    sqlite3_reset(stmt);
}

void bindText(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// The floor: the keys known up front, every row inserted by a prepared statement.
void rawImport(const QString& path, int devices)
{
    bench::RawDatabase raw(path, SQLITE_OPEN_READWRITE);
    const qint64 type = scalarOf(raw, "select ID_DevType from DevType where Name_DevType = 'Манометр показывающий'");
    const qint64 location = scalarOf(raw, "select ID_Location from Location where Name_Location = 'Котельная'");
    const qint64 state = scalarOf(raw, "select ID_State from State where Name_State = 'В работе'");
    qint64 crews[3], intervals[3];
    for (int s = 0; s < 3; ++s) {
        crews[s] = scalarOf(raw, QByteArray("select ID_Crew from Crew where Name_Crew = '") + kServices[s].crew + "'");
        intervals[s] = scalarOf(raw, QByteArray("select ID_DevRep from DevRep inner join Reps on ID_Reps = IRep where "
                                                "Short_Reps = '") +
                                         kServices[s].shortName + "' and ICrew = " + QByteArray::number(crews[s]) +
                                         " and IDevType = " + QByteArray::number(type));
    }
    raw.exec("begin");
    sqlite3_stmt* device = raw.prepare("insert into Device (IDevType, ChangeDate, ZNumber, ANumber, ILocation, IState, "
                                       "SetDate) values (?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt* log = raw.prepare("insert into EditHist (idevice, ivictim, changedate, anumber, znumber, changedby) "
                                    "values (?, 1, ?, ?, ?, ?)");
    sqlite3_stmt* crew = raw.prepare("insert into DevCrew (IDevice, ICrew) values (?, ?)");
    sqlite3_stmt* next = raw.prepare("insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (?, ?, ?, ?)");
    const QByteArray now = "2026-01-01 12:00:00";
    for (int d = 0; d < devices; ++d) {
        const QByteArray serial = "BZ-" + QByteArray::number(d);
        const QByteArray number = "BA-" + QByteArray::number(d);
        sqlite3_bind_int64(device, 1, type);
        bindText(device, 2, now);
        bindText(device, 3, serial);
        bindText(device, 4, number);
        sqlite3_bind_int64(device, 5, location);
        sqlite3_bind_int64(device, 6, state);
        bindText(device, 7, "2024-03-15 00:00:00");
        step(raw, device);
        const qint64 id = sqlite3_last_insert_rowid(raw.handle());
        sqlite3_bind_int64(log, 1, id);
        bindText(log, 2, now);
        bindText(log, 3, number);
        bindText(log, 4, serial);
        bindText(log, 5, "bench");
        step(raw, log);
        for (int s = 0; s < 3; ++s) {
            if (s < 2) {
                sqlite3_bind_int64(crew, 1, id);
                sqlite3_bind_int64(crew, 2, crews[s * 2]);
                step(raw, crew);
            }
            sqlite3_bind_int64(next, 1, id);
            sqlite3_bind_int64(next, 2, intervals[s]);
            bindText(next, 3, "2025-01-01 00:00:00");
            bindText(next, 4, "2025-04-01 00:00:00");
            step(raw, next);
        }
    }
    for (sqlite3_stmt* stmt : {device, log, crew, next})
        sqlite3_finalize(stmt);
    raw.exec("commit");
}

ImportResult ourImport(const QString& database, const QString& csv)
{
    SqlConnection connection;
    connection.setDatabaseFile(database);
    QString error;
    auto rows = openTableSource(csv, {}, error);
    bench::require(rows != nullptr, error);
    QStringList header;
    bench::require(DeviceImport::readHeader(*rows, 0, header, error), error);
    ImportResult result = DeviceImport(connection, ImportMapping(header), {}).run(*rows);
    connection.close();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return bench::run([] {
        const int devices = qEnvironmentVariableIntValue("INSTREL_IMPORT_DEVICES") > 0
                                ? qEnvironmentVariableIntValue("INSTREL_IMPORT_DEVICES")
                                : 100000;
        bench::WorkFolder work;
        const QString demo = work.file(QStringLiteral("demo.db"));
        bench::require(QProcess::execute(QStringLiteral(INSTREL_INITDB_PATH), {QStringLiteral("--demo"), demo}) == 0,
                       QStringLiteral("could not create the demonstration plant"));
        const QString csv = writeFile(work.file(QStringLiteral("devices.csv")), devices);
        std::printf("%d devices, %d rows, file %.1f MB\n", devices, devices * 3, QFileInfo(csv).size() / 1048576.0);

        const double rssBefore = bench::residentMb();
        const auto fresh = [&](const char* name) {
            const QString copy = work.file(QString::fromLatin1(name));
            QFile::remove(copy);
            bench::require(QFile::copy(demo, copy), QStringLiteral("cannot copy the plant"));
            return copy;
        };
        const QString ours = fresh("ours.db");
        ImportResult result;
        const double oursMs = bench::timeMs([&] { result = ourImport(ours, csv); });
        const double rssAfter = bench::residentMb();
        bench::require(result.stored && result.devicesAdded == devices && result.servicesAdded == devices * 3,
                       QStringLiteral("the import did not store every row: %1").arg(DeviceImport::summary(result)));
        const QString floor = fresh("raw.db");
        const double rawMs = bench::timeMs([&] { rawImport(floor, devices); });
        bench::report("import of devices, crews and services (.csv)", oursMs, rawMs, 2.0);
        std::printf("resident memory grew by %.1f MB during the import\n", rssAfter - rssBefore);
    });
}
