#pragma once

#include "tables/report/ReportDocument.h"

class QWidget;

// Shows a report built beforehand: the modal print preview (ReportPreviewDialog) titled with the
// report's name, with printing, page turning, zoom and "Save as PDF". It returns when the preview
// is closed. With the
// grid printer's test file set (GridPrinter::setPreviewOutputFile), the report is written to that
// PDF instead and nothing is shown.
namespace ReportPreview {

void show(const ReportDocument& document, QWidget* parent);

// The "Save as PDF" command: asks for the file name and writes the report; a failure is reported
// with Messages::error. True when the file was written.
bool saveAsPdf(const ReportDocument& document, QWidget* parent);

} // namespace ReportPreview
