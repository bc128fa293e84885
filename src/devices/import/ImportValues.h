#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

// A cell read as the value a device column takes, or the reason in Russian why it cannot be.
namespace ImportValues {

struct DateValue {
    QDate date;       // invalid for an empty cell
    QString refusal;  // why the cell is not a date; empty when it is one or is empty
};
// A date cell of a workbook, or a text dd.mm.yyyy (also d.m.yy, yyyy-mm-dd) naming a day that exists.
// A bare number is refused: it is a date only where the workbook formats it as one.
DateValue date(const QVariant& cell);

struct NumberValue {
    std::optional<double> number; // empty for an empty cell
    QString refusal;
};
// A number as written in either habit: "1,5" and "1.5" are one and a half, "1 500" (blanks or
// non-breaking blanks between groups) is fifteen hundred.
NumberValue number(const QVariant& cell);

// A name compared as the user means it: letter case and outer blanks do not count.
QString nameKey(const QString& name);

} // namespace ImportValues
