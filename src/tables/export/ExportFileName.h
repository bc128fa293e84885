#pragma once

#include "tables/export/GridExporter.h"

#include <QStringList>

// The file types the save command offers, in the order of ExportFormat, and the rule that gives the
// chosen file name its extension.
namespace ExportFileName {
// The type names in the language in use, "Text files (*.txt)" to "Microsoft Excel Workbook (*.xlsx)":
// the program writes real .xlsx workbooks, so the Excel type says so.
QStringList filters();
// "txt", "csv", "htm", "rtf", "xlsx".
QString extension(ExportFormat format);
// The format of filter number `index` (0-based), Text when out of range.
ExportFormat formatAt(int index);
// `fileName` with "." and the format's extension appended unless its whole extension (the text after
// the last dot of the file's own name) already is that one, compared without regard to case:
// "file1.TXT" stays, "file1" and "file1.xls" get ".txt"/".xlsx", "file1." gets "txt". For HTML
// ".html" counts as well as ".htm".
QString withExtension(const QString& fileName, ExportFormat format);
} // namespace ExportFileName
