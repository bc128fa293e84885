#include "tables/report/ReportPreview.h"

#include "tables/report/ReportPreviewDialog.h"

namespace ReportPreview {

void show(const ReportDocument& document, QWidget* parent)
{
    ReportPrintJob job(document);
    if (PrintOutput::writeTestOutput(job, job.printer()))
        return;
    ReportPreviewDialog dialog(document, parent);
    dialog.exec();
}

} // namespace ReportPreview
