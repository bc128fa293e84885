#include "tables/report/ReportPreviewDialog.h"

#include "tables/report/ReportPainter.h"

#include <QPainter>
#include <algorithm>

namespace {
constexpr double MmPerInch = 25.4;
} // namespace

ReportPrintJob::ReportPrintJob(const ReportDocument& document)
    : m_document(document), m_pages(ReportPagination::paginate(document))
{
    m_printer.setDocName(document.name);
    choosePaper(&m_printer);
}

void ReportPrintJob::choosePaper(QPrinter* printer) const { ReportPainter::preparePage(*printer, m_document.page); }

void ReportPrintJob::paintPage(QPainter& painter, QPrinter* printer, int page) const
{
    const double px = printer->resolution() / MmPerInch;
    const QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());
    const double scale = std::min({1.0, area.width() / (m_document.page.width() * px),
                                   area.height() / (m_document.page.height() * px)});
    painter.scale(scale, scale);
    ReportPainter::paintPage(painter, m_document, m_pages, page - 1);
}

ReportPreviewDialog::ReportPreviewDialog(const ReportDocument& document, QWidget* parent)
    : ReportPreviewDialog(std::make_unique<ReportPrintJob>(document), parent)
{
}

// The job is made before the frame that shows it, and the dialog keeps it for the frame's life.
ReportPreviewDialog::ReportPreviewDialog(std::unique_ptr<ReportPrintJob> job, QWidget* parent)
    : PrintPreviewDialog(*job, job->printer(), PreviewNames::report, parent), m_job(std::move(job))
{
}

ReportPreviewDialog::~ReportPreviewDialog() = default;
