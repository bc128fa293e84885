#pragma once

#include <QStringList>

class SqlConnection;

// The tables and views a database file must already hold when the program opens it for the first
// time. The program never creates them: the database tool and the tests do, in an empty file.
// A file built this way has no version row, so the program's first start brings it up to date.
namespace InitialSchema {

// The creating statements, in the program's SQL dialect, in the order they run.
QStringList statements();

// Creates the objects and the indexes a large plant needs on them, in one transaction.
// Throws DatabaseError (and leaves the file as it was) when a statement fails.
void create(SqlConnection& connection);

} // namespace InitialSchema
