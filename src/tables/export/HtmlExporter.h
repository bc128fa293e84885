#pragma once

#include "tables/export/GridExporter.h"

// An HTML page in UTF-8 holding one table: titles as header cells, then the rows. <, >, & and " are
// written as entities, line breaks inside a cell as <br>.
class HtmlExporter : public GridExporter {
public:
    bool write(const GridSnapshot& grid, QIODevice& device) override;
    static QString escaped(const QString& text);
};
