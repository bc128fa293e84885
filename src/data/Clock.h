#pragma once

#include <QDateTime>

// "Now" for every rule that depends on the date (next-service dates, log pruning, the yearly plan),
// so that tests can fix the day.
namespace Clock {
QDateTime now();
inline QDate today() { return now().date(); }
// Fixes the clock at `moment`; an invalid moment returns to the system clock.
void fix(const QDateTime& moment);
} // namespace Clock
