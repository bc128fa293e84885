#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class Dataset;

// Rules of the types window that are not tied to a dataset's events.
namespace TypeRules {

// The name a new type starts with; a fixed text, the same in every language.
QString newTypeName();
// The columns Same copies into the new type: everything but the comment (and the intervals).
const QStringList& sameColumns();
QString sameStatement(qint64 type);
// The type the list returns to after the current one is deleted: the one before it, or the current
// one itself when it is the first (the refresh then lands on whatever is first).
QVariant returnIdAfterDeletion(const Dataset& types);

} // namespace TypeRules

// Same in both windows: a new row of `target` holding `columns` of the row that `statement` reads
// (on the target's connection). The row is inserted, not yet posted. Nothing is inserted when the
// statement finds no row; the result says whether it did.
bool insertCopy(Dataset& target, const QString& statement, const QStringList& columns);
