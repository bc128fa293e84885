#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <map>
#include <tuple>

class ResultSet;

// The pivot of the planned services: one row per short service name (sorted, an empty name shown as
// the table's "no value" text), one column per month that has services (in month order), and in
// each cell the sum of the counts of that month and name. A cell without services is blank; there are
// no totals. Counts are plain 64-bit sums, so a large plant does not wrap them.
class ServicePivot {
public:
    ServicePivot() = default;
    // From the month-count rows: columns month, short_reps, Count (found by name).
    static ServicePivot fromRows(const ResultSet& rows);

    void add(const QVariant& month, const QVariant& shortName, qint64 count);
    void clear();

    int rowCount() const { return int(m_names.size()); }
    int columnCount() const { return int(m_months.size()); }
    bool isEmpty() const { return m_cells.empty(); }
    // Row titles: the short names, "<нет>" for a missing one.
    QString rowTitle(int row) const;
    int month(int column) const { return m_months.value(column); }
    // The sum of a cell; 0 when the cell is blank.
    qint64 value(int row, int column) const;
    bool hasValue(int row, int column) const;
    // Every planned service in the pivot.
    qint64 total() const;

    // The name used for a missing short name (also the chart's set name for it).
    static QString noNameText();

private:
    void rebuildAxes();

    // (name missing, name, month) -> count: a missing name and an empty one are different rows.
    using Key = std::tuple<bool, QString, int>;
    static Key keyOf(const QVariant& shortName, int month);
    Key keyAt(int row, int column) const;
    std::map<Key, qint64> m_cells;
    QList<std::pair<bool, QString>> m_names; // (missing, name)
    QList<int> m_months;
};
