#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>

// The filter row's conditions and the main query they rebuild; no widgets, no connection.
//
// What the user types into a column's filter cell:
// - a plain value: "Манометр" (equality), "Ман%" or "Ман*" (Like, "*" read as "%"), NULL (no value);
// - terms with an operator, joined by "and" / "or": "= x", "<> x", ">= x", "<= x", "> x", "< x",
//   "Like x", "Not Like x", "In (a, b)"; a value may be quoted with "'" (a quote inside doubled), which
//   is how the date dialog writes its range: ">= '01.03.04' and  <='05.03.04'".
// Texts are quoted with their quotes doubled, numbers written bare with ".", dates (dd.MM.yyyy or
// dd.MM.yy) as #MM/DD/YYYY#, the form the dialect translator turns into the storage form.
class FilterRowQuery {
public:
    enum class ColumnKind { Text, Number, Date };

    struct Parsed {
        QString condition; // empty when the cell is blank
        QString error;     // why the text cannot be used; the condition is then empty
        bool ok() const { return error.isEmpty(); }
    };

    // One cell's text as a condition on [column].
    static Parsed parse(const QString& column, ColumnKind kind, const QString& typed);
    // A value picked from the column's list: that value exactly, never read as an expression, so
    // "50%", "In stock", ">100 bar" and "'Метран'" each find the rows holding that very text. Texts
    // compare without regard to letter case like typed ones, numbers by value, dates to the second.
    static QString valueCondition(const QString& column, const QVariant& value);

    // `statement` with its anchor line (the first line beginning "1=1", letter case ignored) replaced by
    // "1=1", or by "1=1 and " and the conditions joined with " AND "; lines after it are dropped, lines
    // before it kept as they are. A statement without an anchor line is returned unchanged.
    static QString rebuild(const QString& statement, const QStringList& conditions);
    static bool hasAnchor(const QString& statement);
    // The conditions rebuild() wrote on the anchor line, joined as they stand there; empty when the
    // line is the bare anchor or there is none.
    static QString anchorConditions(const QString& statement);
    // The distinct non-null values of a column, for its drop-down.
    static QString valueListStatement(const QString& column, const QString& table);

    // The cells of one grid, by column index, so that the conditions always come in column order.
    // A text that cannot be parsed leaves the column's previous condition and returns the error.
    Parsed setCell(int column, const QString& columnName, ColumnKind kind, const QString& typed);
    void setCellValue(int column, const QString& columnName, const QVariant& value);
    QStringList conditions() const;
    void clear() { m_conditions.clear(); }

private:
    std::map<int, QString> m_conditions;
};
