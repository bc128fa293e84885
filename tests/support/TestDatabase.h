#pragma once

#include <QString>

// Real database files for tests, made the way the database tool makes them. Each function creates
// `fileName` in `directory` (it must not exist yet) and returns its absolute path.
namespace TestDatabase {

// A valid SQLite file with no objects at all (for "not a database of the program" cases).
QString createBlankDatabase(const QString& directory, const QString& fileName = QStringLiteral("Device.db"));

// The objects a file must hold before the program's first start; no version row, so the program
// would upgrade it.
QString createEmptyDatabase(const QString& directory, const QString& fileName = QStringLiteral("Device.db"));

// The same, already upgraded to the program's version, with no data.
QString createUpgradedEmptyDatabase(const QString& directory, const QString& fileName = QStringLiteral("Device.db"));

// The demonstration plant, built for Clock::today() (fix the clock first for fixed dates). Built once
// per process and day and copied, so it is cheap to ask for in every test.
QString createDemoDatabase(const QString& directory, const QString& fileName = QStringLiteral("Device.db"));

// Takes the author column out of the three device logs and their views, as a file of the program's
// version looks when a build without that column made it.
void removeLogAuthorColumn(const QString& path);

} // namespace TestDatabase
