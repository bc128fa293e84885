#pragma once

class QPrinter;
class QWidget;

// Prints a page of a window (the pivot with its chart) as it looks on screen, on one sheet: the full
// printable width with the page's proportions kept, or less when that would run off the sheet's
// foot. Its grids and charts are drawn as text and lines, so the words stay words in a PDF.
namespace ChartPagePrinter {

// Paints `page` on the first sheet of `printer`; false when the printer could not be started.
bool print(QWidget* page, QPrinter* printer);
// The print preview titled "Service chart"; with the grid printer's test file set, the PDF instead.
void preview(QWidget* page, QWidget* parent);

} // namespace ChartPagePrinter
