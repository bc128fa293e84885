#pragma once

#include "tables/print/GridPrinter.h"
#include "tables/print/PrintPreviewDialog.h"

// The print preview of a grid: the program's one preview frame over the grid printer, under the
// names grid previews have always had.
class GridPreviewDialog : public PrintPreviewDialog {
    Q_OBJECT
public:
    GridPreviewDialog(GridPrinter& grid, QPrinter& printer, QWidget* parent = nullptr)
        : PrintPreviewDialog(grid, printer, PreviewNames::grid, parent)
    {
    }
};
