#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The text of the date range dialog turned into a filter-row expression. The filter row reads that
// expression like any typed condition (FilterRowQuery), which is where a date comes to mean its whole
// day.
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

} // namespace DateRangeExpression
