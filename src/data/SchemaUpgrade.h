#pragma once

#include <QString>
#include <QStringList>

class SqlConnection;

// The version text of this build ("2.4"), as stored in the database's version row and shown in the
// main window's caption.
QString ReadProgramVersion();

// Brings the schema of a database file up to the program's version: adds missing columns and tables,
// re-creates the program's views, fills the kinds of edit and, once, turns per-type service rows
// into per-crew rows. Each step decides by probing the database, so the upgrade runs on a file of any
// earlier state and leaves an up-to-date one unchanged but for its views.
//
// Beyond the steps themselves, the file is copied beside itself before anything changes, and the
// steps run in one transaction: a failed upgrade leaves the file as it was and names the copy.
class SchemaUpgrade {
public:
    enum class Outcome {
        UpToDate,      // the stored version is the program's: nothing ran
        Upgraded,      // all steps ran and the version is stored
        Failed,        // a statement failed; the upgrade's changes were undone
        NotChecked,    // the version could not be read (no file, no Info table, locked)
        BackupFailed,  // the copy could not be made, so nothing was changed
    };

    struct Options {
        // Copy the file before changing it. Only the database tool turns this off, for a file it
        // is creating itself (the copy would be of a file that never held data).
        bool backup = true;
        // Show the warning that announces the upgrade (the database tool, building a new file, keeps
        // quiet about it). Errors are always shown.
        bool announce = true;
    };

    explicit SchemaUpgrade(SqlConnection& connection);
    SchemaUpgrade(SqlConnection& connection, const QString& programVersion, Options options);

    // Reads the stored version and upgrades when it differs from the program's. Every problem is
    // reported through the message service; nothing is thrown for a database error.
    Outcome CheckSchemaVersion();

    // The upgrade proper: the warning, then the steps in order in one transaction, ending with the
    // new version text when `storeVersion` is set. At the first statement that fails (probes and view
    // drops excepted) the transaction is rolled back and the DatabaseError passed on.
    void UpgradeSchema(const QString& storedVersion, bool storeVersion);

    // The copy made before the last upgrade; empty when none was made.
    QString backupPath() const { return m_backupPath; }

    // The names of the views every upgrade drops and creates again, in the order it creates them.
    static QStringList viewNames();

private:
    bool makeBackup();
    void runSteps();
    bool probeFails(const QString& probe);
    void runAll(const QStringList& statements);
    void replaceView(const QString& name, const QString& createStatement);
    void insertVictimRows();
    QString warningText(const QString& storedVersion) const;
    QString failureText(const QString& engineText, bool versionRowWritten) const;

    SqlConnection& m_connection;
    QString m_programVersion;
    Options m_options;
    QString m_backupPath;
};
