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

} // namespace

void DemoDatabase::fill(SqlConnection& connection)
{
    connection.begin();
    try {
        const PlantCatalogue catalogue = PlantCatalogue::write(connection);
        PlantGenerator generator(connection, catalogue, kSeed);
        generator.write(demoSize());
        writeLooseEnds(connection, catalogue);
        catalogue.writeLabour(connection);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}
