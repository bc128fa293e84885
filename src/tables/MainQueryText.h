#pragma once

#include <QString>

// What a table window reads from, and makes of, its main query text. The window's statement must be a
// single SELECT without a WHERE clause, ending in ";".
namespace MainQueryText {

struct TableNameResult {
    QString name;
    // False when nothing after "from " ends the name (no blank, carriage return or ";"): the window
    // then says "Table name not defined." and uses the rest of the text.
    bool defined = true;
};

// The table or view after "from ". When a blank or carriage return ends the name, the name keeps
// that character ("from type where" gives "type "); the statements built from it do not mind.
TableNameResult tableName(const QString& statement);
// The statement up to, not including, its first ";".
QString queryHead(const QString& statement);
// The text the window runs: the head, then the "1=1" line at which the filter row inserts its
// conditions. "select * from type;" gives "select * from type\rWHERE\r1=1;".
QString anchoredQuery(const QString& statement);

} // namespace MainQueryText
