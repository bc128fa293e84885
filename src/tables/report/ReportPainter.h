#pragma once

#include "tables/report/ReportPagination.h"

class QPagedPaintDevice;
class QPainter;

// Paints a report's pages. Nothing is kept between two paintings: a page painted twice, for the
// preview at two zooms and for the printer, is the same page. Text is drawn as text in DejaVu Sans,
// rotated captions included, so that a PDF of the report can be searched and read back.
namespace ReportPainter {

// Paints page `index` (0-based) of `pages` with `painter`, whose origin is the printable area's
// top-left corner and whose unit is a pixel of its device (millimetres follow the device's
// resolution).
void paintPage(QPainter& painter, const ReportDocument& document, const std::vector<ReportPagination::Page>& pages,
               int index);

// The report's paper, orientation and margins on `device`.
void preparePage(QPagedPaintDevice& device, const ReportPageSetup& page);

// Paints pages `from` to `to` (1-based and inclusive; 0 for the first or the last page) on `device`,
// one sheet each; the number of pages painted, or -1 when the device could not be started.
int print(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, QPagedPaintDevice& device,
          int from = 0, int to = 0);

// The whole report as a PDF file titled with the report's name; false when the file cannot be
// written (the file is then not left behind half-written).
bool writePdf(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, const QString& file);

// "%[Page]" and "%[Pages]" of `text` filled in.
QString pageText(const QString& text, int page, int pageCount);

} // namespace ReportPainter
