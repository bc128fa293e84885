#pragma once

#include "tables/export/GridExporter.h"

// Comma separated values after RFC 4180:
// - UTF-8 with a byte order mark, without which spreadsheet programs take the file for the ANSI code
//   page and garble Cyrillic;
// - "," between fields, as the format's name says; numbers shown with the decimal comma ("2,15") are
//   therefore quoted;
// - a field holding ",", ";", a quote or a line break is quoted, its quotes doubled (";" too, so a
//   program that splits at the Russian list separator still keeps such a field whole); CR LF ends rows.
class CsvExporter : public GridExporter {
public:
    static constexpr char Separator = ',';

    bool write(const GridSnapshot& grid, QIODevice& device) override;
    // One field as it is written.
    static QString quoted(const QString& field);
};
