#pragma once

#include <QString>
#include <QStringList>

// A database file that appears under its final name only when it is complete. It is built under a
// temporary name beside the final one (same directory, so the last step is a rename) and removed
// again, with its journal, unless `publish` succeeds.
//
// A run that is killed cannot remove its temporary file, so every run first removes those of its
// final name that no living run is building: a builder holds an advisory lock on its file for as
// long as it lives, and the operating system drops that lock when the process dies.
class NewDatabaseFile {
public:
    explicit NewDatabaseFile(const QString& finalPath);
    ~NewDatabaseFile();
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    // The temporary files of `finalPath` left behind by runs that ended without cleaning up, which
    // are removed; the paths removed are returned.
    static QStringList removeStale(const QString& finalPath);

    // Creates an empty SQLite database under the temporary name. False, with `error`, on failure.
    bool create(QString& error);
    QString workingPath() const { return m_workingPath; }

    // Gives the file its final name; refuses (false, with `error`) if that name has been taken
    // meanwhile, so an existing file is never replaced.
    bool publish(QString& error);

private:
    bool reserveWorkingFile(QString& error);
    void discard();

    QString m_finalPath;
    QString m_workingPath;
    int m_lockFd = -1;
    bool m_published = false;
};
