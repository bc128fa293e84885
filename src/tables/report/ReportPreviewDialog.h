#pragma once

#include "tables/print/PrintJob.h"
#include "tables/print/PrintPreviewDialog.h"
#include "tables/report/ReportPagination.h"

#include <QPrinter>
#include <memory>

// A report as the print preview sees it: its pages as the report lays them out, on the report's
// paper. Turned to paper of the other orientation or a smaller size, the pages are shrunk to fit it
// rather than cut.
class ReportPrintJob : public PrintJob {
public:
    explicit ReportPrintJob(const ReportDocument& document);

    QString title() const override { return m_document.name; }
    void choosePaper(QPrinter* printer) const override;
    int pageCount(QPrinter*) const override { return int(m_pages.size()); }
    void paintPage(QPainter& painter, QPrinter* printer, int page) const override;

    const ReportDocument& document() const { return m_document; }
    const std::vector<ReportPagination::Page>& pages() const { return m_pages; }
    // The printer the preview shows and prints on, set up with the report's paper.
    QPrinter& printer() { return m_printer; }

private:
    const ReportDocument& m_document;
    const std::vector<ReportPagination::Page> m_pages;
    QPrinter m_printer{QPrinter::HighResolution};
};

// The print preview of a report: the program's one preview frame, under the names report previews
// have always had. The report must outlive the dialog; the dialog only reads it.
class ReportPreviewDialog : public PrintPreviewDialog {
    Q_OBJECT
public:
    explicit ReportPreviewDialog(const ReportDocument& document, QWidget* parent = nullptr);
    ~ReportPreviewDialog() override;

private:
    ReportPreviewDialog(std::unique_ptr<ReportPrintJob> job, QWidget* parent);

    std::unique_ptr<ReportPrintJob> m_job;
};
