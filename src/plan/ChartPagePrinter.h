#pragma once

#include "tables/print/PrintJob.h"

class QWidget;

// The chart page of the plan window on one sheet: a title with the plan's year and the print date,
// the pivot as far as it shows on screen, and under it the chart laid out anew for the rest of the
// page, so that its axes and their titles get the room of the paper, not of the window (a tall
// narrow window has no room for them). Grids and charts are drawn as text and lines, so the words
// stay words in a PDF.
class ChartPagePrinter : public PrintJob {
public:
    // `year` 0: no plan yet, the title without a year.
    ChartPagePrinter(QWidget* page, int year) : m_page(page), m_year(year) {}

    QString title() const override;
    // Landscape, 10 mm margins.
    void choosePaper(QPrinter* printer) const override;
    int pageCount(QPrinter*) const override { return 1; }
    void paintPage(QPainter& painter, QPrinter* printer, int page) const override;

    // The print preview; with the print test file set, the PDF instead.
    void preview(QWidget* parent);

private:
    QWidget* m_page;
    int m_year;
};
