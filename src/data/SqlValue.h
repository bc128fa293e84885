#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// The one place that writes values into statements and into bound parameters, so that every date is
// stored in a single fixed form and every number uses "." whatever the user's locale.
//
// Storage form of a date/time: "YYYY-MM-DD HH:MM:SS" (local time, 00:00:00 for a pure date, no "T",
// no fractions). Text comparison of that form orders and matches like date comparison.
namespace SqlValue {

QString dateTimeText(const QDateTime& moment); // "2025-01-31 14:05:00"
QString dateText(const QDate& day);            // "2025-01-31 00:00:00"
// Reads the storage form (and the other ISO forms SQLite or Qt may have written: "2025-01-31",
// "2025-01-31T14:05:00.000"); an invalid QDateTime when `text` is not a date.
QDateTime parseDateTime(const QString& text);

// Shortest text that reads back as the same double, "." as separator, no exponent, no trailing
// zeros ("2.15", "3", "-0.5", "0.30000000000000004"); "NULL" for NaN and infinities.
QString number(double value);
// 'text' with every quote doubled: O'Neil -> 'O''Neil'.
QString quoted(const QString& text);
// A literal for statement text: NULL, a number, a quoted text, or a quoted date in the storage form.
QString literal(const QVariant& value);
// The value as it is bound to the engine: dates and times become their storage text, everything
// else is unchanged (a null stays null).
QVariant toStorage(const QVariant& value);

// Interval of a service in months with days in the first two decimals of the fraction (2.15: two
// months and fifteen days). Rounds to six places before taking the fraction apart, because 2.15
// comes back from the engine as 2.149999...
struct MonthsDays {
    int months = 0;
    int days = 0;
};
MonthsDays splitInterval(double rtMon);

} // namespace SqlValue
