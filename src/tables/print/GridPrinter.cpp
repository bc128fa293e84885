#include "tables/print/GridPrinter.h"

#include "data/Clock.h"
#include "tables/print/GridPreviewDialog.h"
#include "tables/print/GridSnapshot.h"
#include "text/StrList.h"

#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QTableView>
#include <algorithm>
#include <cmath>

namespace {
QString today() { return Clock::today().toString(QStringLiteral("dd.MM.yyyy")); }

QString elided(const QPainter& painter, const QString& text, double width)
{
    return QFontMetricsF(painter.font(), painter.device()).elidedText(text, Qt::ElideRight, std::max(0.0, width));
}
} // namespace

struct GridPrinter::Layout {
    std::vector<int> columns; // logical, visual order
    std::vector<double> widths;
    std::vector<int> titleFlags;
    std::vector<std::vector<size_t>> across; // the columns (indexes into `columns`) of each page across
    QFont pageFont, font, titleFont, headFont; // the page's own lines keep the grid's type unshrunk
    QString title, date;
    double pageWidth = 0, pageHeight = 0;
    double rowHeight = 0, titleHeight = 0, padding = 0;
    double headLineHeight = 0, headHeight = 0, footHeight = 0, footLineHeight = 0;
    int rowCount = 0, rowsPerPage = 1;
    int pagesDown() const { return std::max(1, (rowCount + rowsPerPage - 1) / rowsPerPage); }
    int pages() const { return pagesDown() * int(across.size()); }
};

QString GridPrinter::substitute(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1String("%[Today]"), today());
}

QString GridPrinter::title() const
{
    if (!m_title.isEmpty() || !m_view)
        return m_title;
    // Inside the main window the caption is the sub-window's, whose widget is the data window.
    for (QWidget* w = m_view; w; w = w->parentWidget())
        if (qobject_cast<QMdiSubWindow*>(w->parentWidget()) || w->isWindow())
            return w->windowTitle();
    return {};
}

void GridPrinter::preparePrinter(QPrinter* printer)
{
    printer->setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

double GridPrinter::gridWidthOn(QPrinter* printer) const
{
    const double toPrinter = double(printer->resolution()) / std::max(1, m_view->logicalDpiX());
    double total = 0;
    for (int column : visibleColumns(m_view))
        total += m_view->columnWidth(column) * toPrinter;
    return total;
}

void GridPrinter::preparePrinterForGrid(QPrinter* printer) const
{
    preparePrinter(printer);
    if (!m_view)
        return;
    const double width = gridWidthOn(printer);
    const double portrait = printer->pageLayout().paintRectPixels(printer->resolution()).width();
    if (width > portrait)
        printer->setPageOrientation(QPageLayout::Landscape);
}

void GridPrinter::setPreviewOutputFile(const QString& pdfFile) { PrintOutput::setTestOutputFile(pdfFile); }

QString GridPrinter::previewOutputFile() { return PrintOutput::testOutputFile(); }

QString GridPrinter::cannotPrintText(const QString& target) { return PrintOutput::cannotPrintText(target); }

namespace {
// The leading columns repeated on every page across: as many as take a quarter of the page, or the
// first alone when it takes no more than a third.
size_t keyColumnCount(const std::vector<double>& widths, double pageWidth)
{
    size_t count = 0;
    double used = 0;
    while (count + 1 < widths.size() && used + widths[count] <= pageWidth / 4)
        used += widths[count++];
    if (count == 0 && widths.size() > 1 && widths[0] <= pageWidth / 3)
        count = 1;
    return count;
}

// Splits the columns into pages across, each starting with the key columns; a column wider than
// what is left of a page is narrowed to it.
std::vector<std::vector<size_t>> splitAcross(std::vector<double>& widths, double pageWidth)
{
    double total = 0;
    for (double w : widths)
        total += w;
    std::vector<std::vector<size_t>> pages;
    if (total <= pageWidth + 0.5) {
        pages.emplace_back();
        for (size_t c = 0; c < widths.size(); ++c)
            pages.back().push_back(c);
        return pages;
    }
    const size_t keys = keyColumnCount(widths, pageWidth);
    double keyWidth = 0;
    for (size_t c = 0; c < keys; ++c)
        keyWidth += widths[c];
    const double room = pageWidth - keyWidth;
    size_t c = keys;
    while (c < widths.size()) {
        std::vector<size_t> page(keys);
        for (size_t k = 0; k < keys; ++k)
            page[k] = k;
        double used = 0;
        do {
            widths[c] = std::min(widths[c], room);
            used += widths[c];
            page.push_back(c++);
        } while (c < widths.size() && used + std::min(widths[c], room) <= room + 0.5);
        pages.push_back(std::move(page));
    }
    return pages;
}

// Titles wrap at spaces; a single word wider than its column is broken inside rather than cut.
int titleFlags(const QFontMetricsF& metrics, const QString& text, double width)
{
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (metrics.horizontalAdvance(word) > width)
            return Qt::AlignCenter | Qt::TextWrapAnywhere;
    return Qt::AlignCenter | Qt::TextWordWrap;
}
} // namespace

GridPrinter::Layout GridPrinter::layoutFor(QPrinter* printer) const
{
    Layout layout;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    layout.pageWidth = page.width();
    layout.pageHeight = page.height();
    layout.columns = visibleColumns(m_view);
    const double toPrinter = double(printer->resolution()) / std::max(1, m_view->logicalDpiX());
    double total = 0;
    for (int column : layout.columns) {
        layout.widths.push_back(m_view->columnWidth(column) * toPrinter);
        total += layout.widths.back();
    }

    layout.pageFont = QFont(m_view->font(), printer);
    const double points = layout.pageFont.pointSizeF() > 0 ? layout.pageFont.pointSizeF() : 9;
    double scale = 1;
    if (m_fitToWidth && total > layout.pageWidth)
        scale = std::min(1.0, std::max(layout.pageWidth / total, MinimumPoints / points));
    for (double& width : layout.widths)
        width *= scale;
    layout.across = splitAcross(layout.widths, layout.pageWidth);

    layout.font = layout.pageFont;
    layout.font.setPointSizeF(points * scale);
    layout.titleFont = layout.font;
    layout.titleFont.setBold(true);
    layout.headFont = layout.pageFont;
    layout.headFont.setBold(true);
    layout.headFont.setPointSizeF(points * 1.25);
    layout.title = title();
    layout.date = FormatText(Str::PrintDate, today());

    const double line = QFontMetricsF(layout.font, printer).height();
    layout.padding = std::ceil(line / 5);
    layout.rowHeight = line + 2 * layout.padding;
    const double pageLine = QFontMetricsF(layout.pageFont, printer).height() + 2 * layout.padding;
    const QFontMetricsF titleMetrics(layout.titleFont, printer);
    double titleText = titleMetrics.height();
    const QAbstractItemModel* model = m_view->model();
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        const QString text = model->headerData(layout.columns[c], Qt::Horizontal).toString();
        const double width = std::max(1.0, layout.widths[c] - 2 * layout.padding);
        layout.titleFlags.push_back(titleFlags(titleMetrics, text, width));
        const QRectF needed = titleMetrics.boundingRect(QRectF(0, 0, width, 1e6), layout.titleFlags.back(), text);
        titleText = std::max(titleText, std::min(needed.height(), MaxTitleLines * titleMetrics.lineSpacing()));
    }
    layout.titleHeight = std::ceil(titleText) + 2 * layout.padding;
    layout.headLineHeight = QFontMetricsF(layout.headFont, printer).height() + layout.padding;
    layout.headHeight = layout.headLineHeight + (m_header.isEmpty() ? 0 : pageLine) + pageLine / 2;
    layout.footHeight = pageLine * 1.5;
    layout.footLineHeight = pageLine;

    layout.rowCount = model->rowCount();
    const double body = layout.pageHeight - layout.headHeight - layout.footHeight - layout.titleHeight;
    layout.rowsPerPage = std::max(1, int(body / layout.rowHeight));
    return layout;
}

int GridPrinter::pageCount(QPrinter* printer) const
{
    if (!m_view || !m_view->model())
        return 0;
    return layoutFor(printer).pages();
}

int GridPrinter::pagesAcross(QPrinter* printer) const
{
    if (!m_view || !m_view->model())
        return 0;
    return int(layoutFor(printer).across.size());
}

void GridPrinter::paintPage(QPainter& painter, QPrinter* printer, int page) const
{
    if (!m_view || !m_view->model())
        return;
    const Layout layout = layoutFor(printer);
    paintPage(painter, layout, std::clamp(page, 1, layout.pages()));
}

void GridPrinter::paintHead(QPainter& painter, const Layout& layout) const
{
    painter.setFont(layout.pageFont);
    const double dateWidth = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(layout.date);
    const QRectF line(0, 0, layout.pageWidth, layout.headLineHeight);
    painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, layout.date);
    painter.setFont(layout.headFont);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom,
                     elided(painter, layout.title, layout.pageWidth - dateWidth - 4 * layout.padding));
    if (!m_header.isEmpty()) {
        painter.setFont(layout.pageFont);
        painter.drawText(QRectF(0, layout.headLineHeight, layout.pageWidth, layout.footLineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, substitute(m_header));
    }
}

void GridPrinter::paintFoot(QPainter& painter, const Layout& layout, int page) const
{
    painter.setFont(layout.pageFont);
    const QRectF line(0, layout.pageHeight - layout.footLineHeight, layout.pageWidth, layout.footLineHeight);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, FormatText(Str::PrintPageOf, page, layout.pages()));
    if (!m_footer.isEmpty())
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, substitute(m_footer));
}

// Pages run across before they run down: the pages of one band of rows lie side by side.
void GridPrinter::paintPage(QPainter& painter, const Layout& layout, int page) const
{
    const QAbstractItemModel* model = m_view->model();
    const std::vector<size_t>& columns = layout.across[size_t(page - 1) % layout.across.size()];
    const int rowPage = (page - 1) / int(layout.across.size());
    paintHead(painter, layout);
    double y = layout.headHeight;
    const double tableTop = y;
    double x = 0;
    painter.setFont(layout.titleFont);
    for (size_t c : columns) {
        const QRectF cell(x, y, layout.widths[c], layout.titleHeight);
        painter.fillRect(cell, QColor(0xE8, 0xE8, 0xE8));
        painter.save();
        painter.setClipRect(cell);
        painter.drawText(cell.adjusted(layout.padding, layout.padding, -layout.padding, -layout.padding),
                         layout.titleFlags[c], model->headerData(layout.columns[c], Qt::Horizontal).toString());
        painter.restore();
        x += layout.widths[c];
    }
    const double tableRight = x;
    y += layout.titleHeight;
    painter.drawLine(QPointF(0, y), QPointF(tableRight, y));

    painter.setFont(layout.font);
    const int firstRow = rowPage * layout.rowsPerPage;
    const int endRow = std::min(layout.rowCount, firstRow + layout.rowsPerPage);
    for (int row = firstRow; row < endRow; ++row) {
        x = 0;
        for (size_t c : columns) {
            const QModelIndex index = model->index(row, layout.columns[c]);
            const QVariant align = model->data(index, Qt::TextAlignmentRole);
            const int flags = (align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter));
            const double width = layout.widths[c] - 2 * layout.padding;
            painter.drawText(QRectF(x + layout.padding, y, width, layout.rowHeight), flags | Qt::TextSingleLine,
                             elided(painter, model->data(index, Qt::DisplayRole).toString(), width));
            x += layout.widths[c];
        }
        y += layout.rowHeight;
        painter.drawLine(QPointF(0, y), QPointF(tableRight, y));
    }
    x = 0;
    painter.drawLine(QPointF(0, tableTop), QPointF(tableRight, tableTop));
    painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
    for (size_t c : columns) {
        x += layout.widths[c];
        painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
    }
    paintFoot(painter, layout, page);
}

void GridPrinter::preview(QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinterForGrid(&printer);
    if (PrintOutput::writeTestOutput(*this, printer))
        return;
    GridPreviewDialog dialog(*this, printer, parent);
    dialog.exec();
}
