#pragma once

#include "tables/print/PrintJob.h"

#include <QPointer>
#include <QString>
#include <QTableView>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;

// Prints a grid as a planner can hand it on: every page carries the title (the caption of the window
// the grid is in, unless set), the print date and "Page N of M", then the column titles and the rows;
// the visible columns of a QTableView in their visual order, widths as on screen. Margins are 10 mm,
// which every printer can print. An extra page header and footer may be set; "%[Today]" in them
// becomes today's date. None is set by default.
//
// A grid wider than the page is shrunk to the page's width as long as its type stays at least
// MinimumPoints large ("fit to width", on by default); what is still too wide continues on the
// pages to the right, each repeating the first (key) columns, so that every cell keeps readable
// type. Column titles wrap onto several lines instead of being cut.
//
// Cells are drawn straight from the model page by page, so 100,000 rows cost one pass over the rows
// when printed and nothing before a page is shown: the preview draws only the pages in sight.
class GridPrinter : public PrintJob {
public:
    explicit GridPrinter(QTableView* view = nullptr) : m_view(view) {}

    void setView(QTableView* view) { m_view = view; }
    QTableView* view() const { return m_view; }
    void setTitle(const QString& title) { m_title = title; }
    // The title set, or else the caption of the window holding the grid.
    QString title() const override;
    void setPageHeader(const QString& text) { m_header = text; }
    void setPageFooter(const QString& text) { m_footer = text; }
    // `text` with "%[Today]" replaced by today's date ("dd.MM.yyyy", from Clock).
    static QString substitute(const QString& text);

    static constexpr double MarginMm = 10.0;
    // The smallest type the columns are shrunk to when fitted to the page's width.
    static constexpr double MinimumPoints = 7.0;
    // At most this many lines of a column title; a longer one is cut at its foot.
    static constexpr int MaxTitleLines = 4;
    // 10 mm margins on every side.
    static void preparePrinter(QPrinter* printer);
    // Margins, and landscape when the grid is too wide for a portrait page.
    void preparePrinterForGrid(QPrinter* printer) const;
    void choosePaper(QPrinter* printer) const override { preparePrinterForGrid(printer); }

    bool canFitToWidth() const override { return true; }
    bool fitsToWidth() const override { return m_fitToWidth; }
    void setFitToWidth(bool fit) override { m_fitToWidth = fit; }

    // How many pages printing makes on this printer: the pages down times the pages across.
    int pageCount(QPrinter* printer) const override;
    // How many pages across one band of rows takes.
    int pagesAcross(QPrinter* printer) const;
    void paintPage(QPainter& painter, QPrinter* printer, int page) const override;

    // The Print command: the print preview of the grid. The wait cursor shows while the pages are
    // counted, not while the user reads them. Printing errors are reported with Messages::error.
    void preview(QWidget* parent);

    // Tests: previews write their pages to this PDF file instead of opening; empty restores them.
    static void setPreviewOutputFile(const QString& pdfFile);
    static QString previewOutputFile();
    // The message when a printer or file cannot take the pages.
    static QString cannotPrintText(const QString& target);

private:
    struct Layout;
    Layout layoutFor(QPrinter* printer) const;
    void paintPage(QPainter& painter, const Layout& layout, int page) const;
    void paintHead(QPainter& painter, const Layout& layout) const;
    void paintFoot(QPainter& painter, const Layout& layout, int page) const;
    double gridWidthOn(QPrinter* printer) const;

    QPointer<QTableView> m_view;
    QString m_title;
    QString m_header;
    QString m_footer;
    bool m_fitToWidth = true;
};
