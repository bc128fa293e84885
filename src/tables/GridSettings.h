#pragma once

#include <QList>
#include <QString>

class FormSettings;
class QTableView;

// A data grid's layout in a window's settings section: the columns in their on-screen order, each
// with its field name, visibility and width, and the number of frozen columns. On reading, stored
// names are matched to the grid's fields without regard to letter case; names the grid no longer has
// are skipped and columns the file does not know keep their place after the known ones. Whether the
// widths are the user's own (GridColumns::userSetWidths) is kept with them.
//
// The grid's model must be a DatasetModel (one column per field).
namespace GridSettings {
// A stored layout read ahead, for a grid whose dataset has no fields yet (a page not yet shown).
struct Layout {
    struct Column {
        QString field;
        bool visible = true;
        int width = 0;
    };
    QList<Column> columns;
    int frozen = 0;
    bool userWidths = false; // the user has set a width: columns are no longer fitted
};

void save(FormSettings& settings, const QString& prefix, const QTableView& grid);
void restore(const FormSettings& settings, const QString& prefix, QTableView& grid);
Layout read(const FormSettings& settings, const QString& prefix);
// Applies `layout` to the grid's columns as restore() does; needs the dataset's fields.
void apply(const Layout& layout, QTableView& grid);
// Frozen columns are kept as a property of the grid ("FrozenCols") so they survive a round trip.
int frozenColumns(const QTableView& grid);
} // namespace GridSettings
