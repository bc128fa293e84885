#pragma once

#include <QString>
#include <QVariant>

class SqlConnection;

// Builds and computes the norm state of one crew: a row per staff category with shares in the crew's
// service rows, its planned hours (the sum of the shares), the plan of one employee taken on request
// from the crew structure, the annual volume and the employees required. Asks its two questions
// through the message service before it writes anything. All or nothing: a database error undoes
// the whole count.
class NormStateCount {
public:
    NormStateCount(SqlConnection& connection, qint64 crew) : m_connection(connection), m_crew(crew) {}

    void run();

    // The smallest effective fund of one employee in the crew; null when the crew has no members.
    QVariant minCrewFund();
    // Rows for the categories with shares that have none yet.
    void insertNewRows();
    // Planned hours of every row of the crew from the shares as they are now (0 when none are left).
    void refreshPlanHours();
    // Grades of the crew's rows whose category no member of the crew has, those insertNewRows() is
    // about to add included, as "3,5,".
    QString categoriesOutsideCrew();
    void setPlanForCategoriesOutsideCrew(double minCrewFund);
    void takePlansFromCrew();
    void countYearPlanAndRequired();

    QString crewText() const { return QString::number(m_crew); }

private:
    SqlConnection& m_connection;
    qint64 m_crew;
};
