#include "tables/report/OfficeBands.h"

#include "text/StrList.h"

namespace OfficeBands {

namespace {
constexpr double TitleHeight = 9;
constexpr double LineHeight = 5;
constexpr double GapBelow = 3;
} // namespace

ReportBand title(double width, const QString& title, const QStringList& lines)
{
    ReportBand band;
    ReportCell& head = band.add(QRectF(0, 0, width, TitleHeight), title, Qt::AlignHCenter | Qt::AlignVCenter);
    head.font = {13, true};
    double y = TitleHeight;
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        band.add(QRectF(0, y, width, LineHeight), line).font = {9, false};
        y += LineHeight;
    }
    band.height = y + GapBelow;
    return band;
}

ReportBand footer(double width, const QDate& printed)
{
    ReportBand band;
    band.height = 6;
    const QRectF line(0, 1, width, 5);
    band.add(line, FormatText(Str::PrintDate, printed.toString(QStringLiteral("dd.MM.yyyy"))),
             Qt::AlignLeft | Qt::AlignVCenter);
    QString pages = Text(Str::PrintPageOf);
    pages.replace(pages.indexOf(QLatin1String("%d")), 2, QLatin1String(ReportDocument::PageToken));
    pages.replace(pages.indexOf(QLatin1String("%d")), 2, QLatin1String(ReportDocument::PagesToken));
    band.add(line, pages, Qt::AlignRight | Qt::AlignVCenter);
    return band;
}

QString labelled(const QString& label, const QString& value)
{
    return value.trimmed().isEmpty() ? QString() : withoutAccelerator(label) + QStringLiteral(": ") + value;
}

} // namespace OfficeBands
