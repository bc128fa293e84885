#include "tables/report/ReportPainter.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace ReportPainter {

namespace {

constexpr double MmPerInch = 25.4;
constexpr double LineMm = 0.2;    // frame lines
constexpr double PaddingMm = 0.6; // between a frame and its text
constexpr double MinimumPoints = 5; // a wrapped text too long for its cell shrinks down to this
constexpr double ShrinkStep = 0.5;

QFont fontFor(const ReportFont& spec, QPaintDevice* device)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(spec.points);
    font.setBold(spec.bold);
    return QFont(font, device);
}

void paintFrame(QPainter& painter, const QRectF& r, int frame)
{
    if (frame & ReportCell::Left)
        painter.drawLine(r.topLeft(), r.bottomLeft());
    if (frame & ReportCell::Top)
        painter.drawLine(r.topLeft(), r.topRight());
    if (frame & ReportCell::Right)
        painter.drawLine(r.topRight(), r.bottomRight());
    if (frame & ReportCell::Bottom)
        painter.drawLine(r.bottomLeft(), r.bottomRight());
}

// True when `text` set with `flags` fits `box` in the painter's font.
bool fits(const QPainter& painter, const QRectF& box, int flags, const QString& text)
{
    const QRectF needed = QFontMetricsF(painter.font(), painter.device()).boundingRect(box, flags, text);
    return needed.width() <= box.width() + 0.5 && needed.height() <= box.height() + 0.5;
}

// A wrapped text (a column title) that does not fit its cell is set in smaller type, down to a
// readable minimum, and its words are then broken where they are longer than the cell is wide:
// a title is never cut at the cell's edges.
int fitWrapped(QPainter& painter, const ReportCell& cell, const QRectF& box, const QString& text)
{
    int flags = int(cell.alignment) | Qt::TextWordWrap;
    if (fits(painter, box, flags, text))
        return flags;
    ReportFont font = cell.font;
    while (font.points - ShrinkStep >= MinimumPoints - 1e-9) {
        font.points -= ShrinkStep;
        painter.setFont(fontFor(font, painter.device()));
        if (fits(painter, box, flags, text))
            return flags;
    }
    flags = int(cell.alignment) | Qt::TextWrapAnywhere;
    font = cell.font;
    painter.setFont(fontFor(font, painter.device()));
    while (!fits(painter, box, flags, text) && font.points - ShrinkStep >= MinimumPoints - 1e-9) {
        font.points -= ShrinkStep;
        painter.setFont(fontFor(font, painter.device()));
    }
    return flags;
}

void paintText(QPainter& painter, const ReportCell& cell, const QRectF& r, double px, const QString& text)
{
    if (text.isEmpty())
        return;
    painter.setFont(fontFor(cell.font, painter.device()));
    const double pad = PaddingMm * px;
    const bool rotated = cell.rotation == 90;
    const QRectF box = rotated ? QRectF(0, 0, r.height(), r.width()).adjusted(pad, pad, -pad, -pad)
                               : r.adjusted(pad, 0, -pad, 0);
    const int flags = cell.wrap ? fitWrapped(painter, cell, box, text) : int(cell.alignment) | Qt::TextSingleLine;
    if (rotated) {
        painter.save();
        painter.translate(r.left(), r.bottom());
        painter.rotate(-90);
        painter.drawText(box, flags, text);
        painter.restore();
    } else {
        painter.drawText(box, flags, text);
    }
}

void paintBand(QPainter& painter, const ReportBand& band, double top, double px, int page, int pageCount)
{
    for (const ReportCell& cell : band.cells) {
        const QRectF r(cell.rect.left() * px, (top + cell.rect.top()) * px, cell.rect.width() * px,
                       cell.rect.height() * px);
        paintFrame(painter, r, cell.frame);
        paintText(painter, cell, r, px, pageText(cell.text, page, pageCount));
    }
}

} // namespace

QString pageText(const QString& text, int page, int pageCount)
{
    if (!text.contains(QLatin1String("%[Page")))
        return text;
    QString result = text;
    result.replace(QLatin1String(ReportDocument::PagesToken), QString::number(pageCount));
    return result.replace(QLatin1String(ReportDocument::PageToken), QString::number(page));
}

void paintPage(QPainter& painter, const ReportDocument& document, const std::vector<ReportPagination::Page>& pages,
               int index)
{
    if (index < 0 || index >= int(pages.size()))
        return;
    const double px = painter.device()->logicalDpiX() / MmPerInch;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, LineMm * px));
    for (const ReportPagination::PlacedBand& placed : pages[size_t(index)].bands)
        paintBand(painter, ReportPagination::bandOf(document, placed), placed.top, px, index + 1, int(pages.size()));
    painter.restore();
}

void preparePage(QPagedPaintDevice& device, const ReportPageSetup& page)
{
    // A paper of a standard size (A4) is named as such, so that printers take it from the right tray.
    const QPageSize paper(QSizeF(std::min(page.paperWidth, page.paperHeight), std::max(page.paperWidth, page.paperHeight)),
                          QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    const QMarginsF margins(page.margin, page.margin, page.margin, page.margin);
    device.setPageLayout(QPageLayout(paper, page.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
                                     QPageLayout::Millimeter));
}

int print(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, QPagedPaintDevice& device,
          int from, int to)
{
    const int count = int(pages.size());
    const int first = from > 0 ? std::min(from, count) : 1;
    const int last = to > 0 ? std::min(to, count) : count;
    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device.newPage();
        paintPage(painter, document, pages, page - 1);
    }
    painter.end();
    return last - first + 1;
}

bool writePdf(const ReportDocument& document, const std::vector<ReportPagination::Page>& pages, const QString& file)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&out);
        writer.setTitle(document.name);
        writer.setCreator(QStringLiteral("Instrel"));
        preparePage(writer, document.page);
        if (print(document, pages, writer) < 0) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

} // namespace ReportPainter
