#pragma once

#include <QString>

// A database file that appears under its final name only when it is complete. It is built under a
// temporary name beside the final one (same directory, so the last step is a rename) and removed
// again, with its journal, unless `publish` succeeds.
class NewDatabaseFile {
public:
    explicit NewDatabaseFile(const QString& finalPath);
    ~NewDatabaseFile();
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    // Creates an empty SQLite database under the temporary name. False, with `error`, on failure.
    bool create(QString& error);
    QString workingPath() const { return m_workingPath; }

    // Gives the file its final name; refuses (false, with `error`) if that name has been taken
    // meanwhile, so an existing file is never replaced.
    bool publish(QString& error);

private:
    void discard();

    QString m_finalPath;
    QString m_workingPath;
    bool m_published = false;
};
