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
    QFont font, titleFont, headFont;
    QString title, date;
    double pageWidth = 0, pageHeight = 0;
    double rowHeight = 0, titleHeight = 0, padding = 0;
    double headLineHeight = 0, headHeight = 0, footHeight = 0;
    int rowCount = 0, rowsPerPage = 1;
    int pages() const { return std::max(1, (rowCount + rowsPerPage - 1) / rowsPerPage); }
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

GridPrinter::Layout GridPrinter::layoutFor(QPrinter* printer) const
{
    Layout layout;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    layout.pageWidth = page.width();
    layout.pageHeight = page.height();
    layout.font = QFont(m_view->font(), printer);
    layout.titleFont = layout.font;
    layout.titleFont.setBold(true);
    layout.headFont = layout.titleFont;
    layout.headFont.setPointSizeF(layout.font.pointSizeF() * 1.25);
    layout.title = title();
    layout.date = FormatText(Str::PrintDate, today());

    const double line = QFontMetricsF(layout.font, printer).height();
    layout.padding = std::ceil(line / 5);
    layout.rowHeight = line + 2 * layout.padding;
    layout.titleHeight = QFontMetricsF(layout.titleFont, printer).height() + 2 * layout.padding;
    layout.headLineHeight = QFontMetricsF(layout.headFont, printer).height() + layout.padding;
    layout.headHeight = layout.headLineHeight + (m_header.isEmpty() ? 0 : layout.rowHeight) + layout.rowHeight / 2;
    layout.footHeight = layout.rowHeight * 1.5;

    layout.columns = visibleColumns(m_view);
    const double toPrinter = double(printer->resolution()) / std::max(1, m_view->logicalDpiX());
    double total = 0;
    for (int column : layout.columns) {
        layout.widths.push_back(m_view->columnWidth(column) * toPrinter);
        total += layout.widths.back();
    }
    if (total > layout.pageWidth)
        for (double& width : layout.widths)
            width *= layout.pageWidth / total;

    layout.rowCount = m_view->model() ? m_view->model()->rowCount() : 0;
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

void GridPrinter::paintPage(QPainter& painter, QPrinter* printer, int page) const
{
    if (!m_view || !m_view->model())
        return;
    const Layout layout = layoutFor(printer);
    paintPage(painter, layout, std::clamp(page, 1, layout.pages()));
}

void GridPrinter::paintHead(QPainter& painter, const Layout& layout) const
{
    painter.setFont(layout.font);
    const double dateWidth = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(layout.date);
    const QRectF line(0, 0, layout.pageWidth, layout.headLineHeight);
    painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, layout.date);
    painter.setFont(layout.headFont);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom,
                     elided(painter, layout.title, layout.pageWidth - dateWidth - 4 * layout.padding));
    if (!m_header.isEmpty()) {
        painter.setFont(layout.font);
        painter.drawText(QRectF(0, layout.headLineHeight, layout.pageWidth, layout.rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, substitute(m_header));
    }
}

void GridPrinter::paintFoot(QPainter& painter, const Layout& layout, int page) const
{
    painter.setFont(layout.font);
    const QRectF line(0, layout.pageHeight - layout.rowHeight, layout.pageWidth, layout.rowHeight);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, FormatText(Str::PrintPageOf, page, layout.pages()));
    if (!m_footer.isEmpty())
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, substitute(m_footer));
}

void GridPrinter::paintPage(QPainter& painter, const Layout& layout, int page) const
{
    const QAbstractItemModel* model = m_view->model();
    paintHead(painter, layout);
    double y = layout.headHeight;
    const double tableTop = y;
    double x = 0;
    painter.setFont(layout.titleFont);
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        const QRectF cell(x, y, layout.widths[c], layout.titleHeight);
        painter.fillRect(cell, QColor(0xE8, 0xE8, 0xE8));
        painter.drawText(cell.adjusted(layout.padding, 0, -layout.padding, 0), Qt::AlignCenter | Qt::TextSingleLine,
                         elided(painter, model->headerData(layout.columns[c], Qt::Horizontal).toString(),
                                layout.widths[c] - 2 * layout.padding));
        x += layout.widths[c];
    }
    const double tableRight = x;
    y += layout.titleHeight;
    painter.drawLine(QPointF(0, y), QPointF(tableRight, y));

    painter.setFont(layout.font);
    const int firstRow = (page - 1) * layout.rowsPerPage;
    const int endRow = std::min(layout.rowCount, firstRow + layout.rowsPerPage);
    for (int row = firstRow; row < endRow; ++row) {
        x = 0;
        for (size_t c = 0; c < layout.columns.size(); ++c) {
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
    for (size_t c = 0; c <= layout.columns.size(); ++c) {
        painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
        if (c < layout.widths.size())
            x += layout.widths[c];
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
