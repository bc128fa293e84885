#pragma once

#include <QString>
#include <QStringList>

// Creates an SQLite file from raw statements, the way only the database tool may: the program
// itself never creates a database file. For small fixtures that show one fault.
void createSqliteFile(const QString& path, const QStringList& statements);
