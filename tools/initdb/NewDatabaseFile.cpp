#include "NewDatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kWorkingSuffix = ".tmp-XXXXXX";
// What the engine keeps beside a database file while it works on it.
const char* const kCompanions[] = {"-journal", "-wal", "-shm"};

// Holds an exclusive advisory lock on `path` through a descriptor of its own; -1 when the file is
// gone or another process holds the lock.
int lockExclusively(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether `fd` is still the file at `path` (not one removed and made again under the same name).
bool isFileAt(int fd, const QString& path)
{
    struct stat byDescriptor {};
    struct stat byName {};
    return ::fstat(fd, &byDescriptor) == 0 && ::stat(QFile::encodeName(path).constData(), &byName) == 0 &&
           byDescriptor.st_dev == byName.st_dev && byDescriptor.st_ino == byName.st_ino;
}

void removeWithCompanions(const QString& path)
{
    QFile::remove(path);
    for (const char* companion : kCompanions)
        QFile::remove(path + QLatin1String(companion));
}

} // namespace

NewDatabaseFile::NewDatabaseFile(const QString& finalPath) : m_finalPath(QFileInfo(finalPath).absoluteFilePath()) {}

NewDatabaseFile::~NewDatabaseFile()
{
    if (!m_published)
        discard();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QStringList NewDatabaseFile::removeStale(const QString& finalPath)
{
    const QFileInfo target(finalPath);
    const QDir dir = target.absoluteDir();
    // The names QTemporaryFile gives for kWorkingSuffix, and the engine's files beside them.
    const QRegularExpression own(QStringLiteral("^%1\\.tmp-[A-Za-z0-9]{6}(-journal|-wal|-shm)?$")
                                     .arg(QRegularExpression::escape(target.fileName())));
    QStringList removed;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QRegularExpressionMatch match = own.match(name);
        if (!match.hasMatch())
            continue;
        const QString path = dir.absoluteFilePath(name);
        if (match.hasCaptured(1)) {
            // A journal whose database is gone belongs to nobody; one beside a database goes with it.
            const QString base = path.chopped(match.capturedLength(1));
            if (!QFileInfo::exists(base) && QFile::remove(path))
                removed.append(path);
            continue;
        }
        const int fd = lockExclusively(path);
        if (fd < 0)
            continue; // a living run is building it
        if (isFileAt(fd, path)) {
            removeWithCompanions(path);
            removed.append(path);
        }
        ::close(fd);
    }
    return removed;
}

bool NewDatabaseFile::reserveWorkingFile(QString& error)
{
    // A run cleaning up could find the new file before it is locked and take it for stale; the lock
    // is then taken on a file that is no longer there, which is checked, and the name made again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        QTemporaryFile reserved(m_finalPath + QLatin1String(kWorkingSuffix));
        reserved.setAutoRemove(false);
        if (!reserved.open()) {
            error = QStringLiteral("не удалось создать файл рядом с «%1»: %2").arg(m_finalPath, reserved.errorString());
            return false;
        }
        const QString path = reserved.fileName();
        const int fd = ::dup(reserved.handle());
        reserved.close();
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && isFileAt(fd, path)) {
            m_workingPath = path;
            m_lockFd = fd;
            return true;
        }
        if (fd >= 0)
            ::close(fd);
    }
    error = QStringLiteral("не удалось занять временный файл рядом с «%1»").arg(m_finalPath);
    return false;
}

bool NewDatabaseFile::create(QString& error)
{
    if (!reserveWorkingFile(error))
        return false;
    // A temporary file is private to its owner; the database gets the permissions of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(m_workingPath).constData(), 0666 & ~mask);

    // The only place where a database file is created: the program itself never does.
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(m_workingPath);
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA user_version = 0;", nullptr, nullptr, nullptr); // writes the file header
    if (rc != SQLITE_OK)
        error = QStringLiteral("не удалось создать базу данных «%1»: %2")
                    .arg(m_workingPath, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool NewDatabaseFile::publish(QString& error)
{
    // QFile::rename never replaces an existing file: one that appeared meanwhile stays as it was.
    QFile file(m_workingPath);
    if (!file.rename(m_finalPath)) {
        error = QFileInfo::exists(m_finalPath)
                    ? QStringLiteral("файл «%1» уже существует; он не перезаписан").arg(m_finalPath)
                    : QStringLiteral("не удалось переименовать «%1» в «%2»: %3")
                          .arg(m_workingPath, m_finalPath, file.errorString());
        return false;
    }
    m_published = true;
    return true;
}

void NewDatabaseFile::discard()
{
    if (!m_workingPath.isEmpty())
        removeWithCompanions(m_workingPath);
}
