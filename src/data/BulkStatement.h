#pragma once

#include <QDate>
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One statement prepared once on the raw engine handle and run many times with new values, for
// loading hundreds of thousands of generated rows. The text is plain SQLite (it is not translated and
// does not reach the SQL monitor), so it is for generators only, never for the program's own work.
class BulkStatement {
public:
    BulkStatement(sqlite3* db, const QString& sqliteText);
    ~BulkStatement();
    BulkStatement(const BulkStatement&) = delete;
    BulkStatement& operator=(const BulkStatement&) = delete;

    // Values for the next run, by position from 1; a missing optional binds NULL.
    BulkStatement& bind(int index, qint64 value);
    BulkStatement& bind(int index, int value) { return bind(index, qint64(value)); }
    BulkStatement& bind(int index, std::optional<qint64> value);
    BulkStatement& bind(int index, double value);
    BulkStatement& bind(int index, const QString& value);
    BulkStatement& bind(int index, const QDate& day);          // storage form, or NULL when invalid
    BulkStatement& bind(int index, const QDateTime& moment);   // storage form, or NULL when invalid
    // A wall-clock moment given as a day and the seconds since its midnight, in the storage form,
    // written without any time-zone or calendar lookup (generators write millions of them).
    BulkStatement& bind(int index, const QDate& day, int secondOfDay);
    BulkStatement& bindNull(int index);

    // Runs the statement, resets it and clears the values; returns the new row's identity.
    qint64 run();

private:
    void check(int rc) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_text;
};
