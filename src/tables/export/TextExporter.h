#pragma once

#include "tables/export/GridExporter.h"

// Plain text: one line per row (CR LF), cells separated by tabs, UTF-8 without a byte order mark.
// Tabs and line breaks inside a cell become blanks, so every row stays one line.
class TextExporter : public GridExporter {
public:
    bool write(const GridSnapshot& grid, QIODevice& device) override;
};
