#pragma once

#include "tables/export/GridExporter.h"

#include <QString>

class GridSnapshot;
class QTableView;
class QWidget;

// The table window's "Save Selected As": the save dialog (through FileDialogs) proposes "file1"
// with the five file types; the chosen type gives the extension (ExportFileName::withExtension) and
// the format, and the question whether to replace an existing file names that completed file; the
// selected rows of the visible columns are written. A file that cannot be written
// is reported with Messages::error and left as it was. False when cancelled or failed.
bool saveSelectedRows(QTableView* view, QWidget* parent);

// Writes `grid` to `fileName` in `format` all at once: the file appears only when complete, and an
// existing file is kept when writing fails. On failure `error` says why.
bool exportGridToFile(const GridSnapshot& grid, const QString& fileName, ExportFormat format, QString* error);
