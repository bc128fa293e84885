#include "labour/DevTypeRpt.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "labour/rules/CrewNames.h"
#include "labour/rules/FigureFormats.h"
#include "labour/rules/TypeAllowanceContent.h"
#include "tables/SelectFrm.h"
#include "tables/report/OfficeBands.h"
#include "tables/report/ReportPreview.h"
#include "text/StrList.h"

#include <optional>

namespace {

using Content = TypeAllowanceContent;
constexpr int Services = Content::MaxServices;

// Column widths in mm; together the 277 mm of an A4 landscape page within its margins.
// The service columns are wide enough for "Техническое" in small type; the type's name wraps instead.
constexpr double NoWidth = 8, TypeWidth = 50, MarkWidth = 40, CountWidth = 11;
constexpr double ServiceWidth = 15, CategoryWidth = 9, HoursWidth = 13, TotalWidth = 20;
constexpr double ServicesLeft = NoWidth + TypeWidth + MarkWidth + CountWidth;
constexpr double VolumesLeft = ServicesLeft + Services * ServiceWidth;
constexpr double VolumeWidth = CategoryWidth + HoursWidth;
constexpr double TotalLeft = VolumesLeft + Services * VolumeWidth;
constexpr double LineHeight = 4;
constexpr double GroupHeight = 9, NameHeight = 9, SubHeight = 5, NumberHeight = 4;
constexpr double TitlesHeight = GroupHeight + NameHeight + SubHeight;

constexpr ReportFont CellFont{7, false};
constexpr ReportFont SmallFont{6, false};
constexpr ReportFont HeadFont{7, true};

const Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
const Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

ReportCell& cell(ReportBand& band, double x, double y, double w, double h, const QString& text,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, ReportFont font = CellFont)
{
    return band.addBox(x, y, w, h, text, alignment, font);
}

double categoryLeft(int service) { return VolumesLeft + service * VolumeWidth; }
double hoursLeft(int service) { return categoryLeft(service) + CategoryWidth; }

ReportBand columnHeader(const Content& content)
{
    ReportBand band;
    band.height = TitlesHeight + NumberHeight;
    const double h = TitlesHeight;
    cell(band, 0, 0, NoWidth, h, QStringLiteral("№№"), Centre, HeadFont);
    cell(band, NoWidth, 0, TypeWidth, h, Text(Str::TypeReportType), Centre, HeadFont).wrap = true;
    cell(band, NoWidth + TypeWidth, 0, MarkWidth, h,
         Text(Str::TypeReportModel) + QLatin1Char('\n') + Text(Str::TypeReportFeature), Centre, HeadFont)
        .wrap = true;
    cell(band, ServicesLeft - CountWidth, 0, CountWidth, h, Text(Str::TypeReportAmount), Centre, HeadFont);
    // The figures under it stand in the same order: rate time above repetition.
    cell(band, ServicesLeft, 0, Services * ServiceWidth, GroupHeight,
         Text(Str::ColRateTime) + QLatin1Char('\n') + Text(Str::ColRepetition), Centre, HeadFont)
        .wrap = true;
    cell(band, VolumesLeft, 0, Services * VolumeWidth, GroupHeight, Text(Str::ColAnnualRate), Centre, HeadFont);
    cell(band, TotalLeft, 0, TotalWidth, h, Text(Str::TypeReportTotal), Centre, HeadFont).wrap = true;
    for (int k = 0; k < Services; ++k) {
        const QString title = content.serviceTitles()[size_t(k)];
        cell(band, ServicesLeft + k * ServiceWidth, GroupHeight, ServiceWidth, NameHeight + SubHeight, title, Centre,
             SmallFont)
            .wrap = true;
        cell(band, categoryLeft(k), GroupHeight, VolumeWidth, NameHeight, title, Centre, SmallFont).wrap = true;
        cell(band, categoryLeft(k), GroupHeight + NameHeight, CategoryWidth, SubHeight, Text(Str::TypeReportCategory),
             Centre, SmallFont);
        cell(band, hoursLeft(k), GroupHeight + NameHeight, HoursWidth, SubHeight, Text(Str::TypeReportHours), Centre,
             SmallFont);
    }
    // The column numbers, 1 to 17; under the annual volume they alternate category and hours.
    const double edges[] = {0, NoWidth, NoWidth + TypeWidth, ServicesLeft - CountWidth};
    const double widths[] = {NoWidth, TypeWidth, MarkWidth, CountWidth};
    int number = 1;
    for (int i = 0; i < 4; ++i)
        cell(band, edges[i], h, widths[i], NumberHeight, QString::number(number++), Centre, SmallFont);
    for (int k = 0; k < Services; ++k)
        cell(band, ServicesLeft + k * ServiceWidth, h, ServiceWidth, NumberHeight, QString::number(number++), Centre,
             SmallFont);
    for (int k = 0; k < Services; ++k) {
        cell(band, categoryLeft(k), h, CategoryWidth, NumberHeight, QString::number(number++), Centre, SmallFont);
        cell(band, hoursLeft(k), h, HoursWidth, NumberHeight, QString::number(number++), Centre, SmallFont);
    }
    cell(band, TotalLeft, h, TotalWidth, NumberHeight, QString::number(number), Centre, SmallFont);
    return band;
}

int lineCount(const Content& content) { return std::max(2, content.categoryCount()); }

// The category lines of a block or of the totals, from the left edge of the annual volume.
void addLines(ReportBand& band, const std::vector<Content::Line>& lines, int count, ReportFont font = CellFont)
{
    for (int j = 0; j < count; ++j) {
        const Content::Line* line = j < int(lines.size()) ? &lines[size_t(j)] : nullptr;
        const double y = j * LineHeight;
        for (int k = 0; k < Services; ++k) {
            cell(band, categoryLeft(k), y, CategoryWidth, LineHeight, line ? line->grade : QString(), Centre, font);
            cell(band, hoursLeft(k), y, HoursWidth, LineHeight, line ? line->hours[size_t(k)] : QString(), Right, font);
        }
        cell(band, TotalLeft, y, TotalWidth, LineHeight, line ? line->total : QString(), Right, font);
    }
}

ReportBand detail(const Content& content, const Content::TypeBlock& block)
{
    ReportBand band;
    const int lines = lineCount(content);
    band.height = lines * LineHeight;
    const double h = band.height;
    cell(band, 0, 0, NoWidth, h, block.type.recN, Centre);
    cell(band, NoWidth, 0, TypeWidth, h, block.type.name).wrap = true;
    cell(band, NoWidth + TypeWidth, 0, MarkWidth, h, block.type.mark).wrap = true;
    cell(band, ServicesLeft - CountWidth, 0, CountWidth, h, block.type.count, Right);
    for (int k = 0; k < Services; ++k) {
        const double x = ServicesLeft + k * ServiceWidth;
        cell(band, x, 0, ServiceWidth, LineHeight, block.serviceSlots[size_t(k)].rateTime, Right);
        cell(band, x, LineHeight, ServiceWidth, h - LineHeight, block.serviceSlots[size_t(k)].repetition,
             Qt::AlignRight | Qt::AlignTop);
    }
    addLines(band, block.lines, lines);
    return band;
}

ReportBand summary(const Content& content)
{
    ReportBand band;
    const int lines = lineCount(content);
    band.height = lines * LineHeight + 2;
    ReportBand body;
    cell(body, 0, 0, ServicesLeft, lines * LineHeight, Text(Str::ReportTotals), Qt::AlignLeft | Qt::AlignTop, HeadFont);
    cell(body, ServicesLeft, 0, Services * ServiceWidth, lines * LineHeight, QString());
    addLines(body, content.totals(), lines, HeadFont);
    // A little air above the totals, so that they do not read as one more type.
    for (ReportCell& c : body.cells) {
        c.rect.translate(0, 2);
        band.cells.push_back(c);
    }
    return band;
}

// The dual list dialog's answer: the entries chosen, or none when cancelled.
std::optional<std::vector<Content::Choice>> ask(QWidget* parent, Str caption, int max,
                                                const std::vector<Content::Choice>& offered)
{
    TDualListDlg* dialog = TDualListDlg::shared(parent);
    dialog->clear();
    dialog->setWindowTitle(Text(caption));
    dialog->setMaxCount(max);
    for (const Content::Choice& choice : offered)
        dialog->addSource(choice.text, choice.key);
    dialog->SetMoveButtons();
    std::optional<std::vector<Content::Choice>> answer;
    if (dialog->choose()) {
        answer.emplace();
        for (const DualListMoves::Entry& entry : dialog->destination())
            answer->push_back({entry.key, entry.text});
    }
    dialog->clear();
    return answer;
}

std::vector<Content::Choice> choose(QWidget* parent, Str caption, int max, const std::vector<Content::Choice>& offered)
{
    std::optional<std::vector<Content::Choice>> answer;
    if (Content::needsChoice(offered, max))
        answer = ask(parent, caption, max, offered);
    return Content::shown(offered, max, answer);
}

QString crewText(const QVariant& crewId) { return crewId.isNull() ? QStringLiteral("null") : QString::number(crewId.toLongLong()); }

std::vector<Content::ServiceListRow> serviceList(SqlConnection& db, const QVariant& crewId)
{
    const auto rows = db.select(QStringLiteral("select Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps from DevRep left join "
                                               "Reps on Reps.ID_Reps = DevRep.IRep where ICrew = ") +
                                crewText(crewId) +
                                QStringLiteral(" group by Reps.Name_Reps, Reps.Short_Reps, Reps.ID_Reps order by "
                                               "Reps.ID_Reps;"));
    std::vector<Content::ServiceListRow> list;
    for (int r = 0; r < rows->rowCount(); ++r)
        list.push_back({rows->value(r, 2), rows->value(r, 0).toString()});
    return list;
}

std::vector<Content::Category> categories(const Dataset& ds)
{
    const int id = ds.fieldIndex(QStringLiteral("ID_Cathegory"));
    const int name = ds.fieldIndex(QStringLiteral("Name_Cathegory"));
    const int grade = ds.fieldIndex(QStringLiteral("Cathegory"));
    std::vector<Content::Category> list;
    for (int r = 0; r < ds.recordCount(); ++r)
        list.push_back({ds.valueAt(r, id).toLongLong(), ds.valueAt(r, name).toString(), ds.displayText(r, grade)});
    return list;
}

std::vector<Content::Type> types(const Dataset& ds)
{
    const int id = ds.fieldIndex(QStringLiteral("ID_DevType"));
    const int recN = ds.fieldIndex(QStringLiteral("RecN"));
    const int name = ds.fieldIndex(QStringLiteral("Name_DevType"));
    const int mark = ds.fieldIndex(QStringLiteral("Mark_DevType"));
    const int count = ds.fieldIndex(QStringLiteral("Count"));
    std::vector<Content::Type> list;
    list.reserve(size_t(ds.recordCount()));
    for (int r = 0; r < ds.recordCount(); ++r)
        list.push_back({ds.valueAt(r, id).toLongLong(), ds.displayText(r, recN), ds.displayText(r, name),
                        ds.displayText(r, mark), ds.displayText(r, count)});
    return list;
}

// The crew's service rows in the order the services grid lists a type's rows (number, then service).
std::vector<Content::ServiceRow> serviceRows(SqlConnection& db, const QVariant& crewId)
{
    const auto rows = db.select(QStringLiteral("select ID_DevRep, IDevType, IRep, RT_PC, RT from DevRep where ICrew = ") +
                                crewText(crewId) + QStringLiteral(" order by IDevType, R_No, IRep, ID_DevRep;"));
    std::vector<Content::ServiceRow> list;
    list.reserve(size_t(rows->rowCount()));
    for (int r = 0; r < rows->rowCount(); ++r)
        list.push_back({rows->value(r, 0).toLongLong(), rows->value(r, 1).toLongLong(), rows->value(r, 2),
                        Field::formatValue(rows->value(r, 3), FigureFormats::of(QStringLiteral("RT_PC"))),
                        Field::formatValue(rows->value(r, 4), FigureFormats::of(QStringLiteral("RT")))});
    return list;
}

std::vector<Content::Share> shares(SqlConnection& db, const QVariant& crewId)
{
    const auto rows = db.select(QStringLiteral("select RepCath.IDevRep, RepCath.ICathegory, RepCath.[Value] from RepCath "
                                               "inner join DevRep on DevRep.ID_DevRep = RepCath.IDevRep where "
                                               "DevRep.ICrew = ") +
                                crewText(crewId) +
                                QStringLiteral(" order by RepCath.IDevRep, RepCath.ICathegory, RepCath.ID_RepCath;"));
    std::vector<Content::Share> list;
    list.reserve(size_t(rows->rowCount()));
    for (int r = 0; r < rows->rowCount(); ++r)
        list.push_back({rows->value(r, 0).toLongLong(), rows->value(r, 1), rows->value(r, 2)});
    return list;
}

} // namespace

QString TDevTypeReport::name() { return Text(Str::TypeReportTitle); }

ReportDocument TDevTypeReport::layout(const TypeAllowanceContent& content, const QString& department,
                                      const QString& crew)
{
    ReportDocument doc;
    doc.name = name();
    doc.title = OfficeBands::title(doc.page.width(), name(),
                                   {OfficeBands::labelled(Text(Str::ColDepartment), department),
                                    OfficeBands::labelled(Text(Str::ColCrew), crew)});
    doc.columnHeader = columnHeader(content);
    doc.details.reserve(content.types().size());
    for (const Content::TypeBlock& block : content.types())
        doc.details.push_back(detail(content, block));
    doc.summary = summary(content);
    doc.pageFooter = OfficeBands::footer(doc.page.width(), Clock::today());
    return doc;
}

TypeAllowanceContent TDevTypeReport::gather(const Source& source, QWidget* dialogParent)
{
    SqlConnection& db = *source.connection;
    // The questions first: nothing is read while a dialog lets the user work elsewhere.
    const std::vector<Content::Choice> services = choose(
        dialogParent, Str::TypeReportSelectServices, Content::MaxServices,
        Content::offeredServices(serviceList(db, source.crewId)));
    const std::vector<Content::Category> allCategories = categories(*source.categories);
    const std::vector<Content::Choice> shownCategories =
        choose(dialogParent, Str::TypeReportSelectCategories, Content::MaxCategories,
               Content::offeredCategories(allCategories));
    const std::vector<Content::ServiceRow> rows = serviceRows(db, source.crewId);
    return Content(services, shownCategories, allCategories,
                   Content::typesWithFigures(types(*source.types), services, rows), rows, shares(db, source.crewId));
}

ReportDocument TDevTypeReport::build(const Source& source, QWidget* dialogParent)
{
    const TypeAllowanceContent content = gather(source, dialogParent);
    const CrewNames names = CrewNames::read(*source.connection, source.crewId);
    return layout(content, names.department, names.crew);
}

void TDevTypeReport::preview(const Source& source, QWidget* parent)
{
    const ReportDocument document = build(source, parent);
    ReportPreview::show(document, parent);
}
