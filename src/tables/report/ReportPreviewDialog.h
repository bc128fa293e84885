#pragma once

#include "tables/report/ReportPagination.h"

#include <QDialog>

class QLabel;
class QScrollArea;
class ReportPageView;

// The print preview of a report: one page at a time, painted when it is shown, so that a report of
// hundreds of pages opens at once; page turning, zoom, printing and "Save as PDF". The report must
// outlive the dialog; the dialog only reads it.
class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreviewDialog(const ReportDocument& document, QWidget* parent = nullptr);

    int pageCount() const { return int(m_pages.size()); }
    int currentPage() const { return m_page; } // 0-based
    void setCurrentPage(int index);
    double zoom() const;
    void setZoom(double zoom);
    void fitWidth();

    // Asks for a printer and the pages, then prints them.
    void printReport();
    // Asks for a file name, then writes every page to it.
    void saveAsPdf();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QAction* addCommand(const char* name, const QString& text, const QKeySequence& key, void (ReportPreviewDialog::*slot)());
    void firstPage() { setCurrentPage(0); }
    void previousPage() { setCurrentPage(m_page - 1); }
    void nextPage() { setCurrentPage(m_page + 1); }
    void lastPage() { setCurrentPage(pageCount() - 1); }
    void zoomIn();
    void zoomOut();
    void updateCommands();

    const ReportDocument& m_document;
    const std::vector<ReportPagination::Page> m_pages;
    int m_page = 0;
    bool m_fitted = false;
    ReportPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pageLabel = nullptr;
};
