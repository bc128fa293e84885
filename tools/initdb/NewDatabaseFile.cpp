#include "NewDatabaseFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sqlite3.h>
#include <sys/stat.h>

NewDatabaseFile::NewDatabaseFile(const QString& finalPath) : m_finalPath(QFileInfo(finalPath).absoluteFilePath()) {}

NewDatabaseFile::~NewDatabaseFile()
{
    if (!m_published)
        discard();
}

bool NewDatabaseFile::create(QString& error)
{
    // Reserve a unique name beside the final file.
    QTemporaryFile reserved(m_finalPath + QStringLiteral(".tmp-XXXXXX"));
    reserved.setAutoRemove(false);
    if (!reserved.open()) {
        error = QStringLiteral("не удалось создать файл рядом с «%1»: %2").arg(m_finalPath, reserved.errorString());
        return false;
    }
    m_workingPath = reserved.fileName();
    reserved.close();
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
    if (m_workingPath.isEmpty())
        return;
    QFile::remove(m_workingPath);
    QFile::remove(m_workingPath + QStringLiteral("-journal"));
}
