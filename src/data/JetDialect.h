#pragma once

#include <QString>

struct sqlite3;

// Translates the program's statements, written in the Jet dialect, into SQLite's, keeping each
// statement's effect: "select top 1" becomes LIMIT 1, IIf/IsNull/DateAdd/Date()/Year/Month become
// built-ins, "+" between texts becomes "||", the DDL words become SQLite's, "#MM/DD/YYYY#" dates
// become the storage form, "DELETE T.col FROM" and "SET T.col =" lose the column qualifier.
// Statements that need no change come back unchanged. Results are cached by text.
//
// The work and the text produced are proportional to the statement's length. A statement whose
// parentheses nest more than 200 deep is refused with a DatabaseError that says so.
//
// toPostgres does the same for PostgreSQL: bracketed names become quoted lower-case names (objects
// are created unquoted, so their names fold to lower case), dates become TIMESTAMP literals, LIKE
// ignores case, every ORDER BY key puts NULLs first as Jet does (NULLS LAST after DESC), a GROUP BY
// without ORDER BY is ordered by its keys, and DROP VIEW takes the views built on it along.
namespace JetDialect {
QString toSqlite(const QString& jetStatement);
QString toPostgres(const QString& jetStatement);
}

// Functions and collations registered on every SQLite connection the program opens. They serve
// statements only, never view definitions (views must stay readable by any SQLite client):
// - like(pattern, text[, escape]): LIKE that folds case for all of Unicode (Cyrillic included);
// - collation UNICODE_NOCASE: equality and order ignoring case for all of Unicode;
// - ulower(text) / uupper(text): Unicode case mapping.
namespace SqliteExtensions {
void registerAll(sqlite3* db);
}
