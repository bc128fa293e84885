#pragma once

#include <QString>
#include <QStringList>

class DatabaseError;
class SqlConnection;

// The version text of this build ("2.4"), as stored in the database's version row and shown in the
// main window's caption.
QString ReadProgramVersion();

// Brings the schema of a database file up to the program's version: adds missing columns and tables,
// re-creates the program's views, fills the kinds of edit and, once, turns per-type service rows
// into per-crew rows. Each step decides by probing the database, so the upgrade runs on a file of any
// earlier state and leaves an up-to-date one unchanged but for its views. After those steps of the
// stored version come the program's own numbered steps (SchemaSteps), which a database at the
// version but at a lower level gets on their own. A database at a higher level, made by a newer
// program, is left as it is and the connection only reads it.
//
// Beyond the steps themselves: the file's write lock is taken before anything is announced (a file
// another program holds, or one that cannot be written, is refused with its cause), a damaged file
// is refused, the file is copied beside itself before anything changes, and everything from the
// first version row to the last step is one transaction: an upgrade that fails or is killed at any
// point leaves the file as it was.
class SchemaUpgrade {
public:
    enum class Outcome {
        UpToDate,      // the stored version is the program's: nothing ran
        Upgraded,      // all steps ran and the version is stored
        Failed,        // a statement failed; the upgrade's changes were undone
        NotChecked,    // the version could not be read (no file, no Info table, locked)
        BackupFailed,  // the copy could not be made, so nothing was changed
        Refused,       // the file is in use, cannot be written or is damaged: nothing was changed
        Newer,         // a newer program's steps ran on it: nothing was changed, the connection only reads
    };

    struct Options {
        // Copy the file before changing it. Only the database tool turns this off, for a file it
        // is creating itself (the copy would be of a file that never held data).
        bool backup = true;
        // Show the warning that announces the upgrade (the database tool, building a new file, keeps
        // quiet about it). Errors are always shown.
        bool announce = true;
        // How many of the program's own steps to run: a database as an earlier build left it (the
        // database tool's tests make such files). Negative: every step.
        int level = -1;
    };

    explicit SchemaUpgrade(SqlConnection& connection);
    SchemaUpgrade(SqlConnection& connection, const QString& programVersion, Options options);

    // Reads the stored version and upgrades when it differs from the program's. Every problem is
    // reported through the message service; nothing is thrown for a database error.
    Outcome CheckSchemaVersion();

    // The upgrade proper, inside the transaction CheckSchemaVersion holds: the warning, then the
    // steps in order, ending with the new version text when `storeVersion` is set. The first
    // statement that fails (probes and the drop of a view not there excepted) passes its
    // DatabaseError on.
    void UpgradeSchema(const QString& storedVersion, bool storeVersion);

    // For the program's own steps, inside the upgrade's transaction. A probe's failure leaves the
    // transaction usable; the other statements pass their DatabaseError on.
    bool onServer() const;
    bool probeFails(const QString& probe);
    void execute(const QString& statement);
    // Drops the view (a view not there is no error) and creates it by `createStatement`.
    void replaceView(const QString& dropStatement, const QString& createStatement);
    // A view as the version's steps create it ("create view …"); empty for a name they do not create.
    static QString versionViewDefinition(const QString& view);

    // The copy made before the last upgrade; empty when none was made.
    QString backupPath() const { return m_backupPath; }

    // The names of the views the version's steps drop and create again, in the order they create them
    // (the program's own steps may create some of them once more).
    static QStringList viewNames();

private:
    // The database as messages name it: the file, or the server without any password.
    QString databaseName() const;
    bool takeWriteLock();
    bool makeServerBackup();
    // Runs `statement`; false when it fails. On a server a failed statement would end the whole
    // transaction, so it runs behind a savepoint there.
    bool runsWithoutError(const QString& statement, bool returnsRows, QString* error = nullptr);
    bool isIntact();
    void foldWriteAheadLog();
    bool makeBackup();
    void rollbackQuietly();
    void runSteps();
    void runAll(const QStringList& statements);
    // The own steps after `storedLevel` on a database at the program's version, announced.
    void addOwnSteps(int storedLevel);
    // The own steps after the first `from`, then the level they leave.
    void runOwnSteps(int from);
    int storedLevel();
    int targetLevel() const;
    void insertVictimRows();
    QString warningText(const QString& storedVersion) const;
    QString causeText(const DatabaseError& error) const;
    QString failureText(const DatabaseError& error) const;

    SqlConnection& m_connection;
    QString m_programVersion;
    Options m_options;
    QString m_backupPath;
};
