#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The text of the date range dialog turned into a filter-row expression, and that expression turned
// into a condition the engine evaluates on a date column.
//
// The editors hold "dd.mm.yy". Two-digit years 00-49 are 2000-2049, 50-99 are 1950-1999. An editor
// whose digits are all blank ("  .  .  ", "__.__.__" or ".." as QLineEdit::text() gives it) is not
// entered; one that is not a real date ("31.02.04", "12.3 .04") is a conversion error.
namespace DateRangeExpression {

// The year of a two-digit year: 00-49 are 2000-2049, 50-99 are 1950-1999. The filter row reads
// dates typed by hand with the same rule, so that a range chosen in the dialog and the same dates
// typed give the same rows.
int fullYear(int twoDigits);

// The date of one editor text; nullopt when blank or not a date.
std::optional<QDate> parseShortDate(const QString& text);
bool isBlank(const QString& text);

// The dialog's result from the from-text F and the to-text T, with the texts as typed:
//   both dates, from earlier:  ">= 'F' and  <='T'"
//   the same day:              "= 'F'"
//   from later than to:        ">= 'T' and  <= 'F'"  (swapped, so the range always runs forward)
//   only from:                 ">= 'F'"
//   only to:                   "<= 'T'"
//   neither:                   ""  (clears the column's filter)
// A conversion error ends the conversions: a from-text that is not a date leaves the to-date
// unread too, so the result is then empty.
QString fromTexts(const QString& fromText, const QString& toText);

struct Range {
    std::optional<QDate> from; // first day included
    std::optional<QDate> to;   // last day included
};
// The range an expression of fromTexts() stands for; nullopt for any other text.
std::optional<Range> parse(const QString& expression);

// The condition on `column` (written as given, e.g. "[SetDate]") for an expression of fromTexts(),
// for dates stored as 'YYYY-MM-DD HH:MM:SS' text; empty for an empty or foreign expression.
//
// Users mean whole days: "to 05.03.04" includes every moment of 5 March, and "= 05.03.04" a device
// set at 14:05 that day. Comparing the stored text with the bare day would lose those rows
// ('2004-03-05 14:05:00' <= '2004-03-05 00:00:00' is false), so the upper bound is the next midnight,
// exclusive:
//   ">= '01.03.04' and  <='05.03.04'" -> "[C] >= '2004-03-01 00:00:00' and [C] < '2004-03-06 00:00:00'"
//   "= '05.03.04'"                    -> "[C] >= '2004-03-05 00:00:00' and [C] < '2004-03-06 00:00:00'"
//   "<= '05.03.04'"                   -> "[C] < '2004-03-06 00:00:00'"
// Rows without a date never match, as with any comparison with NULL.
QString condition(const QString& expression, const QString& column);

} // namespace DateRangeExpression
