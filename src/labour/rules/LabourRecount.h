#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class SqlConnection;

// Recounts, in one step and one transaction, every labour figure of a crew that depends on what the
// planner entered, each from the figures it depends on:
//   1. the annual volume of every service row (amount of the type x repetition x rate time, interval
//      and repetition completed from each other as the single count does; a type with no devices
//      has no volume);
//   2. the category shares of every service row, which divide its annual volume: shares that no
//      longer add up to it are scaled to it in their proportions, shares all empty divide it equally;
//   3. the working-time fund of every crew member from its holiday, nominal fund, losses and day;
//   4. the norm state: a row for each category with shares, its planned hours, the plan of one
//      employee where it was taken from a member whose fund has moved, the annual volume and the
//      employees required.
// Rows that cannot be counted (an interval that does not match its repetition, a rate time or a fund
// value missing) keep their figures and are named. Nothing is asked: all or nothing, and what moved
// is told afterwards.
class LabourRecount {
public:
    enum class Step { ServiceVolumes, Shares, WorkingFund, NormState };
    // The steps in the order run() takes them: each reads what the ones before it wrote.
    static QList<Step> order();

    struct Change {
        QString subject; // the row: a type and service, a share, a member, a category
        QString figure;  // the column's caption
        QVariant before; // null for a row the recount added
        QVariant after;
    };
    struct Result {
        QList<Change> moved;
        QStringList notRecounted; // one line per row left as it was, with why
        // The report shown to the planner; at most `maxLines` changes are listed.
        QString text(const QString& crewName, int maxLines = 30) const;
    };

    // The command's caption and hint ("short|long"), and the line that offers it after a change.
    static QString caption();
    static QString hint();
    static QString offer();

    LabourRecount(SqlConnection& connection, qint64 crew) : m_connection(connection), m_crew(crew) {}

    Result run();

private:
    struct Figure {
        QString key; // table, row and column
        QString subject;
        QString figure;
        QVariant value;
    };
    QList<Figure> snapshot();
    void countServiceVolumes(QStringList& notRecounted);
    void scaleShares();
    void countWorkingFund(QStringList& notRecounted);
    void countNormState();
    // DayFundP1E of the first member of each category of the crew.
    QHash<qint64, QVariant> firstFundOfCategories();
    QString crewText() const { return QString::number(m_crew); }

    SqlConnection& m_connection;
    qint64 m_crew;
    QHash<qint64, QVariant> m_fundsBefore; // first members' funds before the working-fund step
};
