#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>
#include <memory>

class Dataset;
class ResultSet;
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

    // The list as text: one line per service (CR LF), cells tab-separated as the schedule shows them
    // (a tab or line break inside a cell made a blank), the titles first; UTF-8. The layout of the
    // schedule's text export.
    struct Listing {
        QByteArray text;
        qint64 rows = 0;
        qint64 overdue = 0;
    };

    DueList(SqlConnection& connection, const QDate& today, int horizonDays);

    // The rows, open; the dataset is the caller's.
    std::unique_ptr<Dataset> open() const;
    // The rows read once, front to back, and written as they come: no dataset, no value built per
    // cell. What the list costs on a plant with 100,000 services is then mostly the engine's work.
    Listing listing() const;
    // The same from rows already read, all of them in their order (an open list's Dataset::rows()).
    Listing listingOf(const ResultSet& rows) const;
    // How many are overdue and how many due soon, counted by the engine without reading the rows.
    Counts count() const;

    static QString listStatement();
    static QString countStatement();

private:
    QVariant limit() const;
    Listing startListing() const;
    void appendLines(const ResultSet& rows, Listing& listing) const;

    SqlConnection& m_connection;
    QDate m_today;
    int m_horizonDays;
};
