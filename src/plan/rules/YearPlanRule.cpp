#include "plan/rules/YearPlanRule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace YearPlan {

namespace {

qint64 monthIndex(const QDate& day) { return qint64(day.year()) * 12 + (day.month() - 1); }

// Keeps absurd intervals (a typing slip of 1e12 months) inside int; any step beyond the span of the
// walk gives one occurrence all the same.
constexpr double kLargestStep = 1e9;

} // namespace

int stepMonths(const QVariant& rtMon)
{
    if (!rtMon.isValid() || rtMon.isNull())
        return 0;
    bool ok = false;
    double value = rtMon.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    // The engine gives 2.5 back as 2.4999999...; six places are what the column holds.
    value = std::round(value * 1e6) / 1e6;
    value = std::clamp(value, -kLargestStep, kLargestStep);
    return int(std::nearbyint(value));
}

qint64 monthsBetween(const QDate& a, const QDate& b) { return monthIndex(b) - monthIndex(a); }

QDate walkedDate(const QDate& today, qint64 months)
{
    const qint64 index = monthIndex(today) + months;
    // Floor division, so that months before year 0 would still land right.
    const qint64 year = index >= 0 ? index / 12 : -((-index + 11) / 12);
    const int month = int(index - year * 12) + 1;
    const QDate first(int(year), month, 1);
    return QDate(int(year), month, std::min(today.day(), first.daysInMonth()));
}

QList<QDate> occurrences(const QDate& today, int year, const QDate& next, int k)
{
    QList<QDate> dates;
    if (!next.isValid() || !today.isValid() || year < today.year())
        return dates;
    const qint64 walkStart = monthIndex(today);
    const qint64 yearStart = qint64(year) * 12;
    const qint64 yearEnd = yearStart + 11; // the walk ends here too: December of the year
    qint64 month = monthIndex(next);
    if (month < walkStart || month > yearEnd)
        return dates;
    if (month < yearStart) {
        if (k <= 0)
            return dates;
        month += (yearStart - month + k - 1) / k * qint64(k);
    }
    for (; month <= yearEnd; month += k) {
        dates.append(walkedDate(today, month - walkStart));
        if (k <= 0)
            break;
    }
    return dates;
}

bool lastServiceAfterToday(const QDate& today, const QDate& lastDay) { return lastDay.isValid() && lastDay > today; }

} // namespace YearPlan
