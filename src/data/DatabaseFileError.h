#pragma once

#include <QString>

class DatabaseError;

// Why the engine could not use a database file, in words that name the cause: a file another
// program holds is not "damaged", and a file that exists must not be met with advice to create it.
namespace DatabaseFileError {

enum class Cause {
    Other,    // anything else: the engine's own text says it best
    InUse,    // another program holds a lock on the file (an open write transaction or more)
    ReadOnly, // the file or its folder cannot be written
    Damaged,  // the file is not a database, or its pages are broken
};

// The cause behind an engine result code (primary or extended).
Cause causeOf(int sqliteCode);
Cause causeOf(const DatabaseError& error);

// The message for a file at `path` that failed for `cause`; `detail` is what the engine said,
// shown for damage and for other causes. Empty for Cause::Other without detail.
QString text(Cause cause, const QString& path, const QString& detail = {});

// What to do with an existing file that cannot be used as a database: restore or move it.
QString restoreAdvice(const QString& path);

} // namespace DatabaseFileError
