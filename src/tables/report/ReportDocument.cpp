#include "tables/report/ReportDocument.h"

ReportCell& ReportBand::add(const QRectF& rect, const QString& text, Qt::Alignment alignment, int frame)
{
    ReportCell cell;
    cell.rect = rect;
    cell.text = text;
    cell.alignment = alignment;
    cell.frame = frame;
    cells.push_back(cell);
    return cells.back();
}

void ReportBand::addTopRule(double left, double width)
{
    add(QRectF(left, 0, width, 0), QString(), Qt::AlignLeft, ReportCell::Top);
}

ReportCell& ReportBand::addBox(double x, double y, double width, double height, const QString& text,
                               Qt::Alignment alignment, ReportFont font)
{
    ReportCell& cell = add(QRectF(x, y, width, height), text, alignment, ReportCell::Box);
    cell.font = font;
    return cell;
}
