#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SqlConnection;

// Moves a plant between a database file and a server, either way: every table's rows with their
// keys, in one transaction on the target, the identity counters set past the highest key after the
// load, and each table's row count and checksum compared on both sides at the end.
//
// The target must already have the program's schema at the source's version (the tool makes it) and
// none of a plant's rows: what the schema brings by itself (the version row, the kinds of edit) is
// replaced by the source's rows.
class PlantCopy {
public:
    struct TableResult {
        QString table;
        qint64 sourceRows = 0;
        qint64 targetRows = 0;
        quint64 sourceSum = 0;
        quint64 targetSum = 0;
        bool same() const { return sourceRows == targetRows && sourceSum == targetSum; }
    };

    PlantCopy(SqlConnection& source, SqlConnection& target);

    // The tables the copy moves, as the source names them. Throws DatabaseError.
    QStringList tables();
    // Copies and compares; throws DatabaseError (the target's transaction undone) when a table is
    // missing on the target or a statement fails. A difference is reported, not thrown.
    QList<TableResult> run();

    // An order-free checksum of a table's rows: each row's values in a form both engines give alike
    // (numbers at six places, dates in the storage form), hashed and summed. `rows` gets the count.
    static quint64 checksum(SqlConnection& connection, const QString& table, const QStringList& columns, qint64* rows);

private:
    void copyTable(const QString& table, const QStringList& columns, const QString& key);
    void setIdentityPastHighestKey(const QString& table, const QString& key);

    SqlConnection& m_source;
    SqlConnection& m_target;
};
