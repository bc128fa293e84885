#pragma once

#include <QList>
#include <QString>

class SqlConnection;

// The reference data of a generated plant (departments, crews, locations and places, the lists of
// the linked tables, device types with their service intervals, malfunction classifiers, staff
// categories and working-time norms), written into an upgraded, empty database, and the keys it got.
// The demonstration database and the large test plant both start from it.
struct PlantCatalogue {
    struct Service {
        qint64 devRep = 0; // DevRep.ID_DevRep
        qint64 crew = 0;
        qint64 rep = 0;
        double rtMon = 0; // months, with days in the first two decimals
    };
    struct Type {
        qint64 id = 0;
        QString name;
        qint64 naim = 0;
        qint64 mere = 0;
        qint64 klass = 0;
        qint64 scale = 0;
        QList<qint64> margs;
        QList<qint64> grades;
        QList<qint64> crews;       // the crews that look after devices of the type
        QList<Service> services;   // its service intervals, in those crews
        int weight = 1;            // how common the type is among the devices
    };
    struct Place {
        qint64 id = 0;
        qint64 location = 0;
    };
    struct MalfunctionName {
        qint64 id = 0;
        qint64 group = 0;
    };
    struct Parameter {
        qint64 id = 0;
        double low = 0;
        double high = 0;
        int decimals = 0;
    };

    QList<qint64> departs;
    QList<qint64> crews;
    QList<qint64> locations;
    QList<Place> places;
    QList<qint64> states;      // the first is "in operation"
    QList<int> stateWeights;
    QList<qint64> systems;
    QList<qint64> dests;
    QList<qint64> reps;
    QList<Type> types;
    QList<qint64> documents;
    QList<MalfunctionName> malfunctionNames;
    QList<Parameter> parameters;

    // Writes the reference data through the connection (inside the caller's transaction).
    static PlantCatalogue write(SqlConnection& connection);

    // Labour planning figures once the devices are written: device counts per type and crew, annual
    // volumes of the service rows, the categories' shares of them, the crews' workplaces with their
    // working-time fund, and the norm state of a few crews.
    void writeLabour(SqlConnection& connection) const;
};
