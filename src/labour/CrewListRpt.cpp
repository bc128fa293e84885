#include "labour/CrewListRpt.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "labour/rules/CrewListContent.h"
#include "tables/report/OfficeBands.h"
#include "tables/report/ReportPreview.h"
#include "text/StrList.h"

namespace {

// Columns left to right, widths in mm: together the 277 mm of the page within its margins.
enum Column {
    DepartColumn,
    CrewColumn,
    ProfessionColumn,
    CathegoryColumn,
    HeadsColumn,
    ShiftsColumn,
    LengthColumn,
    NominalFundColumn,
    HolidayColumn,
    OtherLossesColumn,
    LossesColumn,
    FundDaysColumn,
    FundHoursColumn,
    ColumnCount
};
constexpr double Widths[ColumnCount] = {30, 28, 71, 11, 11, 11, 13, 14, 18, 18, 18, 17, 17};
constexpr double HeaderHeight = 36, GroupHeight = 11, LineHeight = 4, RowHeight = 2 * LineHeight;

constexpr ReportFont CellFont{7, false};
constexpr ReportFont HeadFont{7, true};
const Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
const Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

double left(int column) { return columnLeft(Widths, column); }

ReportCell& cell(ReportBand& band, int column, double y, double h, const QString& text,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, ReportFont font = CellFont, int span = 1)
{
    double w = 0;
    for (int c = column; c < column + span; ++c)
        w += Widths[c];
    return band.addBox(left(column), y, w, h, text, alignment, font);
}

// A caption printed across its narrow column, reading from the foot up; whole, wrapped onto a second
// line (and in smaller type) where it is longer than the column is tall.
void rotated(ReportBand& band, int column, const QString& text)
{
    ReportCell& c = cell(band, column, 0, HeaderHeight, text, Qt::AlignLeft | Qt::AlignVCenter, HeadFont);
    c.rotation = 90;
    c.wrap = true;
}

ReportBand columnHeader()
{
    ReportBand band;
    band.height = HeaderHeight;
    cell(band, DepartColumn, 0, HeaderHeight, Text(Str::CrewReportDepartment), Centre, HeadFont).wrap = true;
    cell(band, CrewColumn, 0, HeaderHeight, Text(Str::CrewReportCrew), Centre, HeadFont).wrap = true;
    cell(band, ProfessionColumn, 0, HeaderHeight, Text(Str::ColProfession), Centre, HeadFont).wrap = true;
    rotated(band, CathegoryColumn, Text(Str::LinkedCategories));
    rotated(band, HeadsColumn, Text(Str::CrewReportQuantity));
    rotated(band, ShiftsColumn, Text(Str::ColShift));
    rotated(band, LengthColumn, Text(Str::CrewReportLengthOf) + QLatin1Char('\n') +
                                    Text(Str::CrewReportWorkingDay));
    rotated(band, NominalFundColumn, Text(Str::LinkedNominalFund));
    // The form's own texts, the same in every language.
    cell(band, HolidayColumn, 0, GroupHeight, QStringLiteral("Невыходы в % к номинальному фонду рабочего времени"), Centre,
         HeadFont, 3)
        .wrap = true;
    const double subHeight = HeaderHeight - GroupHeight;
    cell(band, HolidayColumn, GroupHeight, subHeight, QStringLiteral("очередные отпуска"), Centre, HeadFont).wrap = true;
    cell(band, OtherLossesColumn, GroupHeight, subHeight, QStringLiteral("прочие потери %"), Centre, HeadFont).wrap = true;
    cell(band, LossesColumn, GroupHeight, subHeight, QStringLiteral("и т о г о"), Centre, HeadFont).wrap = true;
    rotated(band, FundDaysColumn, QStringLiteral("Эффективный фонд рабочего времени в днях"));
    rotated(band, FundHoursColumn, QStringLiteral("Эффективный фонд рабочего времени одного рабочего в часах"));
    return band;
}

ReportBand detail(const CrewListContent::Row& row)
{
    ReportBand band;
    band.height = RowHeight;
    const CrewListContent::Member& m = row.member;
    cell(band, DepartColumn, 0, RowHeight, row.department, Qt::AlignLeft | Qt::AlignTop).wrap = true;
    cell(band, CrewColumn, 0, RowHeight, row.crewPieces, Qt::AlignLeft | Qt::AlignTop).wrap = true;
    cell(band, ProfessionColumn, 0, RowHeight, m.profession).wrap = true;
    cell(band, CathegoryColumn, 0, RowHeight, m.category, Centre);
    cell(band, HeadsColumn, 0, RowHeight, m.heads, Right);
    cell(band, ShiftsColumn, 0, RowHeight, m.shifts, Right);
    cell(band, LengthColumn, 0, RowHeight, m.dayLength, Right);
    cell(band, NominalFundColumn, 0, RowHeight, m.nominalFund, Right);
    cell(band, HolidayColumn, 0, RowHeight, m.holidayPercent, Right);
    cell(band, OtherLossesColumn, 0, RowHeight, m.otherLossesPercent, Right);
    cell(band, LossesColumn, 0, RowHeight, m.lossesPercent, Right);
    cell(band, FundDaysColumn, 0, RowHeight, m.fundDays, Right);
    cell(band, FundHoursColumn, 0, RowHeight, m.fundHours, Right);
    return band;
}

ReportBand closing(const CrewListContent& content)
{
    ReportBand band;
    band.height = 6;
    band.addTopRule(0, left(ColumnCount));
    band.add(QRectF(left(ProfessionColumn), 1, Widths[ProfessionColumn], 5), Text(Str::ReportTotals),
             Qt::AlignRight | Qt::AlignVCenter)
        .font = HeadFont;
    band.add(QRectF(left(HeadsColumn), 1, Widths[HeadsColumn], 5), content.headCountTotal(), Right).font = HeadFont;
    return band;
}

std::vector<CrewListContent::Member> members(const Dataset& ds)
{
    auto column = [&ds](const char* name) { return ds.fieldIndex(QString::fromLatin1(name)); };
    const int profession = column("ProfNaimen"), category = column("Cathegory"), heads = column("ProfNum"),
              shifts = column("SmenaNum"), length = column("Lenth"), fund = column("DayFundNum"),
              holiday = column("LostDayUsedPC"), other = column("LostDayMiscPC"), losses = column("LostDaySumPC"),
              days = column("DayFundRez"), hours = column("DayFundP1E");
    std::vector<CrewListContent::Member> list;
    for (int r = 0; r < ds.recordCount(); ++r)
        list.push_back({ds.displayText(r, profession), ds.displayText(r, category), ds.displayText(r, heads),
                        ds.valueAt(r, heads), ds.displayText(r, shifts), ds.displayText(r, length),
                        ds.displayText(r, fund), ds.displayText(r, holiday), ds.displayText(r, other),
                        ds.displayText(r, losses), ds.displayText(r, days), ds.displayText(r, hours)});
    return list;
}

} // namespace

QString TCrewListReport::name() { return withoutAccelerator(Text(Str::AccountPageCrewList)); }

ReportDocument TCrewListReport::layout(const CrewListContent& content)
{
    ReportDocument doc;
    doc.name = name();
    // The crew's and the department's names stand in their columns, nowhere else.
    doc.title = OfficeBands::title(doc.page.width(), name());
    doc.columnHeader = columnHeader();
    for (const CrewListContent::Row& row : content.rows())
        doc.details.push_back(detail(row));
    doc.summary = closing(content);
    doc.pageFooter = OfficeBands::footer(doc.page.width(), Clock::today());
    return doc;
}

ReportDocument TCrewListReport::build(const Source& source)
{
    return layout(CrewListContent(source.crewName, source.departmentName, members(*source.members)));
}

void TCrewListReport::preview(const Source& source, QWidget* parent)
{
    const ReportDocument document = build(source);
    ReportPreview::show(document, parent);
}
