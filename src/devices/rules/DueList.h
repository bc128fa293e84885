#pragma once

#include <QDate>
#include <QString>
#include <memory>

class Dataset;
class SqlConnection;

// The services that are overdue or due soon, read from the next-service view with the columns the
// services schedule shows and the schedule's titles, earliest next date first. Reads only.
class DueList {
public:
    struct Counts {
        qint64 overdue = 0;
        qint64 dueSoon = 0;
        bool any() const { return overdue > 0 || dueSoon > 0; }
    };

    DueList(SqlConnection& connection, const QDate& today, int horizonDays);

    // The rows, open; the dataset is the caller's.
    std::unique_ptr<Dataset> open() const;
    // How many are overdue and how many due soon, counted by the engine without reading the rows.
    Counts count() const;

    static QString listStatement();
    static QString countStatement();

private:
    SqlConnection& m_connection;
    QDate m_today;
    int m_horizonDays;
};
