#pragma once

#include <QStringList>

class SqlConnection;

// Indexes on the reference and date columns that the program joins, looks up and prunes by. They
// change no statement's result, only its speed on a large plant (100,000 devices, a million log rows).
namespace SchemaIndexes {

// "CREATE INDEX IF NOT EXISTS ..." for every index, whether or not its table exists yet. A schema
// step creates them; an index added later needs a step of its own to reach existing databases.
QStringList statements();

// Creates the indexes whose tables exist; an index that cannot be made (its table or column is
// missing) is skipped, since no statement depends on it.
void create(SqlConnection& connection);

} // namespace SchemaIndexes
