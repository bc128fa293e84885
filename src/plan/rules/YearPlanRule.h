#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QVariant>

// When a next-service record recurs inside a planned year, without a database.
//
// The plan walks the months from the current one to December of the planned year. A record's next
// date N is met when the walk reaches N's month; each meeting moves N on by the interval k, in whole
// months, so N's month advances by exactly k per meeting whatever its day. The occurrences are
// therefore the months N, N + k, N + 2k, ... that lie in the walked range, and only those inside
// the planned year become plan rows, dated in the walked month (today's day, reduced to the last day
// of a shorter month). Computed directly, so a far year costs no more than the next one.
namespace YearPlan {

// The interval used for stepping: RT_Mon rounded to whole months, halves to the even neighbour
// (2.5 gives 2, 3.5 gives 4); the days in its fraction are not added. Null or empty counts as 0.
int stepMonths(const QVariant& rtMon);

// (year of b × 12 + month of b) − (year of a × 12 + month of a), wide enough for any year.
qint64 monthsBetween(const QDate& a, const QDate& b);

// The date of a walked month: `today` moved on by `months` months, its day kept or reduced to the
// month's last day.
QDate walkedDate(const QDate& today, qint64 months);

// The plan rows' dates of one record for `year`. Empty when the year lies before today's year, when
// `next` is empty (the earliest date) or lies before the current month, or when no occurrence falls
// in the year. With k <= 0 the service is met at most once, in the month of its next date.
QList<QDate> occurrences(const QDate& today, int year, const QDate& next, int k);

// A last service "later than today" is one on a later day: the day is compared, so a time of day on
// today's date is not later. An empty date is the earliest.
bool lastServiceAfterToday(const QDate& today, const QDate& lastDay);

} // namespace YearPlan
