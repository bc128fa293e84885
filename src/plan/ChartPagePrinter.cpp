#include "plan/ChartPagePrinter.h"

#include "data/Clock.h"
#include "tables/print/GridPrinter.h"
#include "tables/print/PrintPreviewDialog.h"
#include "text/StrList.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QPainter>
#include <QPrinter>
#include <QTableView>
#include <algorithm>

namespace {

// The part of a grid in sight on screen (titles, cells, lines), drawn as text from the model: a
// widget rendered onto a printer falls back to one picture of itself, and its words would be lost
// in the PDF. Returns the size drawn, in screen pixels.
QSizeF paintVisibleGrid(QPainter& painter, const QTableView* view, bool draw)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return {};
    const int titleHeight = view->horizontalHeader()->height();
    const QSize sight = view->viewport()->size();
    int right = 0, bottom = titleHeight;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (view->isColumnHidden(c))
            continue;
        const int x = view->columnViewportPosition(c);
        if (x + view->columnWidth(c) > 0 && x < sight.width())
            right = std::max(right, std::min(sight.width(), x + view->columnWidth(c)));
    }
    for (int r = 0; r < model->rowCount(); ++r) {
        const int y = view->rowViewportPosition(r);
        if (y + view->rowHeight(r) > 0 && y < sight.height())
            bottom = std::max(bottom, titleHeight + std::min(sight.height(), y + view->rowHeight(r)));
    }
    if (!draw)
        return QSizeF(right, bottom);
    painter.save();
    painter.setClipRect(QRectF(0, 0, right, bottom));
    painter.setFont(view->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        const int x = view->columnViewportPosition(c);
        const int w = view->columnWidth(c);
        if (view->isColumnHidden(c) || x + w <= 0 || x >= right)
            continue;
        const QRect title(x, 0, w, titleHeight);
        painter.fillRect(title, QColor(0xE8, 0xE8, 0xE8));
        painter.drawRect(title);
        painter.drawText(title.adjusted(3, 0, -3, 0), Qt::AlignCenter, model->headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < model->rowCount(); ++r) {
            const int y = titleHeight + view->rowViewportPosition(r);
            const int h = view->rowHeight(r);
            if (y + h <= titleHeight || y >= bottom)
                continue;
            const QRect cell(x, y, w, h);
            painter.drawRect(cell);
            const QModelIndex index = model->index(r, c);
            const QVariant align = index.data(Qt::TextAlignmentRole);
            painter.drawText(cell.adjusted(3, 0, -3, 0), align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                             index.data().toString());
        }
    }
    painter.restore();
    return QSizeF(right, bottom);
}

// The chart laid out at `size` (screen pixels) and drawn into `target`, then given back its size.
void paintChart(QPainter& painter, QChartView* view, const QRectF& target, const QSizeF& size)
{
    QChart* chart = view->chart();
    if (!chart || !chart->scene())
        return;
    const QSizeF onScreen = chart->size();
    const auto layOut = [chart](const QSizeF& to) {
        chart->resize(to);
        if (chart->layout())
            chart->layout()->activate();
    };
    layOut(size);
    chart->scene()->render(&painter, target, QRectF(chart->pos(), size));
    layOut(onScreen);
}

} // namespace

QString ChartPagePrinter::title() const
{
    if (m_year <= 0)
        return Text(Str::PlanChartTitle);
    const QString year = languageIndex() == 1 ? QStringLiteral("на %1 год") : QStringLiteral("for %1");
    return Text(Str::PlanChartTitle) + QLatin1Char(' ') + year.arg(m_year);
}

void ChartPagePrinter::choosePaper(QPrinter* printer) const
{
    GridPrinter::preparePrinter(printer);
    printer->setPageOrientation(QPageLayout::Landscape);
}

void ChartPagePrinter::paintPage(QPainter& painter, QPrinter* printer, int) const
{
    if (!m_page)
        return;
    const double toPrinter = double(printer->resolution()) / std::max(1, m_page->logicalDpiX());
    // A millimetre of air inside the margins: a chart's labels and a title's accents reach a little
    // beyond the boxes they are laid out in.
    const double air = printer->resolution() / 25.4;
    painter.translate(air, air);
    const QRectF area(QPointF(0, 0), printer->pageLayout().paintRectPixels(printer->resolution()).size() -
                                         QSizeF(2 * air, 2 * air));

    // The title line: what and which year on the left, the print date on the right.
    QFont titleFont(m_page->font(), painter.device());
    titleFont.setBold(true);
    titleFont.setPointSizeF(std::max(8.0, titleFont.pointSizeF()) * 1.4);
    QFont dateFont(m_page->font(), painter.device());
    const double titleHeight = QFontMetricsF(titleFont, painter.device()).height() * 1.5;
    painter.setFont(dateFont);
    const QString date = FormatText(Str::PrintDate, Clock::today().toString(QStringLiteral("dd.MM.yyyy")));
    painter.drawText(QRectF(0, 0, area.width(), titleHeight), Qt::AlignRight | Qt::AlignTop, date);
    painter.setFont(titleFont);
    painter.drawText(QRectF(0, 0, area.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop, title());
    double top = titleHeight;

    // The pivot as far as it shows, at its size on screen, but never wider than the page nor taller
    // than a third of it.
    if (auto* grid = m_page->findChild<QTableView*>(); grid && grid->isVisibleTo(m_page)) {
        const QSizeF size = paintVisibleGrid(painter, grid, false);
        if (size.width() > 0 && size.height() > 0) {
            const double scale = std::min({toPrinter, area.width() / size.width(), area.height() / 3 / size.height()});
            painter.save();
            painter.translate(0, top);
            painter.scale(scale, scale);
            paintVisibleGrid(painter, grid, true);
            painter.restore();
            top += size.height() * scale + titleHeight / 2;
        }
    }

    // The chart in the rest of the page, laid out for it with its type at the size it has on screen.
    if (auto* chart = m_page->findChild<QChartView*>(); chart && chart->isVisibleTo(m_page)) {
        const QRectF target(0, top, area.width(), area.height() - top);
        if (target.height() > 0)
            paintChart(painter, chart, target, target.size() / toPrinter);
    }
}

// The printer works at the screen's resolution: the chart's and the grid's type then takes the size
// it has on screen relative to the paper, and everything is still drawn as vectors and text.
void ChartPagePrinter::preview(QWidget* parent)
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setDocName(title());
    choosePaper(&printer);
    if (PrintOutput::writeTestOutput(*this, printer))
        return;
    PrintPreviewDialog dialog(*this, printer, PreviewNames::chart, parent);
    dialog.exec();
}
