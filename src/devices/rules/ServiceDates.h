#pragma once

#include "data/SqlValue.h"

#include <QDateTime>
#include <QVariant>

// The next-service date of a device's service: the last service date moved by the service's
// interval, read as months and days (2.15: two months, then fifteen days).
namespace ServiceDates {

// Why a next date was not counted; the caller shows the matching message and changes nothing.
enum class Refusal {
    None,
    EmptyInterval,    // no interval among the device's choices, or an empty one
    NoLastDate,       // the interval is there, but no last date to count from
    NegativeInterval, // an interval below zero moves nothing forward
    BeyondCalendar,   // the result would fall after 31.12.9999
};

struct Counted {
    QDateTime next;
    Refusal refusal = Refusal::None;
    bool ok() const { return refusal == Refusal::None; }
};

// `lastRep` moved by whole months first (the day of the month kept, lowered to the last day of a
// shorter month; the time of day kept), then by the days. `rtMon` comes from the database as a
// double and is rounded to its six decimals before it is taken apart. Null values (no interval
// among the device's choices, no last service) are refused, the interval first: nothing is counted
// from a zero date.
Counted CountNextDate(const QVariant& lastRep, const QVariant& rtMon);

// The same move for a date already known to be valid.
QDateTime addInterval(const QDateTime& from, SqlValue::MonthsDays interval);

// The last day a date can have.
QDate lastCalendarDay();

} // namespace ServiceDates
