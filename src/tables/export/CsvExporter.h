#pragma once

#include "tables/export/GridExporter.h"

// Comma separated values after RFC 4180, written the way Russian spreadsheet programs read them:
// - UTF-8 with a byte order mark, without which Excel takes the file for the ANSI code page;
// - ";" between fields: with the decimal comma of the Russian locale the list separator is ";",
//   and numbers shown as "2,15" would otherwise all need quotes;
// - a field holding ";", ",", a quote or a line break is quoted, its quotes doubled; CR LF ends rows.
class CsvExporter : public GridExporter {
public:
    static constexpr char Separator = ';';

    bool write(const GridSnapshot& grid, QIODevice& device) override;
    // One field as it is written.
    static QString quoted(const QString& field);
};
