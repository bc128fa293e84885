#pragma once

#include <QList>
#include <QString>

class Dataset;
class QTableView;

// Which columns of a dataset a grid shows, in what order and under what titles.
namespace GridColumns {

struct Column {
    QString field;
    QString title;
};

// Shows `columns` of `dataset` in `grid` in this order under these titles (fields the dataset does
// not have are skipped) and hides every other column and its field.
void show(QTableView& grid, Dataset& dataset, const QList<Column>& columns);

// Widens each shown column that is narrower than its title, so that no title is cut (the Russian
// ones are long). Wider columns keep their width.
void widenToTitles(QTableView& grid);

// Whether the user has set a column's width himself (dragged or double-clicked a divider): the
// grid's property "UserWidths", which GridSettings keeps.
bool userSetWidths(const QTableView& grid);
// Watches the grid's header for widths the user sets, from now on.
void trackUserWidths(QTableView& grid);

// Each shown column as wide as its title and the values of the rows in sight, but no wider than
// `limit` pixels, and never narrower than its title needs up to that limit.
void fitToContents(QTableView& grid, int limit);
// The widest a column is fitted to: about fifty characters of the grid's type, and no more than half
// the grid, so that one long value does not push every other column out of sight.
int fitLimit(const QTableView& grid);

} // namespace GridColumns
