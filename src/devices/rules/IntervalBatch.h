#pragma once

#include <QString>
#include <QVariant>

class SqlConnection;

// Changing a service interval in the device window can move the next-service dates of every device
// that uses it: each next date becomes its last date moved by the new interval, by the same
// months-then-days rule as "Count next date" (2.15: two months, then fifteen days), so that the two
// never disagree. A row without a last date keeps its next date.
namespace IntervalBatch {

// "select count(*) from NextRep where IDevRep = 7 and LastRep is not null;": the rows the update
// moves, which the question before it counts.
QString countStatement(qint64 devRep);
// The update, with the months and days of `rtMon` (rounded to its six decimals) written as numbers.
QString updateStatement(qint64 devRep, double rtMon);

// The next-service rows of the interval that the update would move (those with a last date).
int movableCount(SqlConnection& connection, qint64 devRep);
// Moves their next dates; returns how many rows changed.
int run(SqlConnection& connection, qint64 devRep, double rtMon);

} // namespace IntervalBatch

// What every interval row must satisfy before it is written, in both windows that edit intervals.
namespace IntervalChecks {
// An interval below zero would move next dates backwards: it is refused.
bool isNegative(const QVariant& rtMon);
} // namespace IntervalChecks
