#pragma once

#include "data/ResultSet.h"

#include <QString>
#include <QStringList>
#include <functional>

// The month-count statement behind the pivot and the chart, and the restriction that makes it count
// the rows the list shows.
//
// The restriction is built from what narrows the list, not read back out of its statement text: the
// filter row's conditions (the anchor line of the main statement) and the terms of the client filter
// that a grouping-tree node sets. Searching the text for "where" and ";" breaks on a ";" inside a
// typed value, and "C = NULL" is never true in SQL, so a node standing for empty values would count
// nothing while the list shows rows.
namespace PivotQuery {

// The three lines: select ... as [Count] / from yearreportview / group by month, short_reps;
QStringList savedLines();
// The lines joined with the line break the program's statements use.
QString savedText();

// The column type of a field of the list, for writing a client-filter value as SQL.
using TypeOf = std::function<ResultSet::ColumnType(const QString& field)>;

// The restriction R: the filter-row conditions, then " and ", then the client filter's terms as SQL
// (NULL as IS NULL, texts compared without regard to letter case, dates in the storage form).
// Empty when nothing narrows the list. Throws DatabaseError on a filter term it cannot read.
QString restriction(const QString& anchorConditions, const QString& clientFilter, const TypeOf& typeOf);

// One client-filter term as SQL.
QString termSql(const QString& field, const QString& value, ResultSet::ColumnType type);

// `saved` with "where " + R as its third line; `saved` itself when R is empty.
QString withRestriction(const QString& saved, const QString& restriction);

} // namespace PivotQuery
