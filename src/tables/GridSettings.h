#pragma once

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
void save(FormSettings& settings, const QString& prefix, const QTableView& grid);
void restore(const FormSettings& settings, const QString& prefix, QTableView& grid);
// Frozen columns are kept as a property of the grid ("FrozenCols") so they survive a round trip.
int frozenColumns(const QTableView& grid);
} // namespace GridSettings
