#include "data/DatabaseFileError.h"

#include "data/DatabaseError.h"
#include "text/StrList.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace DatabaseFileError {

Cause causeOf(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Cause::InUse;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN: // a journal that cannot be created beside the file
        return Cause::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Cause::Damaged;
    default:
        return Cause::Other;
    }
}

Cause causeOf(const DatabaseError& error) { return causeOf(error.code()); }

QString text(Cause cause, const QString& path, const QString& detail)
{
    const QString where = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    switch (cause) {
    case Cause::InUse:
        return FormatText(Str::FileInUse, where);
    case Cause::ReadOnly:
        return FormatText(Str::FileReadOnly, where);
    case Cause::Damaged:
        return FormatText(Str::FileDamaged, where, detail);
    case Cause::Other:
        break;
    }
    return detail;
}

QString restoreAdvice(const QString& path) { return FormatText(Str::FileRestoreAdvice, QFileInfo(path).fileName()); }

} // namespace DatabaseFileError
