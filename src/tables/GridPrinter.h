#pragma once

#include <QPointer>
#include <QString>
#include <vector>

class QPainter;
class QPrinter;
class QTableView;
class QWidget;

// Prints a grid: the visible columns of a QTableView in their visual order, titles repeated on every
// page, then every row of its model, page after page. Column widths are the view's, scaled down to
// the page when wider; margins are 2 mm. A page header and footer may be set; "%[Today]" in them
// becomes today's date. None is set by default.
//
// Cells are drawn straight from the model page by page, so 100,000 rows cost one pass over the rows
// and never a copy of the grid.
class GridPrinter {
public:
    explicit GridPrinter(QTableView* view = nullptr) : m_view(view) {}

    void setView(QTableView* view) { m_view = view; }
    void setPageHeader(const QString& text) { m_header = text; }
    void setPageFooter(const QString& text) { m_footer = text; }
    // `text` with "%[Today]" replaced by today's date ("dd.MM.yyyy", from Clock).
    static QString substitute(const QString& text);

    // 2 mm margins on every side.
    static void preparePrinter(QPrinter* printer);
    // Renders onto `printer` (its print range respected); the number of pages, or -1 when the
    // printer could not be started.
    int print(QPrinter* printer) const;
    // How many pages print() makes on this printer.
    int pageCount(QPrinter* printer) const;

    // The Print command: the print preview of the grid, with the wait cursor while pages are made.
    // Printing errors are reported with Messages::error.
    void preview(QWidget* parent);

    // Tests: preview() writes the pages to this PDF file instead of opening the dialog; empty
    // restores the dialog.
    static void setPreviewOutputFile(const QString& pdfFile);
    // The file set above; other print previews of the program follow the same seam.
    static QString previewOutputFile();
    // The message when a printer or file cannot take the pages.
    static QString cannotPrintText(const QString& target);

private:
    struct Layout;
    Layout layoutFor(QPainter& painter, QPrinter* printer) const;
    void paintPage(QPainter& painter, const Layout& layout, int page) const;

    QPointer<QTableView> m_view;
    QString m_header;
    QString m_footer;
};
