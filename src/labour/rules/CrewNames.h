#pragma once

#include <QString>
#include <QVariant>

class SqlConnection;

// The names a report prints under its title: the crew's and its department's (empty when the crew
// has no department or does not exist).
struct CrewNames {
    QString department;
    QString crew;

    static CrewNames read(SqlConnection& connection, const QVariant& crewId);
};
