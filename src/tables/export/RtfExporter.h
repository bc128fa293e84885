#pragma once

#include "tables/export/GridExporter.h"

// A Rich Text document holding one bordered table, titles in bold. The file is pure ASCII: every
// character outside it is written as \uN? (N the signed UTF-16 unit, "?" the fallback for old
// readers), and \, { and } are escaped.
class RtfExporter : public GridExporter {
public:
    bool write(const GridSnapshot& grid, QIODevice& device) override;
    static QByteArray escaped(const QString& text);
};
