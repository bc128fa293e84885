#include "plan/rules/ServicePivot.h"

#include "data/ResultSet.h"
#include "text/StrList.h"

#include <algorithm>
#include <set>

namespace {

// Short names sort by their text without regard to letter case, as the database orders them; the
// missing name first, like a null.
bool nameLess(const std::pair<bool, QString>& a, const std::pair<bool, QString>& b)
{
    if (a.first != b.first)
        return a.first;
    const int byText = a.second.compare(b.second, Qt::CaseInsensitive);
    return byText != 0 ? byText < 0 : a.second < b.second;
}

} // namespace

ServicePivot ServicePivot::fromRows(const ResultSet& rows)
{
    ServicePivot pivot;
    const int month = rows.indexOf(QStringLiteral("month"));
    const int name = rows.indexOf(QStringLiteral("short_reps"));
    const int count = rows.indexOf(QStringLiteral("Count"));
    if (month < 0 || name < 0 || count < 0)
        return pivot;
    for (int r = 0; r < rows.rowCount(); ++r)
        pivot.m_cells[keyOf(rows.isNull(r, name) ? QVariant() : rows.value(r, name), rows.value(r, month).toInt())] +=
            rows.value(r, count).toLongLong();
    pivot.rebuildAxes();
    return pivot;
}

void ServicePivot::add(const QVariant& month, const QVariant& shortName, qint64 count)
{
    m_cells[keyOf(shortName, month.toInt())] += count;
    rebuildAxes();
}

void ServicePivot::clear()
{
    m_cells.clear();
    m_names.clear();
    m_months.clear();
}

void ServicePivot::rebuildAxes()
{
    std::set<int> months;
    std::set<std::pair<bool, QString>, decltype(&nameLess)> names(&nameLess);
    for (const auto& [key, count] : m_cells) {
        names.insert({std::get<0>(key), std::get<1>(key)});
        months.insert(std::get<2>(key));
    }
    m_names = QList<std::pair<bool, QString>>(names.begin(), names.end());
    m_months = QList<int>(months.begin(), months.end());
}

ServicePivot::Key ServicePivot::keyOf(const QVariant& shortName, int month)
{
    const bool missing = shortName.isNull();
    return {missing, missing ? QString() : shortName.toString(), month};
}

ServicePivot::Key ServicePivot::keyAt(int row, int column) const
{
    return {m_names[row].first, m_names[row].second, m_months[column]};
}

QString ServicePivot::noNameText() { return Text(Str::TableNull); }

QString ServicePivot::rowTitle(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_names[row].first ? noNameText() : m_names[row].second;
}

bool ServicePivot::hasValue(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    return m_cells.count(keyAt(row, column)) > 0;
}

qint64 ServicePivot::value(int row, int column) const
{
    if (!hasValue(row, column))
        return 0;
    return m_cells.at(keyAt(row, column));
}

qint64 ServicePivot::total() const
{
    qint64 sum = 0;
    for (const auto& [key, count] : m_cells)
        sum += count;
    return sum;
}
