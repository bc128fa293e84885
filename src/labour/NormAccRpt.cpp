#include "labour/NormAccRpt.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "labour/rules/NormAccContent.h"
#include "tables/report/OfficeBands.h"
#include "tables/report/ReportPreview.h"
#include "text/StrList.h"

namespace {

// The form's own texts, the same in every language.
const char* const kPlannedHours = "Плановое количество часов на весь комплекс работ";
const char* const kTitle = "Расчет штатных нормативов";

// Columns left to right: the six captions, the additional volume taking two columns.
constexpr double Widths[NormAccContent::ColumnCount] = {30, 40, 30, 30, 40, 60, 47};
constexpr double HeaderHeight = 24, GroupHeight = 14, RowHeight = 5;

constexpr ReportFont CellFont{8, false};
constexpr ReportFont HeadFont{7, true};
const Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
const Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

double left(int column) { return columnLeft(Widths, column); }

void caption(ReportBand& band, int column, double y, double width, double height, const char* text)
{
    band.addBox(left(column), y, width, height, QString::fromUtf8(text), Centre, HeadFont).wrap = true;
}

ReportBand columnHeader()
{
    ReportBand band;
    band.height = HeaderHeight;
    caption(band, 0, 0, Widths[0], HeaderHeight, "Разряд рабочего");
    caption(band, 1, 0, Widths[1], HeaderHeight, kPlannedHours);
    caption(band, 2, 0, Widths[2] + Widths[3], GroupHeight,
            "Дополнительный объем работ (по внедрению рац.предложений, новой технике и другим работам)");
    caption(band, 2, GroupHeight, Widths[2], HeaderHeight - GroupHeight, "в % от плана");
    caption(band, 3, GroupHeight, Widths[3], HeaderHeight - GroupHeight, "в часах");
    caption(band, 4, 0, Widths[4], HeaderHeight, "Годовой объем работ в часах");
    caption(band, 5, 0, Widths[5], HeaderHeight,
            "Планируемое кол-во н/часов на одного рабочего в год при выполнении норм на 100 %");
    caption(band, 6, 0, Widths[6], HeaderHeight, "Потребная численность рабочих");
    return band;
}

ReportBand line(const NormAccContent::Line& texts, ReportFont font)
{
    ReportBand band;
    band.height = RowHeight;
    for (int c = 0; c < NormAccContent::ColumnCount; ++c)
        band.addBox(left(c), 0, Widths[c], RowHeight, texts[size_t(c)], c == 0 ? Centre : Right, font);
    return band;
}

std::vector<NormAccContent::Row> rows(const Dataset& ds)
{
    auto column = [&ds](const char* name) { return ds.fieldIndex(QString::fromLatin1(name)); };
    const int key = column("ICathegory"), grade = column("Cathegory"), plan = column("PlanHour"),
              extPercent = column("ExtPlanPC"), ext = column("ExtPlan"), year = column("YearPlan"),
              perEmployee = column("PlanP1E"), required = column("Required");
    std::vector<NormAccContent::Row> list;
    for (int r = 0; r < ds.recordCount(); ++r)
        list.push_back({ds.valueAt(r, key), ds.displayText(r, grade), ds.valueAt(r, plan), ds.valueAt(r, extPercent),
                        ds.valueAt(r, ext), ds.valueAt(r, year), ds.valueAt(r, perEmployee), ds.valueAt(r, required)});
    return list;
}

} // namespace

QString TNormAccReport::name() { return QString::fromUtf8(kTitle); }

ReportDocument TNormAccReport::layout(const NormAccContent& content, const QString& department, const QString& crew)
{
    ReportDocument doc;
    doc.name = name();
    ReportBand head = OfficeBands::title(doc.page.width(), name(),
                                         {OfficeBands::labelled(Text(Str::ColDepartment), department),
                                          OfficeBands::labelled(Text(Str::ColCrew), crew)});
    // The form opens with the line naming what its hours are; the title stands under it.
    constexpr double LeadHeight = 5;
    for (ReportCell& c : head.cells)
        c.rect.translate(0, LeadHeight);
    head.cells.insert(head.cells.begin(), ReportCell{QRectF(0, 0, doc.page.width(), LeadHeight),
                                                     QString::fromUtf8(kPlannedHours), ReportFont{8, false}});
    head.height += LeadHeight;
    doc.title = head;
    doc.columnHeader = columnHeader();
    for (const NormAccContent::Line& texts : content.lines())
        doc.details.push_back(line(texts, CellFont));
    NormAccContent::Line totals = content.totals();
    totals[0] = Text(Str::ReportTotals);
    doc.summary = line(totals, ReportFont{8, true});
    doc.pageFooter = OfficeBands::footer(doc.page.width(), Clock::today());
    return doc;
}

ReportDocument TNormAccReport::build(const Source& source)
{
    return layout(NormAccContent(rows(*source.normState)), source.departmentName, source.crewName);
}

void TNormAccReport::preview(const Source& source, QWidget* parent)
{
    const ReportDocument document = build(source);
    ReportPreview::show(document, parent);
}
