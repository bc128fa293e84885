#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SqlConnection;

// Moves a plant between a database file and a server, either way: every table's rows with their
// keys, in one transaction on the target, the identity counters set past the highest key after the
// load, and each table's rows compared on both sides at the end, value by value as each database
// stores them.
//
// The target must already have the program's schema at the source's version (the tool makes it) and
// none of a plant's rows: what the schema brings by itself (the version row, the kinds of edit) is
// replaced by the source's rows.
class PlantCopy {
public:
    // A value the copy does not hold as the source stores it (a moment with milliseconds on a server
    // that keeps seconds, a decimal with more than six places, a text with a NUL byte), or a row
    // that one side has and the other lacks (`column` then empty).
    struct Difference {
        QString row; // "ID_Device = 17", or "строка 5" in a table without a key (in the order read)
        QString column;
        QString before; // as the source stores it: «text», a number, or NULL
        QString after;  // as the copy holds it
    };
    struct TableResult {
        QString table;
        qint64 sourceRows = 0;
        qint64 targetRows = 0;
        quint64 sourceSum = 0;
        quint64 targetSum = 0;
        QList<Difference> differences;
        bool same() const { return sourceRows == targetRows && sourceSum == targetSum; }
        // Every row arrived, and only the values listed differ: what a target that rounds them gives.
        bool onlyValuesDiffer() const;
    };

    PlantCopy(SqlConnection& source, SqlConnection& target);

    // The tables the copy moves, as the source names them. Throws DatabaseError.
    QStringList tables();
    // Copies and compares; throws DatabaseError (the target's transaction undone) when a table is
    // missing on the target or a statement fails. A difference is reported, not thrown.
    QList<TableResult> run();

private:
    struct Plan {
        QString table;
        QStringList columns;
        QString key;
    };
    void copyTable(const Plan& plan);
    void setIdentityPastHighestKey(const QString& table, const QString& key);
    TableResult compare(const Plan& plan);

    SqlConnection& m_source;
    SqlConnection& m_target;
};
