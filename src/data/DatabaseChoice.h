#pragma once

#include <QString>
#include <QStringList>

// Which database the program opens: a PostgreSQL server named by `--database=<connection string>`
// on the command line or by the key Connection of the section [Database] in the settings file, the
// command line first; without either, the Device.db file in the current folder.
//
// The password is never kept with the string: libpq takes it from ~/.pgpass or PGPASSWORD. A string
// that carries one anyway is shown everywhere (status bar, messages) without it.
namespace DatabaseChoice {

// The connection string chosen, empty for the file.
QString serverOf(const QStringList& arguments, const QString& settingsFile);
// The command line's choice alone (`--database=` with an empty value counts as not given).
QString serverOfArguments(const QStringList& arguments);
// The settings file's choice alone.
QString serverOfSettings(const QString& settingsFile);

// The connection string as it may be shown: any password left out, in key=value strings
// ("password=…", quoted or not) and in postgresql:// addresses (user:password@ and ?password=…).
QString shownName(const QString& connectionString);

} // namespace DatabaseChoice
