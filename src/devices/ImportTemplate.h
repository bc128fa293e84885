#pragma once

#include <QString>

// Empty tables for the device import: the titles of every field it reads, as a workbook and as a
// text file (UTF-8 with a byte order mark, ';' between titles), so that the user fills in a file the
// import maps by itself.
namespace ImportTemplate {

// Writes `baseName`.xlsx and `baseName`.csv (a given extension is dropped); false with `error` set
// when either cannot be written (a file already written is removed again).
bool write(const QString& baseName, QString& error);

} // namespace ImportTemplate
