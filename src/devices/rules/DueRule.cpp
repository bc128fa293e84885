#include "devices/rules/DueRule.h"

#include <algorithm>
#include <iterator>

namespace DueRule {

namespace {

QString filterDate(const QDate& day)
{
    return QLatin1Char('\'') + day.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('\'');
}

} // namespace

State stateOf(const QDate& next, const QDate& today, int horizonDays)
{
    if (!next.isValid())
        return State::NoDate;
    if (next < today)
        return State::Overdue;
    if (next < dueLimit(today, horizonDays))
        return State::DueSoon;
    return State::Later;
}

State stateOf(const QDateTime& next, const QDate& today, int horizonDays)
{
    return stateOf(next.isValid() ? next.date() : QDate(), today, horizonDays);
}

QDate dueLimit(const QDate& today, int horizonDays)
{
    return horizonDays <= Off ? today : today.addDays(qint64(horizonDays) + 1);
}

QString overdueCondition(const QDate& today)
{
    return QStringLiteral("< ") + filterDate(today);
}

QString dueSoonCondition(const QDate& today, int horizonDays)
{
    // The filter row reads a date compared with <= as its whole day.
    return QStringLiteral(">= ") + filterDate(today) + QStringLiteral(" and <= ") +
           filterDate(today.addDays(std::max(horizonDays, 0)));
}

QString dueCondition(const QDate& today, int horizonDays)
{
    if (horizonDays == Off)
        return overdueCondition(today);
    return QStringLiteral("<= ") + filterDate(today.addDays(std::max(horizonDays, 0)));
}

int validHorizon(int storedDays)
{
    if (storedDays == Off || std::find(std::begin(Horizons), std::end(Horizons), storedDays) != std::end(Horizons))
        return storedDays;
    return DefaultHorizon;
}

} // namespace DueRule
