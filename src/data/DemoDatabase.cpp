#include "data/DemoDatabase.h"

#include "data/Clock.h"
#include "data/PlantCatalogue.h"
#include "data/PlantGenerator.h"
#include "data/SqlConnection.h"

namespace {

constexpr quint32 kSeed = 20240917;

// Small enough that no log reaches the size at which the program starts pruning old entries.
PlantSize demoSize()
{
    PlantSize size;
    size.devices = 420;
    size.servicesPerDevice = 0;
    size.editLogRows = 640;
    size.moveLogRows = 160;
    size.serviceLogRows = 420;
    size.kits = 8;
    size.malfunctions = 60;
    return size;
}

qint64 insertDevice(SqlConnection& db, const PlantCatalogue& c, const QString& aNumber, const QString& zNumber,
                    const QString& comments)
{
    db.execute(QStringLiteral("insert into Device (ZNumber, ANumber, ILocation, ILocSet, IState, InputDate, Comments, "
                              "ChangeDate) values (:Z, :A, :Location, :Place, :State, :Input, :Comments, :Changed);"),
               {{"Z", zNumber},
                {"A", aNumber},
                {"Location", c.places.last().location},
                {"Place", c.places.last().id},
                {"State", c.states.value(4)},
                {"Input", Clock::today().addDays(-3)},
                {"Comments", comments},
                {"Changed", Clock::now().addSecs(-3600)}});
    return db.lastInsertId();
}

void logEdit(SqlConnection& db, qint64 device, int kind, const QString& aNumber, const QString& zNumber,
             const QDateTime& at)
{
    db.execute(QStringLiteral("insert into EditHist (idevice,ivictim,changedate,anumber,znumber) values (:Device, :Kind, "
                              ":At, :A, :Z);"),
               {{"Device", device}, {"Kind", kind}, {"At", at}, {"A", aNumber}, {"Z", zNumber}});
}

// A device just received whose type is not chosen yet, and one that was registered by mistake and
// deleted again: its edit and move logs outlive it.
void writeLooseEnds(SqlConnection& db, const PlantCatalogue& c)
{
    const QDateTime now = Clock::now();
    const QString newNumber = QStringLiteral("ИН-200001");
    const qint64 received = insertDevice(db, c, newNumber, QString(), QStringLiteral("Получен со склада, тип уточняется"));
    logEdit(db, received, 1, newNumber, QString(), now.addSecs(-3600));

    const QString goneNumber = QStringLiteral("ИН-200002");
    const QString goneSerial = QStringLiteral("21-00417");
    const qint64 gone = insertDevice(db, c, goneNumber, goneSerial, QString());
    logEdit(db, gone, 1, goneNumber, goneSerial, now.addDays(-2));
    db.execute(QStringLiteral("insert into MovHist (idevice,changedate,ilastlocation,inewlocation,ilastlocset,inewlocset,"
                              "ilaststate,inewstate) values (:Device, :At, :From, :To, :FromPlace, :ToPlace, :State, "
                              ":State);"),
               {{"Device", gone},
                {"At", now.addDays(-2).addSecs(600)},
                {"From", c.places.first().location},
                {"To", c.places.last().location},
                {"FromPlace", c.places.first().id},
                {"ToPlace", c.places.last().id},
                {"State", c.states.value(4)}});
    logEdit(db, gone, 3, goneNumber, goneSerial, now.addDays(-1));
    db.execute(QStringLiteral("delete from Device where ID_Device = :Device;"), {{"Device", gone}});
}

// What the device window has to get right, on purpose in the demonstration: intervals whose days
// count (2.15: two months and fifteen days; 0.1: ten days) on services due in a few days, a service
// planned but never done (no last date), a number with an apostrophe, and two numbers that differ
// only in the letter case of their Cyrillic letters.
void writeDeviceEdgeCases(SqlConnection& db, const PlantCatalogue& c)
{
    const QDate today = Clock::today();
    const PlantCatalogue::Type& like = c.types.first();
    const qint64 crew = c.crews.first();
    db.execute(QStringLiteral("insert into DevType (INaim, Name_DevType, Mark_DevType) values (:Naim, :Name, :Mark);"),
               {{"Naim", like.naim}, {"Name", QStringLiteral("Манометр электроконтактный")}, {"Mark", QStringLiteral("ЭКМ-1У")}});
    const qint64 type = db.lastInsertId();
    const auto interval = [&](qint64 rep, int number, double rtMon) {
        db.execute(QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, R_No, RT_Mon) values (:Type, :Crew, :Rep, "
                                  ":No, :Mon);"),
                   {{"Type", type}, {"Crew", crew}, {"Rep", rep}, {"No", number}, {"Mon", rtMon}});
        return db.lastInsertId();
    };
    const qint64 verify = interval(c.reps.value(0), 1, 2.15);
    const qint64 inspect = interval(c.reps.value(1), 2, 0.1);

    const QString number = QStringLiteral("ЭКМ-07'А");
    const qint64 device = insertDevice(db, c, number, QStringLiteral("21-00733"), QString());
    db.execute(QStringLiteral("update Device set IDevType = :Type, INaim = :Naim where ID_Device = :Device;"),
               {{"Type", type}, {"Naim", like.naim}, {"Device", device}});
    db.execute(QStringLiteral("insert into DevCrew (IDevice, ICrew) values (:Device, :Crew);"),
               {{"Device", device}, {"Crew", crew}});
    logEdit(db, device, 1, number, QStringLiteral("21-00733"), Clock::now().addDays(-5));
    const auto service = [&](qint64 devRep, const QVariant& last, const QVariant& next) {
        db.execute(QStringLiteral("insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (:Device, :Rep, "
                                  ":Last, :Next);"),
                   {{"Device", device}, {"Rep", devRep}, {"Last", last}, {"Next", next}});
    };
    const QDate verified = today.addMonths(-2).addDays(-12);
    service(verify, verified, PlantGenerator::addInterval(verified, 2.15));
    const QDate inspected = today.addDays(-7);
    service(inspect, inspected, PlantGenerator::addInterval(inspected, 0.1));
    service(inspect, QVariant(), QVariant());

    // Two passports renamed to numbers that only the letter case tells apart.
    const auto rename = [&](const QString& to, int nth) {
        const qint64 id = db.scalar(QStringLiteral("select ID_Device from Device where IDevType is not null order by "
                                                   "ID_Device limit 1 offset %1;")
                                        .arg(nth))
                              .toLongLong();
        db.execute(QStringLiteral("update Device set ANumber = :A where ID_Device = :Device;"), {{"A", to}, {"Device", id}});
        logEdit(db, id, 2, to, db.scalar(QStringLiteral("select ZNumber from Device where ID_Device = %1;").arg(id)).toString(),
                Clock::now().addDays(-1));
    };
    rename(QStringLiteral("ЩИТ-12"), 10);
    rename(QStringLiteral("щит-12"), 11);
}

// The labour reports' choices: a seventh staff category, so that the categories are chosen, and a
// crew doing six services, so that the services are chosen. The water crew also adjusts and
// calibrates its vacuum gauges and verifies them itself; the new youngest grade does that work.
void writeReportChoices(SqlConnection& db)
{
    db.execute(QStringLiteral("insert into Cathegory (Name_Cathegory, Cathegory) values (:Name, 2);"),
               {{"Name", QStringLiteral("Слесарь по КИПиА 2 разряда")}});
    const qint64 apprentice = db.lastInsertId();
    db.execute(QStringLiteral("insert into Reps (Name_Reps, Short_Reps) values (:Name, :Short);"),
               {{"Name", QStringLiteral("Наладка")}, {"Short", QStringLiteral("НЛ")}});
    const QVariant crew = db.scalar(QStringLiteral("select ID_Crew from Crew where Name_Crew = :Name;"),
                                    {{"Name", QStringLiteral("Бригада КИП водоснабжения")}});
    const QVariant type = db.scalar(QStringLiteral("select ID_DevType from DevType where Mark_DevType = :Mark;"),
                                    {{"Mark", QStringLiteral("ВП-100")}});
    int no = 10;
    for (const char* service : {"Поверка", "Калибровка", "Наладка"}) {
        db.execute(QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, R_No, RT_Mon, RT, RT_PC) select :Type, "
                                  ":Crew, ID_Reps, :No, 12, 1, 0.75 from Reps where Name_Reps = :Service;"),
                   {{"Type", type}, {"Crew", crew}, {"No", no++}, {"Service", QString::fromUtf8(service)}});
        const qint64 row = db.lastInsertId();
        db.execute(QStringLiteral("update DevRep set RCount = round((select [Count] from DevTypeCount where IDevType "
                                  "= DevRep.IDevType and ICrew = DevRep.ICrew) * RT * RT_PC, 6) where ID_DevRep = :Row;"),
                   {{"Row", row}});
        db.execute(QStringLiteral("insert into RepCath (IDevRep, ICathegory, [Value]) select ID_DevRep, :Cath, RCount "
                                  "from DevRep where ID_DevRep = :Row and RCount > 0;"),
                   {{"Cath", apprentice}, {"Row", row}});
    }
}

// A malfunction noted before anyone knew which device it was or how to classify it: the malfunction
// window lists it with empty device and classification columns.
void writeUnassignedMalfunction(SqlConnection& db)
{
    db.execute(QStringLiteral("insert into Refusal (NDate, ExectNaimen, BriefCase, NCount, Podpis) values (:At, "
                              ":Note, :Reason, 1, :Sign);"),
               {{"At", Clock::now().addDays(-1).addSecs(-2 * 3600)},
                {"Note", QStringLiteral("Течь импульсной линии у щита, прибор не установлен")},
                {"Reason", QStringLiteral("Уточняется")},
                {"Sign", QStringLiteral("Дежурный")}});
}

// The plant's planners as the logs name them, one after another by device or service row, so that
// every log page shows several.
void writeLogAuthors(SqlConnection& db)
{
    const char* const planners[] = {"ivanova_tn", "petrov_sa", "kip_master"};
    const auto spread = [&](const QString& table, const QString& key) {
        for (int n = 0; n < 3; ++n)
            db.execute(QStringLiteral("update %1 set ChangedBy = :Name where %2 % 3 = %3;").arg(table, key).arg(n),
                       {{"Name", QString::fromLatin1(planners[n])}});
    };
    spread(QStringLiteral("EditHist"), QStringLiteral("IDevice"));
    spread(QStringLiteral("MovHist"), QStringLiteral("IDevice"));
    spread(QStringLiteral("RepHist"), QStringLiteral("INextRep"));
}

} // namespace

void DemoDatabase::fill(SqlConnection& connection)
{
    connection.begin();
    try {
        const PlantCatalogue catalogue = PlantCatalogue::write(connection);
        PlantGenerator generator(connection, catalogue, kSeed);
        generator.write(demoSize());
        writeLooseEnds(connection, catalogue);
        writeDeviceEdgeCases(connection, catalogue);
        catalogue.writeLabour(connection);
        writeReportChoices(connection);
        writeUnassignedMalfunction(connection);
        writeLogAuthors(connection);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}
