#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// When a service falls due. A next date before today is overdue; one from today to the last day of
// the reminder horizon is due soon (a service due today, at any time of day, is still to be done, so
// it is due soon rather than overdue). Only the day of a next date counts.
namespace DueRule {

enum class State { NoDate, Overdue, DueSoon, Later };

// Reminder horizons a user can choose, in days; Off shows overdue services only.
inline constexpr int Off = 0;
inline constexpr int DefaultHorizon = 30;
inline constexpr int Horizons[] = {30, 45, 60, 90};

// `horizonDays` Off marks nothing as due soon.
State stateOf(const QDateTime& next, const QDate& today, int horizonDays);
State stateOf(const QDate& next, const QDate& today, int horizonDays);

// The first day that is not due: next dates before it are overdue or due soon. With the horizon Off
// that is today.
QDate dueLimit(const QDate& today, int horizonDays);

// Filter-row conditions on the next-date column, in the form a user would type them ("< '10.12.2026'"),
// so that the schedule narrowed by a command shows and keeps the same conditions as one typed by hand.
QString overdueCondition(const QDate& today);
QString dueSoonCondition(const QDate& today, int horizonDays);
// Overdue and due soon together.
QString dueCondition(const QDate& today, int horizonDays);

// A horizon read from the settings: one of Horizons or Off; anything else is the default.
int validHorizon(int storedDays);

} // namespace DueRule
