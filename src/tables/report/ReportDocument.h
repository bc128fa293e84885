#pragma once

#include <QRectF>
#include <QString>
#include <Qt>
#include <cstddef>
#include <vector>

// A printed report as a small banded engine sees it: a page and bands of cells placed in
// millimetres. The report builds the whole document once, before anything is shown; pagination and
// painting only read it, so the preview can paint a page again (zoom, printing) and always get the
// same page.
//
// Bands, in the order they print:
// - title: once, at the top of the first page;
// - page header and column header: at the top of every page (the column header under the page
//   header, and under the title on the first page);
// - details: one per row, never split across two pages;
// - summary: once, after the last detail;
// - page footer: at the foot of every page.
// In any text, "%[Page]" and "%[Pages]" become the page's number and the number of pages.

struct ReportFont {
    double points = 8;
    bool bold = false;
};

struct ReportCell {
    enum Frame { NoFrame = 0, Left = 1, Top = 2, Right = 4, Bottom = 8, Box = Left | Top | Right | Bottom };

    QRectF rect; // mm, from the band's top-left corner
    QString text;
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;
    int frame = NoFrame;
    int rotation = 0; // 0, or 90: the text reads from the foot of the cell up
};

struct ReportBand {
    double height = 0; // mm; a band of height 0 takes no room and prints nothing
    std::vector<ReportCell> cells;

    // Adds a cell and returns it for further settings.
    ReportCell& add(const QRectF& rect, const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                    int frame = ReportCell::NoFrame);
    // A framed cell: a table's cell.
    ReportCell& addBox(double x, double y, double width, double height, const QString& text,
                       Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, ReportFont font = {});
    // A line along the band's top edge, `width` mm long from `left`.
    void addTopRule(double left, double width);
};

// The left edge of `column` in a row of columns of the given widths (mm).
template <size_t N>
constexpr double columnLeft(const double (&widths)[N], int column)
{
    double x = 0;
    for (int c = 0; c < column && c < int(N); ++c)
        x += widths[c];
    return x;
}

struct ReportPageSetup {
    double paperWidth = 297;  // mm: A4 landscape
    double paperHeight = 210;
    double margin = 10; // on every side
    double width() const { return paperWidth - 2 * margin; }
    double height() const { return paperHeight - 2 * margin; }
    bool landscape() const { return paperWidth > paperHeight; }
};

struct ReportDocument {
    QString name; // the report's name: the preview's caption and the PDF's title
    ReportPageSetup page;
    ReportBand title;
    ReportBand pageHeader;
    ReportBand columnHeader;
    std::vector<ReportBand> details;
    ReportBand summary;
    ReportBand pageFooter;

    static constexpr const char* PageToken = "%[Page]";
    static constexpr const char* PagesToken = "%[Pages]";
};
