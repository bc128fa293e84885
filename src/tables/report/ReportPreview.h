#pragma once

#include "tables/report/ReportDocument.h"

class QWidget;

// Shows a report built beforehand in the program's print preview (ReportPreviewDialog), modal,
// titled with the report's name; it returns when the preview is closed. With the print test file set
// (PrintOutput::setTestOutputFile), the report is written to that PDF instead and nothing is shown.
namespace ReportPreview {

void show(const ReportDocument& document, QWidget* parent);

} // namespace ReportPreview
