#pragma once

#include "tables/export/GridExporter.h"

// An Excel workbook (.xlsx) of one sheet: titles in bold, numbers as numbers, dates as dates shown
// "dd.mm.yyyy" (with the time when it is not midnight), everything else as text.
//
// libxlsxwriter only writes to a file name, so the workbook is made in a temporary directory (with
// its row-by-row mode, which keeps memory flat for 100,000 rows) and then copied into the device.
class XlsxExporter : public GridExporter {
public:
    static constexpr int MaxRows = 1048576; // the sheet's limit, title row included
    static constexpr int MaxTextLength = 32767;

    bool write(const GridSnapshot& grid, QIODevice& device) override;

private:
    bool writeWorkbook(const GridSnapshot& grid, const QString& fileName);
    bool copyInto(const QString& fileName, QIODevice& device);
};
