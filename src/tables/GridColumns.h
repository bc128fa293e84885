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

} // namespace GridColumns
