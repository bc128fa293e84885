// Two planners on one server each keep their own yearly plan: one's generating or emptying it
// leaves the other's as it was, and the view over it shows each his own rows.
#include "data/InitialSchema.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SessionTables.h"
#include "data/SqlConnection.h"
#include "plan/rules/YearReportBuilder.h"
#include "support/MessageRecorder.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class SessionTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        scratch = std::make_unique<TestServer::ScratchDatabase>();
        ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
        for (SqlConnection* planner : {&first, &second})
            planner->setServer(scratch->connectionString());
        InitialSchema::create(first);
        MessageRecorder messages;
        ASSERT_EQ(SchemaUpgrade(first, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion(),
                  SchemaUpgrade::Outcome::Upgraded);
        first.execute("insert into Reps (ID_Reps, Short_Reps, Name_Reps) values (1, 'ТО', 'Техническое обслуживание')");
        first.execute("insert into Device (ID_Device, ANumber) values (1, 'A-1')");
        first.execute("insert into Device (ID_Device, ANumber) values (2, 'A-2')");
    }

    int planRows(SqlConnection& planner) { return planner.scalar("select count(*) from YearReportView").toInt(); }

    std::unique_ptr<TestServer::ScratchDatabase> scratch;
    SqlConnection first, second;
};

TEST_F(SessionTablesTest, EachPlannerGeneratesAndEmptiesOnlyHisOwnPlan)
{
    for (SqlConnection* planner : {&first, &second}) {
        SessionTables::prepareYearPlan(*planner);
        SessionTables::prepareYearPlan(*planner); // a second window of the same session
    }
    first.execute("insert into YearReport (IDevice, repdate, IRep) values (1, '2027-03-01 00:00:00', 1)");
    first.execute("insert into YearReport (IDevice, repdate, IRep) values (2, '2027-04-01 00:00:00', 1)");
    second.execute("insert into YearReport (IDevice, repdate, IRep) values (2, '2027-05-01 00:00:00', 1)");
    EXPECT_EQ(planRows(first), 2);
    EXPECT_EQ(planRows(second), 1);

    second.execute("Delete from YearReport;");
    EXPECT_EQ(planRows(second), 0);
    EXPECT_EQ(planRows(first), 2) << "the other planner's plan is untouched";

    // The shared table itself holds nobody's plan, and a session's plan ends with it.
    SqlConnection third;
    third.setServer(scratch->connectionString());
    EXPECT_EQ(third.scalar("select count(*) from YearReport").toInt(), 0);
    first.close();
    SessionTables::prepareYearPlan(first);
    EXPECT_EQ(planRows(first), 0);
}

// The plan window's generation on two connections: each planner's plan is his own year's, and one's
// generating again leaves the other's plan as it was.
TEST_F(SessionTablesTest, EachPlannersGenerationFillsOnlyHisOwnPlan)
{
    first.execute("insert into DevRep (ID_DevRep, IRep, RT_Mon) values (1, 1, 6)");
    first.execute("insert into NextRep (ID_NextRep, IDevice, IDevRep, LastRep, NextRep) values "
                  "(1, 1, 1, '2026-09-01 00:00:00', '2027-03-01 00:00:00')");
    const auto years = [](SqlConnection& planner) {
        QStringList found;
        const auto rows = planner.select("select distinct [Year] from YearReportView");
        for (int r = 0; r < rows->rowCount(); ++r)
            found << rows->value(r, 0).toString();
        return found;
    };
    MessageRecorder messages;
    for (SqlConnection* planner : {&first, &second})
        SessionTables::prepareYearPlan(*planner);
    ASSERT_TRUE(YearReportBuilder(first).BuildYearReport(2027));
    ASSERT_TRUE(YearReportBuilder(second).BuildYearReport(2028));
    EXPECT_EQ(years(first), QStringList({"2027"}));
    EXPECT_EQ(years(second), QStringList({"2028"}));
    const int firstRows = planRows(first);
    EXPECT_GT(firstRows, 0);

    ASSERT_TRUE(YearReportBuilder(second).BuildYearReport(2029));
    EXPECT_EQ(years(second), QStringList({"2029"}));
    EXPECT_EQ(planRows(first), firstRows) << "the other planner's plan is untouched";
    EXPECT_EQ(years(first), QStringList({"2027"}));
}

} // namespace
