// The month-count statement with the restriction that makes it count what the list shows, and the
// pivot made of its rows.
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "plan/rules/PivotQuery.h"
#include "plan/rules/ServicePivot.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "tables/FilterRowQuery.h"
#include "tables/MainQueryText.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

ResultSet::ColumnType typeOf(const QString& field)
{
    if (field == "SetDate")
        return ResultSet::ColumnType::DateTime;
    if (field == "Month" || field == "Year" || field == "ID_Device")
        return ResultSet::ColumnType::Integer;
    return ResultSet::ColumnType::Text;
}

QString c1With(const QStringList& filterRow, const QString& clientFilter)
{
    const QString statement =
        FilterRowQuery::rebuild(MainQueryText::anchoredQuery("select * from YearReportView;"), filterRow);
    const QString r = PivotQuery::restriction(FilterRowQuery::anchorConditions(statement), clientFilter, typeOf);
    return PivotQuery::withRestriction(PivotQuery::savedText(), r);
}

} // namespace

TEST(PivotQuery, MonthCountTextsWordForWord)
{
    const QString head = "select month, short_reps, count(month) as [Count]\rfrom yearreportview\r";
    const QString tail = "\rgroup by month, short_reps;";
    struct Case {
        const char* what;
        QStringList filterRow;
        QString clientFilter;
        QString where;
    };
    const Case cases[] = {
        {"nothing narrows the list", {}, "", ""},
        {"filter row", {"[Name_DevType] = 'Манометр' COLLATE UNICODE_NOCASE"}, "",
         "where [Name_DevType] = 'Манометр' COLLATE UNICODE_NOCASE"},
        {"a ';' inside a typed value", {"[ANumber] = 'A;1' COLLATE UNICODE_NOCASE"}, "",
         "where [ANumber] = 'A;1' COLLATE UNICODE_NOCASE"},
        {"null node", {}, "Short_Reps = NULL", "where [Short_Reps] IS NULL"},
        {"empty node", {}, "Short_Reps = ''", "where [Short_Reps] = '' COLLATE UNICODE_NOCASE"},
        {"quote and ';'", {}, "ANumber = 'O''Neil; --'", "where [ANumber] = 'O''Neil; --' COLLATE UNICODE_NOCASE"},
        {"date node", {}, "SetDate = '2024-03-05 00:00:00'", "where [SetDate] = '2024-03-05 00:00:00'"},
        {"number node under a text node", {}, "Month = 3 and Short_Reps = 'ТО'",
         "where [Month] = 3 and [Short_Reps] = 'ТО' COLLATE UNICODE_NOCASE"},
        {"filter row and node",
         {"[Name_System] Like 'А%'", "([Month] = 3 or [Month] = 5)"},
         "Short_Reps = NULL",
         "where [Name_System] Like 'А%' AND ([Month] = 3 or [Month] = 5) and [Short_Reps] IS NULL"},
    };
    for (const Case& c : cases) {
        const QString expected = c.where.isEmpty() ? PivotQuery::savedText() : head + c.where + tail;
        EXPECT_EQ(c1With(c.filterRow, c.clientFilter), expected) << c.what;
    }
    EXPECT_EQ(PivotQuery::savedText(), head + "group by month, short_reps;");
}

TEST(ServicePivot, NamesDownMonthsPresentAcrossBlankCellsNoTotals)
{
    ServicePivot pivot;
    pivot.add(5, "ТО", 2);
    pivot.add(3, "КЛБ", 1);
    pivot.add(3, "ТО", 4);
    pivot.add(3, QVariant(), 7);
    pivot.add(5, "", 1);
    ASSERT_EQ(pivot.columnCount(), 2);
    EXPECT_EQ(pivot.month(0), 3);
    EXPECT_EQ(pivot.month(1), 5);
    ASSERT_EQ(pivot.rowCount(), 4);
    EXPECT_EQ(pivot.rowTitle(0), "<нет>"); // a missing name first, like a null
    EXPECT_EQ(pivot.rowTitle(1), "");
    EXPECT_EQ(pivot.rowTitle(2), "КЛБ");
    EXPECT_EQ(pivot.rowTitle(3), "ТО");
    EXPECT_FALSE(pivot.hasValue(2, 1)); // КЛБ in May: blank, not 0
    EXPECT_EQ(pivot.value(3, 0), 4);
    EXPECT_EQ(pivot.total(), 15);
    EXPECT_TRUE(ServicePivot().isEmpty());
}

TEST(ServicePivot, CountsAboveSmallIntegersFromTheRealStatement)
{
    TempWorkDir dir;
    TestDatabase::createUpgradedEmptyDatabase(dir.path());
    TDM dm;
    SqlConnection& c = *dm.ADOConnection();
    c.execute("insert into Reps (ID_Reps, Short_Reps, Name_Reps) values (1, 'ТО', 'Обслуживание');");
    c.execute("insert into Device (ID_Device, ANumber) values (1, 'A-1');");
    c.execute("with recursive n(i) as (select 1 union all select i + 1 from n where i < 40000) "
              "insert into YearReport (IDevice, repdate, IRep) select 1, '2025-03-10 00:00:00', 1 from n;");
    c.execute("insert into YearReport (IDevice, repdate, IRep) values (1, '2025-05-10 00:00:00', null);");
    Dataset c1(&c);
    c1.setSql(PivotQuery::savedText());
    c1.open();
    const ServicePivot pivot = ServicePivot::fromRows(*c1.rows());
    ASSERT_EQ(pivot.rowCount(), 2);
    ASSERT_EQ(pivot.columnCount(), 2);
    EXPECT_EQ(pivot.rowTitle(0), "<нет>");
    EXPECT_EQ(pivot.value(1, 0), 40000);
    EXPECT_EQ(pivot.total(), 40001);
}
