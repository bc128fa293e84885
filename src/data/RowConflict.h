#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Another user's change to a row between its reading and its writing. Before a row is updated or
// deleted, what the database holds now is compared with what the user started from; any difference
// stops the write with a message that shows the current values, so that the second of two planners
// editing one device never overwrites the first without a word.
namespace RowConflict {

// Whether two values are the same stored value. Read back, typed or read through another engine a
// value may change its form but not its meaning: a date comes back as a date and time, a number as
// an integer, a server keeps numbers to six places, an empty text may be stored as null.
bool sameStoredValue(const QVariant& a, const QVariant& b);

// A column another user changed: its caption and its value now, as the user sees it.
struct ChangedColumn {
    QString caption;
    QString current;
};

// A column where the user's value would replace the one another user stored: the user's value in
// `yours`, the stored one in `theirs`.
struct Overwrite {
    ChangedColumn yours;
    QString theirs;
};

// The message for an update that did not happen: the user's values are kept for a second save.
QString changedBeforeSaveText(const QList<ChangedColumn>& changes);
// The message for a delete that did not happen: the row shows what it holds now.
QString changedBeforeDeleteText(const QList<ChangedColumn>& changes);
// The question before a save writes the user's values over another user's: "yes" writes them,
// "no" keeps the stored ones.
QString overwriteQuestion(const QList<Overwrite>& overwrites);

} // namespace RowConflict
