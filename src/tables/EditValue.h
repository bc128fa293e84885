#pragma once

#include "data/ResultSet.h"

#include <QString>
#include <QVariant>
#include <optional>

class QObject;
class QValidator;

// What an editor shows when the user starts typing into a value, and how the typed text becomes a
// value of the column again. Shared by the grid cells and the form editors, so that both read and
// write numbers and dates the same way.
//
// An editor starts from the stored value, not from its display format: a decimal shown "1,26" with
// "0.##" is edited as "1,256", so leaving it untouched (or typing and deleting a character) keeps
// 1.256. Numbers are typed with "," or ".".
namespace EditValue {

// "1,256", "247", "31.01.2005" (with the time when there is one), texts as they are; nothing for null.
QString editText(const QVariant& value);

// The value `text` stands for in a column of `type`: null for blank text, a number for numeric
// columns, a date for date columns (dd.MM.yyyy; the time of day of `previous` is kept), the text
// itself otherwise. Nothing when the text is not a value of the column (a half-typed number, an
// impossible date): the caller then keeps the old value.
std::optional<QVariant> parse(const QString& text, ResultSet::ColumnType type, const QVariant& previous = {});

// A validator that lets only what the column can hold be typed: integers in range (a smallint up to
// 32767), decimals with up to six places and either separator. Nullptr for other columns.
QValidator* validatorFor(const ResultSet::ColumnInfo& column, QObject* parent);

// The input mask of a date editor ("99.99.9999"); a masked editor with no digit typed is blank.
QString dateMask();
bool isBlankDate(const QString& text);

// The input mask of an editor of a moment, a date with its time of day ("99.99.9999 99:99:99").
QString dateTimeMask();
// The moment such an editor shows: "dd.MM.yyyy HH:mm:ss", nothing for null.
QString dateTimeText(const QVariant& value);
// The moment typed into it, read from its display text (blanks "_"): null when nothing is typed,
// the date at midnight when only the date is, seconds 0 when they are left blank. Nothing while the
// text is not yet a moment (a date or an hour half typed, 31.02): the caller keeps the old value.
std::optional<QVariant> parseDateTime(const QString& displayText);

} // namespace EditValue
