// The generated plants: the demonstration database holds data that every window can show and that
// follows the program's own rules, the same day gives the same database, and the large plant has
// exactly the sizes asked for.
#include "data/BigPlantDatabase.h"
#include "data/Clock.h"
#include "data/DatabaseError.h"
#include "data/DemoDatabase.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/QtPrinters.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2025, 3, 10), QTime(10, 30, 0));

class DemoDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Clock::fix(kNow);
        s_dir = new TempWorkDir;
        s_path = TestDatabase::createDemoDatabase(s_dir->path());
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        Clock::fix({});
    }
    void SetUp() override
    {
        Clock::fix(kNow);
        db.setDatabaseFile(s_path);
    }

    int count(const QString& statement) { return db.scalar(statement).toInt(); }

    static TempWorkDir* s_dir;
    static QString s_path;
    SqlConnection db;
};
TempWorkDir* DemoDatabaseTest::s_dir = nullptr;
QString DemoDatabaseTest::s_path;

TEST_F(DemoDatabaseTest, EveryWindowHasSomethingToShow)
{
    EXPECT_EQ(db.scalar("select Info_name from info where id_info = 2").toString(), "2.4");
    EXPECT_GE(count("select count(*) from Pasport"), 300);
    const char* const nonEmpty[] = {
        "Type", "nextrepview", "EditHistView", "MovHistView", "RepHistView", "Refusals", "CrewDevTypeView",
        "AccountView", "CrewListView", "ComplectView", "Depart", "Crew", "Location", "LocSet", "State", "System",
        "Class", "Mere", "Dest", "Naim", "Marg", "Scale", "Grade", "Prec", "Maker", "Construct", "Cathegory", "Reps",
        "Dimention", "Document", "RefusalGroupNaimen", "RefusalNaimen", "RefusalParam", "RefusParamValue",
        "DevTypeCount", "RepCath", "WorkDayLenth", "DayFund", "LostDayUsed", "LostDayMiscPC", "NormState",
    };
    for (const char* table : nonEmpty)
        EXPECT_GT(count(QStringLiteral("select count(*) from ") + table), 0) << table;
    // The plan is a working table: the plan window fills it and empties it when it closes.
    EXPECT_EQ(count("select count(*) from YearReport"), 0);
    EXPECT_EQ(db.scalar("select Name_Reps from Reps where Short_Reps = 'ПВ'").toString(), "Поверка");
}

TEST_F(DemoDatabaseTest, NextServicesAreSpreadAroundToday)
{
    const QString today = SqlValue::dateText(kNow.date());
    const QString monthStart = SqlValue::dateText(QDate(2025, 3, 1));
    const QString monthEnd = SqlValue::dateText(QDate(2025, 4, 1));
    EXPECT_GT(count("select count(*) from NextRep where NextRep < '" + today + "'"), 20) << "overdue";
    EXPECT_GT(count("select count(*) from NextRep where NextRep >= '" + monthStart + "' and NextRep < '" + monthEnd +
                    "'"),
              20)
        << "due this month";
    EXPECT_GT(count("select count(*) from NextRep where NextRep >= '2026-01-01 00:00:00' and NextRep < "
                    "'2027-01-01 00:00:00'"),
              20)
        << "due next year";
    // The yearly plan refuses a last service after today; one service was planned but never done.
    EXPECT_EQ(count("select count(*) from NextRep where LastRep > '" + today + "'"), 0);
    EXPECT_EQ(count("select count(*) from NextRep where LastRep is null"), 1);
}

TEST_F(DemoDatabaseTest, HoldsTheCasesTheDeviceWindowMustGetRight)
{
    const QString soon = SqlValue::dateText(kNow.date().addDays(14));
    const QString today = SqlValue::dateText(kNow.date());
    for (const char* interval : {"2.15", "0.1"})
        EXPECT_GE(count(QStringLiteral("select count(*) from nextrepview where abs(RT_Mon - %1) < 1e-9 and NextRep >= "
                                       "'%2' and NextRep < '%3'")
                            .arg(QLatin1String(interval), today, soon)),
                  1)
            << interval;
    EXPECT_EQ(count("select count(*) from Device where ANumber like '%''%'"), 1);
    EXPECT_EQ(count("select count(*) from Device where ANumber in ('ЩИТ-12', 'щит-12')"), 2);
}

TEST_F(DemoDatabaseTest, NextDatesFollowTheirIntervals)
{
    const auto rows = db.select("select LastRep, NextRep, RT_Mon from nextrepview");
    ASSERT_GT(rows->rowCount(), 0);
    int withDays = 0;
    for (int r = 0; r < rows->rowCount(); ++r) {
        const QDate last = rows->value(r, 0).toDateTime().date();
        const SqlValue::MonthsDays interval = SqlValue::splitInterval(rows->value(r, 2).toDouble());
        withDays += interval.days > 0;
        EXPECT_EQ(rows->value(r, 1).toDateTime().date(), last.addMonths(interval.months).addDays(interval.days)) << r;
    }
    EXPECT_GT(withDays, 0) << "some interval has days in its fraction";
}

TEST_F(DemoDatabaseTest, EachServiceIsOneTheDeviceCanChoose)
{
    // The device window offers the intervals of the device's type whose crew is one of the device's
    // crews and belongs to a department.
    EXPECT_EQ(count("select count(*) from NextRep inner join Device on Device.ID_Device = NextRep.IDevice "
                    "left join DevRep on DevRep.ID_DevRep = NextRep.IDevRep where DevRep.IDevType is not "
                    "Device.IDevType or DevRep.ICrew not in (select ICrew from DevCrew where DevCrew.IDevice = "
                    "Device.ID_Device) or DevRep.ICrew not in (select ID_Crew from Crew where IDepart in (select "
                    "ID_Depart from Depart))"),
              0);
    EXPECT_EQ(count("select count(*) from NextRep where IDevice not in (select ID_Device from Device)"), 0);
    // Only the device waiting for its type has no crew.
    EXPECT_EQ(count("select count(*) from Device where ID_Device not in (select IDevice from DevCrew)"), 1);
    EXPECT_EQ(count("select count(*) from Pasport where ID_DevType is null"), 1);
}

TEST_F(DemoDatabaseTest, LogsStayBelowTheSizeThatStartsPruningAndKeepADeletedDevice)
{
    for (const char* log : {"EditHist", "MovHist", "RepHist"}) {
        const int rows = count(QStringLiteral("select count(*) from ") + log);
        EXPECT_GT(rows, 100) << log;
        EXPECT_LE(rows, 1000) << log;
        // Every entry names one of several planners.
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where ChangedBy is null").arg(log)), 0) << log;
        EXPECT_GT(count(QStringLiteral("select count(distinct ChangedBy) from %1View").arg(log)), 1) << log;
    }
    EXPECT_EQ(count("select count(*) from EditHist where IVictim = 1"), count("select count(*) from Device") + 1);
    const int gone = count("select IDevice from EditHist where IVictim = 3");
    EXPECT_EQ(count(QStringLiteral("select count(*) from Device where ID_Device = %1").arg(gone)), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from EditHistView where IDevice = %1").arg(gone)), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from MovHistView where IDevice = %1 and ANumber is null").arg(gone)),
              1);
    EXPECT_EQ(count("select count(*) from EditHist where ChangeDate > '" + SqlValue::dateTimeText(kNow) + "'"), 0);
}

TEST_F(DemoDatabaseTest, KitsAreTreesAtLeastTwoLevelsDeep)
{
    EXPECT_GT(count("select count(*) from Complect c inner join Complect p on p.ID_Complect = c.IRoot where p.IRoot "
                    "<> 0"),
              0);
    EXPECT_EQ(count("select count(*) from Complect where IRoot <> 0 and IRoot not in (select ID_Complect from Complect)"),
              0);
    // Never twice directly under one node, never under itself.
    EXPECT_EQ(count("select count(*) from (select IRoot, IDevice from Complect group by IRoot, IDevice having "
                    "count(*) > 1)"),
              0);
    EXPECT_EQ(count("select count(*) from Complect c inner join Complect p on p.ID_Complect = c.IRoot where "
                    "p.IDevice = c.IDevice"),
              0);
}

TEST_F(DemoDatabaseTest, LabourFiguresFollowTheProgramsFormulas)
{
    // One count row for every pair of type and crew, as the labour window keeps it.
    EXPECT_EQ(count("select count(*) from DevTypeCount"), count("select count(*) from DevType, Crew"));
    EXPECT_EQ(count("select count(*) from (select IDevType, ICrew from DevTypeCount group by IDevType, ICrew having "
                    "count(*) > 1)"),
              0);
    // Annual volume = count x repetition x rate time; the categories' shares add up to it.
    EXPECT_EQ(count("select count(*) from DevRep r inner join DevTypeCount c on c.IDevType = r.IDevType and c.ICrew = "
                    "r.ICrew where abs(r.RCount - c.[Count] * r.RT * r.RT_PC) > 0.0001"),
              0);
    EXPECT_EQ(count("select count(*) from DevRep r where r.RCount > 0 and abs(r.RCount - (select sum([Value]) from "
                    "RepCath where IDevRep = r.ID_DevRep)) > 0.0001"),
              0);
    // Effective fund of one employee = fund x (1 - losses) x day length, with holiday% = days x 5/6 / fund x 100.
    const auto rows = db.select("select DayFundNum, LostDayUsed, LostDayMiscPC, Lenth, LostDayUsedPC, LostDaySumPC, "
                                "DayFundRez, DayFundP1E from CrewListView where DayFundP1E is not null");
    ASSERT_GT(rows->rowCount(), 0);
    for (int r = 0; r < rows->rowCount(); ++r) {
        const double fund = rows->value(r, 0).toDouble();
        const double holiday = rows->value(r, 1).toDouble() * 5 / 6 / fund * 100;
        EXPECT_NEAR(rows->value(r, 4).toDouble(), holiday, 1e-5);
        const double losses = rows->value(r, 5).toDouble();
        EXPECT_NEAR(losses, rows->value(r, 4).toDouble() + rows->value(r, 2).toDouble(), 1e-5);
        EXPECT_NEAR(rows->value(r, 6).toDouble(), fund * (1 - losses / 100), 1e-5);
        EXPECT_NEAR(rows->value(r, 7).toDouble(), fund * (1 - losses / 100) * rows->value(r, 3).toDouble(), 1e-5);
    }
    // The cases the labour window must cope with: a crew with neither department nor members, and a
    // member without a category (and without a fund yet) in a crew whose service rows have shares.
    EXPECT_EQ(count("select count(*) from Crew where IDepart is null and ID_Crew not in (select ICrew from CrewList)"), 1);
    EXPECT_EQ(count("select count(*) from CrewList where ICathegory is null and DayFundP1E is null and ICrew in "
                    "(select ID_Crew from AccountView where ID_RepCath is not null)"),
              1);
    EXPECT_EQ(count("select count(*) from NormState where abs(YearPlan - (PlanHour + ExtPlan + PlanHour * ExtPlanPC / "
                    "100)) > 0.0001 or abs(Required - YearPlan / PlanP1E) > 0.0001"),
              0);
}

TEST_F(DemoDatabaseTest, TheTypeReportHasServicesAndCategoriesToChooseFrom)
{
    EXPECT_GT(count("select count(*) from Cathegory"), 6);
    EXPECT_EQ(count("select max(n) from (select count(distinct IRep) as n from DevRep group by ICrew)"), 6);
    EXPECT_EQ(count("select count(*) from DevRep r inner join Crew on Crew.ID_Crew = r.ICrew where Crew.Name_Crew = "
                    "'Бригада КИП водоснабжения' and r.RCount > 0 and r.IRep in (select ID_Reps from Reps where "
                    "Name_Reps = 'Наладка')"),
              1);
}

TEST_F(DemoDatabaseTest, TheSameDayGivesTheSameDatabase)
{
    TempWorkDir other;
    const QString first = TestDatabase::createUpgradedEmptyDatabase(other.path(), "a.db");
    const QString second = TestDatabase::createUpgradedEmptyDatabase(other.path(), "b.db");
    QByteArray digests[2];
    int n = 0;
    for (const QString& path : {first, second}) {
        SqlConnection c;
        c.setDatabaseFile(path);
        DemoDatabase::fill(c);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const char* table : {"Device", "NextRep", "DevCrew", "EditHist", "MovHist", "RepHist", "Complect",
                                  "Refusal", "RefusParamValue", "DevRep", "RepCath", "CrewList", "NormState"}) {
            const auto rows = c.select(QStringLiteral("select * from %1").arg(table));
            for (int r = 0; r < rows->rowCount(); ++r)
                for (int col = 0; col < rows->columnCount(); ++col)
                    hash.addData(rows->text(r, col).toUtf8() + '\x1f');
        }
        digests[n++] = hash.result();
    }
    EXPECT_EQ(digests[0], digests[1]);
}

TEST_F(DemoDatabaseTest, AFailedFillLeavesTheDatabaseAsItWas)
{
    TempWorkDir other;
    const QString path = TestDatabase::createUpgradedEmptyDatabase(other.path());
    SqlConnection c;
    c.setDatabaseFile(path);
    c.execute("drop table RepCath;"); // the labour figures, written last, then fail
    EXPECT_THROW(DemoDatabase::fill(c), DatabaseError);
    EXPECT_EQ(c.scalar("select count(*) from Device").toInt(), 0);
    EXPECT_EQ(c.scalar("select count(*) from Depart").toInt(), 0);
}

TEST(BigPlantDatabase, HoldsExactlyTheSizesAskedFor)
{
    Clock::fix(kNow);
    TempWorkDir dir;
    SqlConnection db;
    db.setDatabaseFile(TestDatabase::createUpgradedEmptyDatabase(dir.path()));

    BigPlantDatabase::fill(db, {.devices = 2000, .nextServicesPerDevice = 3, .logRows = 20000});

    EXPECT_EQ(db.scalar("select count(*) from Device").toInt(), 2000);
    EXPECT_EQ(db.scalar("select count(*) from NextRep").toInt(), 6000);
    EXPECT_EQ(db.scalar("select (select count(*) from EditHist) + (select count(*) from MovHist) + (select count(*) "
                        "from RepHist)")
                  .toInt(),
              20000);
    EXPECT_EQ(db.scalar("select count(*) from EditHist where IVictim = 1").toInt(), 2000);
    EXPECT_EQ(db.scalar("select count(*) from (select IDevice from NextRep group by IDevice having count(*) <> 3)").toInt(),
              0);
    EXPECT_EQ(db.scalar("select count(*) from RepHistView").toInt(), db.scalar("select count(*) from RepHist").toInt());
    EXPECT_GT(db.scalar("select count(*) from Complect").toInt(), 0);
    Clock::fix({});
}

TEST(BigPlantDatabase, RefusesSizesItCannotMake)
{
    TempWorkDir dir;
    SqlConnection db;
    db.setDatabaseFile(TestDatabase::createUpgradedEmptyDatabase(dir.path()));
    EXPECT_THROW(BigPlantDatabase::fill(db, {.devices = 10, .nextServicesPerDevice = 4, .logRows = 0}), DatabaseError);
    EXPECT_THROW(BigPlantDatabase::fill(db, {.devices = -1, .nextServicesPerDevice = 3, .logRows = 0}), DatabaseError);
    EXPECT_EQ(db.scalar("select count(*) from Depart").toInt(), 0);
}

} // namespace
