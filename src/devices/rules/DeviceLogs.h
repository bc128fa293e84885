#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

class Dataset;
class SqlConnection;

// The three logs of the device window: what happened to a device record (edit log), to the dates of
// a next-service row (service log) and to where and in what state a device is (move log). Each write
// prunes its log first; every value reaches the statement through the one value writer, so dates
// are stored in the storage form and a quote in a place or a number is kept as typed.
namespace DeviceLogs {

enum class Log { Edit, Service, Move };
// The codes of the Victim table.
enum class EditKind { Added = 1, Edited = 2, Deleted = 3 };

// While a log holds more than 1000 rows, every row changed before the day 31 days before today goes.
// The cut-off is a real date (Jet's "Date()-31" would be the number 1995 on this engine and prune
// nothing).
QDateTime pruneCutOff(const QDate& today);
QString pruneStatement(Log log, const QDate& today);
// Empties a log, for all devices.
QString clearStatement(Log log);
// "select * from EditHistView;" and the statement of the current device's entries.
QString allEntriesStatement(Log log);
QString deviceEntriesStatement(Log log);

// Who made the change, when the log has a column for it (see LogAuthor); an empty name is stored as
// null.
using Author = std::optional<QString>;

// The numbers are always quoted: an empty number is stored as an empty text.
QString editLogInsert(qint64 device, EditKind kind, const QDateTime& now, const QVariant& aNumber,
                      const QVariant& zNumber, const Author& author = std::nullopt);

// The last and next service dates of a next-service row.
struct ServiceDatesPair {
    QVariant lastRep;
    QVariant nextRep;
};
QString serviceLogInsert(qint64 nextRep, const QDateTime& now, const ServiceDatesPair& before,
                         const ServiceDatesPair& after, const Author& author = std::nullopt);

// The five watched attributes of a device.
struct Placement {
    QVariant location;
    QVariant locSet;
    QVariant state;
    QVariant setPlace;
    QVariant setDate;
};
// A value as the move log writes it: null, or its text in quotes (keys included, dates in the
// storage form). An empty text counts as null.
QString moveValueText(const QVariant& value);
// Whether any of the five differs, compared as the log writes them.
bool placementDiffers(const Placement& before, const Placement& after);
QString moveLogInsert(qint64 device, const QDateTime& now, const Placement& before, const Placement& after,
                      const Author& author = std::nullopt);

// The writers: prune, then insert, with Clock's moment as the change date and the connection's user
// as the author. The move log writes (and prunes) only when something moved; it says whether it
// wrote.
void writeEditLog(SqlConnection& connection, qint64 device, EditKind kind, const QVariant& aNumber,
                  const QVariant& zNumber);
void writeServiceLog(SqlConnection& connection, qint64 nextRep, const ServiceDatesPair& before,
                     const ServiceDatesPair& after);
bool writeMoveLog(SqlConnection& connection, qint64 device, const Placement& before, const Placement& after);

// The sign and the notes typed into an entry shown through MovHistView are written to the MovHist row
// of the entry's key, and to no other. False when that row is gone (cleared or pruned meanwhile) or
// the view shows no key (a database the schema steps have not reached). The entry keeps the author
// who made it.
bool writeMoveNotes(SqlConnection& connection, const Dataset& entry);

} // namespace DeviceLogs
