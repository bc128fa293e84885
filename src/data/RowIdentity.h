#pragma once

#include <QString>
#include <QVariant>

class Dataset;

// Re-running a list and "returning to the same row number" keeps the user on the same row only while
// the rows keep their order and nobody else adds or removes any. On a server neither holds: a
// statement without an order gets the rows in whatever order the server finds them that time (an
// updated row moves to the end of its table), and other users insert and delete meanwhile. There a
// re-query returns to the row holding the same key while that row is still listed; a file keeps the
// row number.
namespace RowIdentity {

// The key of the current row to return to after a re-query: null on a file, without a key column or
// without a current row.
QVariant toKeep(const Dataset& dataset, const QString& keyField);
// Moves to the row holding `key` when the current row holds another one and `key` is still listed.
void returnTo(Dataset& dataset, const QString& keyField, const QVariant& key);

} // namespace RowIdentity
