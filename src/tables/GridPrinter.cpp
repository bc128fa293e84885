#include "tables/GridPrinter.h"

#include "data/Clock.h"
#include "data/MessageService.h"
#include "data/WaitCursor.h"
#include "tables/GridSnapshot.h"
#include "text/StrList.h"

#include <QHeaderView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>
#include <algorithm>
#include <cmath>

namespace {
QString previewFile;
constexpr double MarginMm = 2.0;

QString cannotPrint(const QString& target) { return FormatText(Str::PrintFailed, target); }
} // namespace

struct GridPrinter::Layout {
    std::vector<int> columns; // logical, visual order
    std::vector<double> widths;
    QFont font, titleFont;
    double pageWidth = 0, pageHeight = 0;
    double rowHeight = 0, titleHeight = 0, headerHeight = 0, footerHeight = 0, padding = 0;
    int rowCount = 0, rowsPerPage = 1;
    int pages() const { return std::max(1, (rowCount + rowsPerPage - 1) / rowsPerPage); }
};

QString GridPrinter::substitute(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1String("%[Today]"), Clock::today().toString(QStringLiteral("dd.MM.yyyy")));
}

void GridPrinter::preparePrinter(QPrinter* printer)
{
    printer->setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

void GridPrinter::setPreviewOutputFile(const QString& pdfFile) { previewFile = pdfFile; }

QString GridPrinter::previewOutputFile() { return previewFile; }

QString GridPrinter::cannotPrintText(const QString& target) { return cannotPrint(target); }

GridPrinter::Layout GridPrinter::layoutFor(QPainter& painter, QPrinter* printer) const
{
    Layout layout;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    layout.pageWidth = page.width();
    layout.pageHeight = page.height();
    layout.font = QFont(m_view->font(), printer);
    layout.titleFont = layout.font;
    layout.titleFont.setBold(true);
    painter.setFont(layout.font);
    const double line = QFontMetricsF(layout.font, printer).height();
    layout.padding = std::ceil(line / 5);
    layout.rowHeight = line + 2 * layout.padding;
    layout.titleHeight = QFontMetricsF(layout.titleFont, printer).height() + 2 * layout.padding;
    layout.headerHeight = m_header.isEmpty() ? 0 : layout.rowHeight * 1.5;
    layout.footerHeight = m_footer.isEmpty() ? 0 : layout.rowHeight * 1.5;

    layout.columns = visibleColumns(m_view);
    const double toPrinter = double(printer->logicalDpiX()) / std::max(1, m_view->logicalDpiX());
    double total = 0;
    for (int column : layout.columns) {
        layout.widths.push_back(m_view->columnWidth(column) * toPrinter);
        total += layout.widths.back();
    }
    if (total > layout.pageWidth)
        for (double& width : layout.widths)
            width *= layout.pageWidth / total;

    layout.rowCount = m_view->model() ? m_view->model()->rowCount() : 0;
    const double body = layout.pageHeight - layout.headerHeight - layout.footerHeight - layout.titleHeight;
    layout.rowsPerPage = std::max(1, int(body / layout.rowHeight));
    return layout;
}

int GridPrinter::pageCount(QPrinter* printer) const
{
    if (!m_view || !m_view->model())
        return 0;
    QImage probe(1, 1, QImage::Format_RGB32); // the layout needs a painter, not a started printer
    QPainter painter(&probe);
    return layoutFor(painter, printer).pages();
}

int GridPrinter::print(QPrinter* printer) const
{
    if (!m_view || !m_view->model())
        return 0;
    QPainter painter;
    if (!painter.begin(printer))
        return -1;
    const Layout layout = layoutFor(painter, printer);
    const int pages = layout.pages();
    const int first = printer->fromPage() > 0 ? std::min(printer->fromPage(), pages) : 1;
    const int last = printer->toPage() > 0 ? std::min(printer->toPage(), pages) : pages;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer->newPage();
        paintPage(painter, layout, page);
    }
    painter.end();
    return last - first + 1;
}

void GridPrinter::paintPage(QPainter& painter, const Layout& layout, int page) const
{
    const QAbstractItemModel* model = m_view->model();
    double y = 0;
    if (!m_header.isEmpty()) {
        painter.setFont(layout.font);
        painter.drawText(QRectF(0, 0, layout.pageWidth, layout.rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         substitute(m_header));
        y = layout.headerHeight;
    }
    const double tableTop = y;
    double x = 0;
    painter.setFont(layout.titleFont);
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        const QRectF cell(x, y, layout.widths[c], layout.titleHeight);
        painter.fillRect(cell, QColor(0xE8, 0xE8, 0xE8));
        painter.drawText(cell.adjusted(layout.padding, 0, -layout.padding, 0), Qt::AlignCenter | Qt::TextSingleLine,
                         model->headerData(layout.columns[c], Qt::Horizontal).toString());
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
            painter.drawText(QRectF(x + layout.padding, y, layout.widths[c] - 2 * layout.padding, layout.rowHeight),
                             flags | Qt::TextSingleLine, model->data(index, Qt::DisplayRole).toString());
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
    if (!m_footer.isEmpty())
        painter.drawText(QRectF(0, layout.pageHeight - layout.rowHeight, layout.pageWidth, layout.rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, substitute(m_footer));
}

void GridPrinter::preview(QWidget* parent)
{
    WaitCursor wait;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(&printer);
    if (!previewFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(previewFile);
        if (print(&printer) < 0)
            Messages::error(cannotPrint(previewFile));
        return;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* target) {
        if (print(target) < 0)
            Messages::error(cannotPrint(target->printerName()));
    });
    dialog.exec();
}
