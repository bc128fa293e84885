#include "plan/ChartPagePrinter.h"

#include "data/MessageService.h"
#include "tables/print/GridPrinter.h"
#include "text/StrList.h"

#include <QGraphicsView>
#include <QHeaderView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>
#include <QWidget>
#include <algorithm>

namespace ChartPagePrinter {

namespace {

// A grid as it stands on screen (titles, cells, lines), drawn as text: a widget rendered onto a
// printer falls back to one picture of itself, and its words would be lost in the PDF.
void paintGrid(QPainter& painter, const QTableView* view, const QPoint& origin)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return;
    painter.save();
    painter.translate(origin);
    painter.setFont(view->font());
    const int titleHeight = view->horizontalHeader()->height();
    int x = 0;
    for (int c = 0; c < model->columnCount(); ++c) {
        const int w = view->columnWidth(c);
        const QRect title(x, 0, w, titleHeight);
        painter.fillRect(title, view->palette().button());
        painter.drawRect(title);
        painter.drawText(title.adjusted(3, 0, -3, 0), Qt::AlignCenter, model->headerData(c, Qt::Horizontal).toString());
        int y = titleHeight;
        for (int r = 0; r < model->rowCount(); ++r) {
            const int h = view->rowHeight(r);
            const QRect cell(x, y, w, h);
            painter.drawRect(cell);
            const QModelIndex index = model->index(r, c);
            const int align = index.data(Qt::TextAlignmentRole).isValid() ? index.data(Qt::TextAlignmentRole).toInt()
                                                                           : int(Qt::AlignLeft | Qt::AlignVCenter);
            painter.drawText(cell.adjusted(3, 0, -3, 0), align, index.data().toString());
            y += h;
        }
        x += w;
    }
    painter.restore();
}

} // namespace

bool print(QWidget* page, QPrinter* printer)
{
    if (!page || page->width() <= 0 || page->height() <= 0)
        return false;
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());
    // Full width; a page taller than the sheet allows is scaled down to the sheet's height instead.
    const double scale = std::min(area.width() / page->width(), area.height() / page->height());
    painter.scale(scale, scale);
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(page))
            continue;
        const QRect box(child->mapTo(page, QPoint(0, 0)), child->size());
        if (auto* chart = qobject_cast<QGraphicsView*>(child))
            chart->render(&painter, QRectF(box), chart->viewport()->rect());
        else if (auto* grid = qobject_cast<QTableView*>(child))
            paintGrid(painter, grid, box.topLeft());
    }
    painter.end();
    return true;
}

// The printer works at the screen's resolution: fonts then take the sizes they have on screen
// relative to the page, and everything is still drawn as vectors and text.
void preview(QWidget* page, QWidget* parent)
{
    const QString title = Text(Str::PlanChartTitle);
    const QString testFile = GridPrinter::previewOutputFile();
    if (!testFile.isEmpty()) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(testFile);
        printer.setDocName(title);
        if (!print(page, &printer))
            Messages::error(GridPrinter::cannotPrintText(testFile));
        return;
    }
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [page](QPrinter* target) { print(page, target); });
    dialog.exec();
}

} // namespace ChartPagePrinter
