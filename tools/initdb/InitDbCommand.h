#pragma once

#include "data/PlantCopy.h"

#include <QStringList>
#include <QTextStream>

class SqlConnection;

// The database tool: creates an empty, a demonstration or a large database file, or brings an
// existing one up to the program's version with the program's own upgrade.
//
//   instrel-initdb --empty FILE     the objects a file must hold before the program's first start
//   instrel-initdb --demo FILE      an empty file, upgraded, with a demonstration plant
//   instrel-initdb --big FILE       an empty file, upgraded, with a plant of 100,000 devices
//   instrel-initdb --upgrade FILE   the upgrade the program runs at start-up
//   instrel-initdb --copy FROM TO [--accept-rounding]
//                                   a plant moved between a file and a server, keys kept; values the
//                                   target cannot hold exactly are listed and stop the copy unless
//                                   the rounding is accepted
//
// A new file is never written over an existing one and never left half-written.
//
// In place of FILE a PostgreSQL connection string ("host=… dbname=… user=…" or a postgresql://
// address) names a database on a server: it is filled only when it holds no tables yet, and what
// was made is removed again when filling it fails.
class InitDbCommand {
public:
    enum ExitCode { Success = 0, Failure = 1, Usage = 2 };

    InitDbCommand(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    // `arguments` without the program name.
    int run(const QStringList& arguments);

private:
    enum class Mode { Empty, Demo, Big, Upgrade };

    int create(Mode mode, const QString& file);
    int createOnServer(Mode mode, const QString& connectionString);
    int upgrade(const QString& file);
    static bool namesServer(const QString& target);
    // Removes, and names, the working files a killed run left for `finalPath`.
    void removeStaleFiles(const QString& finalPath);
    // Runs the steps shared by a file and a server: the schema, its upgrade and the plant.
    bool build(Mode mode, SqlConnection& connection);
    // Takes away everything a failed fill made in a server database that held no tables.
    void emptyAgain(SqlConnection& connection);
    static QString kindText(Mode mode);
    int copy(const QString& from, const QString& to, bool acceptRounding);
    // Gives `target` the program's schema and moves the plant into it; prints each table's count
    // and checksum, and every value the target holds otherwise than the source stores it. False
    // (with the reason printed) when the schema could not be made or the copy differs from the
    // source, unless the only differences are such values and `acceptRounding` allows them.
    bool copyPlant(SqlConnection& source, SqlConnection& target, bool acceptRounding);
    struct CopyVerdict {
        bool same = true;
        bool onlyValuesDiffer = true; // every difference is a value the target holds rounded or cut
        int values = 0;               // such values listed
    };
    // Prints each table's count and checksum and every difference found.
    CopyVerdict printComparison(const QList<PlantCopy::TableResult>& results);
    int usage(const QString& problem);
    int fail(const QString& text);

    QTextStream& m_out;
    QTextStream& m_err;
};
