#pragma once

#include <QVariant>

class SqlConnection;

// Keeps DevTypeCount complete: one row for every pair of an existing device type and an existing
// crew (a new pair starts with an empty count), and no row whose type or crew is gone.
class DevTypeCountSync {
public:
    explicit DevTypeCountSync(SqlConnection& connection) : m_connection(connection) {}

    // Adds the missing pairs, then removes the orphans.
    void run();
    // After a device type was stored from the labour window: removes the orphans, adds the missing
    // pairs, and stores `count` (null for an empty one) for the type in `crew`. All or nothing.
    void typePosted(qint64 devType, const QVariant& count, qint64 crew);

    static QString insertPairsStatement();
    static QString deleteOrphansStatement();
    static QString countUpdateStatement(qint64 devType, const QVariant& count, qint64 crew);

private:
    SqlConnection& m_connection;
};
