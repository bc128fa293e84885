#include "devices/rules/ServiceDates.h"

namespace ServiceDates {

QDate lastCalendarDay() { return QDate(9999, 12, 31); }

QDateTime addInterval(const QDateTime& from, SqlValue::MonthsDays interval)
{
    const QDate day = from.date().addMonths(interval.months).addDays(interval.days);
    return QDateTime(day, from.time());
}

Counted CountNextDate(const QVariant& lastRep, const QVariant& rtMon)
{
    const QDateTime last = lastRep.toDateTime();
    if (rtMon.isNull() || !rtMon.isValid())
        return {{}, Refusal::EmptyInterval};
    if (lastRep.isNull() || !last.isValid())
        return {{}, Refusal::NoLastDate};
    const double months = rtMon.toDouble();
    if (months < 0)
        return {{}, Refusal::NegativeInterval};
    if (months >= 12.0 * 10000) // more months than the calendar holds: no need to count them
        return {{}, Refusal::BeyondCalendar};
    const QDateTime next = addInterval(last, SqlValue::splitInterval(months));
    if (!next.isValid() || next.date() > lastCalendarDay())
        return {{}, Refusal::BeyondCalendar};
    return {next, Refusal::None};
}

} // namespace ServiceDates
