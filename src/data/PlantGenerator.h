#pragma once

#include "data/PlantCatalogue.h"

#include <QDate>
#include <QList>
#include <QRandomGenerator>

class SqlConnection;
class BulkStatement;

// How much a generated plant holds.
struct PlantSize {
    int devices = 0;
    int servicesPerDevice = 0; // next-service rows per device; 0: one for every service its crews offer
    int editLogRows = 0;       // at least one "added" row per device
    int moveLogRows = 0;
    int serviceLogRows = 0;
    int kits = 0;
    int malfunctions = 0;
};

// Generates the devices of a plant on top of its catalogue: passports, crews, next-service rows
// spread around today (overdue, due this month, due next year), the edit, move and service logs,
// kits and malfunctions. Deterministic for a given seed and today's date; rows are written with
// prepared statements on the engine handle, inside the caller's transaction.
class PlantGenerator {
public:
    PlantGenerator(SqlConnection& connection, const PlantCatalogue& catalogue, quint32 seed);

    void write(const PlantSize& size);

    struct Device {
        qint64 id = 0;
        int type = -1; // index into the catalogue's types; -1 for none
        qint64 location = 0;
        qint64 place = 0;
        qint64 state = 0;
        QString setPlace;
        QDate setDate;
        qint64 addedAt = 0; // moments, see Moment below
        qint64 changedAt = 0;
        QString aNumber;
        QString zNumber;
        QList<qint64> crews;
    };
    struct NextService {
        qint64 id = 0;
        int device = 0; // index into devices()
        double rtMon = 0;
        QDate last;
        QDate next;
    };
    const QList<Device>& devices() const { return m_devices; }
    const QList<NextService>& nextServices() const { return m_nextServices; }

    // Next-service dates for one service: the last one in the past, the next one computed from the
    // interval; every tenth service is overdue, the next due this month, the next due next year.
    QPair<QDate, QDate> serviceDates(double rtMon, qint64 serial);
    static QDate addInterval(const QDate& day, double rtMon);

private:
    int bounded(int n) { return int(m_random.bounded(quint32(n))); }
    // Moments are wall-clock seconds counted from the start of the Julian day count: cheap to draw,
    // compare and sort, with no time-zone lookups.
    static qint64 moment(const QDate& day, int secondOfDay) { return day.toJulianDay() * 86400 + secondOfDay; }
    static QDate dayOf(qint64 moment) { return QDate::fromJulianDay(moment / 86400); }
    static void bindMoment(BulkStatement& statement, int index, qint64 moment);
    qint64 momentBetween(qint64 from, qint64 to);
    template <typename T> const T& pick(const QList<T>& list) { return list[bounded(int(list.size()))]; }

    void planDevices(int count);
    void planEditTimes(int extraRows);
    void writeDevices();
    void writeNextServices(int perDevice);
    void writeEditLog();
    void writeMoveLog(int rows);
    void writeServiceLog(int rows);
    void writeKits(int count);
    void writeMalfunctions(int count);

    SqlConnection& m_connection;
    const PlantCatalogue& m_catalogue;
    QRandomGenerator m_random;
    QDate m_today;
    qint64 m_now = 0;
    QList<int> m_typePool; // type indices repeated by weight, serviced types only
    QList<Device> m_devices;
    QList<NextService> m_nextServices;
    struct Edit {
        int device;
        qint64 at;
        bool added; // the "added" row every device starts with
    };
    QList<Edit> m_edits;
};
