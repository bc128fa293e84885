// Generating the yearly plan into YearReport on a small file: what is stored, the refusals, and that
// an error, a cancel or a killed process leave the previous plan as it was.
#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "plan/rules/YearReportBuilder.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <cstdio>
#include <sys/types.h>

namespace {

// Two services, three devices; device 1 has one next-service record per service.
class YearReportBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::fix(QDateTime(QDate(2025, 3, 10), QTime(9, 30)));
        TestDatabase::createUpgradedEmptyDatabase(dir.path());
        dm = std::make_unique<TDM>();
        for (const char* sql : {
                 "insert into Reps (ID_Reps, Short_Reps, Name_Reps) values (1, 'ТО', 'Обслуживание')",
                 "insert into Reps (ID_Reps, Short_Reps, Name_Reps) values (2, 'КЛБ', 'Калибровка')",
                 "insert into DevType (ID_DevType, Name_DevType) values (1, 'Манометр')",
                 "insert into DevRep (ID_DevRep, IDevType, IRep, RT_Mon) values (1, 1, 1, 3)",
                 "insert into DevRep (ID_DevRep, IDevType, IRep, RT_Mon) values (2, 1, 2, 12)",
                 "insert into DevRep (ID_DevRep, IDevType, IRep, RT_Mon) values (3, 1, null, 1)",
                 "insert into Device (ID_Device, IDevType, ANumber) values (1, 1, 'A-1')",
                 "insert into Device (ID_Device, IDevType, ANumber) values (2, 1, 'A-2')",
                 "insert into Device (ID_Device, IDevType, ANumber) values (3, 1, 'A-3')",
                 "insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (1, 1, '2025-02-20 00:00:00', "
                 "'2025-05-20 00:00:00')",
                 "insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (1, 2, null, '2025-04-01 00:00:00')",
                 "insert into NextRep (IDevice, IDevRep, LastRep, NextRep) values (2, 1, '2025-03-10 14:00:00', "
                 "'2025-03-05 00:00:00')",
             })
            exec(sql);
        QObject::connect(connection(), &SqlConnection::willExecute,
                         [this](const QStringList& lines) { monitor.append(lines); });
    }
    void TearDown() override
    {
        dm.reset();
        Clock::fix(QDateTime());
    }
    SqlConnection* connection() { return dm->ADOConnection(); }
    void exec(const QString& sql) { connection()->execute(sql + ";"); }
    QStringList plan()
    {
        QStringList rows;
        const auto result = connection()->select(
            "select IDevice, IRep, repdate from YearReport order by IDevice, IRep, repdate;");
        for (int r = 0; r < result->rowCount(); ++r)
            rows << QString("%1/%2 %3").arg(result->text(r, 0), result->text(r, 1), result->text(r, 2));
        return rows;
    }
    QString integrity() { return connection()->scalar("pragma integrity_check;").toString(); }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
    QStringList monitor;
};

const QStringList kPlan2025 = {"1/1 10.05.2025", "1/1 10.08.2025", "1/1 10.11.2025", "1/2 10.04.2025",
                               "2/1 10.03.2025", "2/1 10.06.2025", "2/1 10.09.2025", "2/1 10.12.2025"};

} // namespace

TEST_F(YearReportBuilderTest, StoresTheWalkedMonthsDatesThroughOnePreparedInsert)
{
    YearReportBuilder builder(*connection());
    ASSERT_TRUE(builder.BuildYearReport(2025));
    EXPECT_EQ(plan(), kPlan2025);
    EXPECT_EQ(builder.rowsWritten(), 8);
    EXPECT_TRUE(messages.texts().isEmpty());
    // Dates are stored in the one storage form.
    EXPECT_EQ(connection()->scalar("select count(*) from YearReport where repdate = '2025-03-10 00:00:00';").toInt(), 1);
    // Each statement reaches the monitor once, however many rows it writes.
    EXPECT_EQ(monitor.filter("insert into YearReport", Qt::CaseInsensitive).size(), 1) << monitor.join("\n").toStdString();
    EXPECT_EQ(monitor.filter("from nextrepview", Qt::CaseInsensitive).size(), 1);
    EXPECT_EQ(monitor.filter("Delete from YearReport").size(), 1);

    // The next GO replaces the plan.
    ASSERT_TRUE(builder.BuildYearReport(2026));
    EXPECT_EQ(plan(), QStringList({"1/1 10.02.2026", "1/1 10.05.2026", "1/1 10.08.2026", "1/1 10.11.2026",
                                   "1/2 10.04.2026", "2/1 10.03.2026", "2/1 10.06.2026", "2/1 10.09.2026",
                                   "2/1 10.12.2026"}));
}

TEST_F(YearReportBuilderTest, RefusalsSayWhyAndLeaveOrEmptyThePlanAsTheyShould)
{
    YearReportBuilder builder(*connection());
    ASSERT_TRUE(builder.BuildYearReport(2025));

    EXPECT_FALSE(builder.BuildYearReport(2024));
    EXPECT_EQ(builder.outcome(), YearReportBuilder::Outcome::YearRefused);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "Parameter should be more or is equal to the current year");
    EXPECT_EQ(plan(), kPlan2025);

    messages.clear();
    exec("update NextRep set LastRep = '2025-03-11 00:00:00' where IDevice = 2");
    EXPECT_FALSE(builder.BuildYearReport(2025));
    EXPECT_EQ(builder.outcome(), YearReportBuilder::Outcome::LastDateRefused);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Error);
    EXPECT_EQ(messages.shown()[0].text.section('\n', 0, 0), "Last service date > now. Report failed.");
    EXPECT_TRUE(messages.shown()[0].text.section('\n', 1).contains("A-2")) << messages.shown()[0].text.toStdString();
    EXPECT_TRUE(plan().isEmpty());
}

TEST_F(YearReportBuilderTest, RecordsWithoutDeviceOrServiceAreLeftOutAndNamed)
{
    exec("insert into NextRep (IDevice, IDevRep, NextRep) values (3, 3, '2025-04-01 00:00:00')");  // no service
    exec("insert into NextRep (IDevice, IDevRep, NextRep) values (99, 1, '2025-04-01 00:00:00')"); // no device
    exec("insert into NextRep (IDevice, IDevRep, NextRep) values (null, 1, '2025-04-01 00:00:00')");
    exec("insert into NextRep (IDevice, IDevRep, NextRep) values (3, 3, '2024-01-01 00:00:00')"); // no row anyway
    YearReportBuilder builder(*connection());
    ASSERT_TRUE(builder.BuildYearReport(2025));
    EXPECT_EQ(plan().size(), kPlan2025.size() + 3); // a key without its device row is still written
    EXPECT_EQ(builder.skippedCount(), 2);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].text.contains("A-3")) << messages.shown()[0].text.toStdString();
    EXPECT_TRUE(messages.shown()[0].text.contains("= 2")) << messages.shown()[0].text.toStdString();
}

TEST_F(YearReportBuilderTest, AFailingInsertOrACancelLeavesThePreviousPlan)
{
    YearReportBuilder builder(*connection());
    ASSERT_TRUE(builder.BuildYearReport(2025));
    exec("create trigger refuse before insert on YearReport when new.IDevice = 2 "
         "begin select raise(abort, 'refused by trigger'); end");
    EXPECT_THROW(builder.BuildYearReport(2026), DatabaseError);
    EXPECT_EQ(plan(), kPlan2025);
    exec("drop trigger refuse");

    builder.setProgress([](int done, int) { return done == 0; }, 1);
    EXPECT_FALSE(builder.BuildYearReport(2026));
    EXPECT_EQ(builder.outcome(), YearReportBuilder::Outcome::Cancelled);
    EXPECT_EQ(plan(), kPlan2025);
    EXPECT_EQ(integrity(), "ok");
    EXPECT_TRUE(messages.texts().isEmpty());
}

// Run as a child by the next test: generates with a progress step that announces itself and then
// waits to be killed, half-way through the inserts.
TEST_F(YearReportBuilderTest, ChildGeneratesUntilKilled)
{
    if (qEnvironmentVariableIsEmpty("INSTREL_PLAN_CHILD"))
        GTEST_SKIP() << "run by KilledMidGenerationLeavesThePreviousPlan";
    // Work on the parent's file, not this fixture's own.
    dm.reset();
    QDir::setCurrent(qEnvironmentVariable("INSTREL_PLAN_CHILD"));
    // This process is killed, so its own folder would outlive it.
    QDir(dir.path()).removeRecursively();
    dm = std::make_unique<TDM>();
    YearReportBuilder builder(*connection());
    builder.setProgress([](int done, int) {
        if (done == 2) {
            std::puts("half-way");
            std::fflush(stdout);
            for (;;)
                QThread::sleep(1);
        }
        return true;
    }, 1);
    builder.BuildYearReport(2026);
}

TEST_F(YearReportBuilderTest, KilledMidGenerationLeavesThePreviousPlan)
{
    YearReportBuilder builder(*connection());
    ASSERT_TRUE(builder.BuildYearReport(2025));
    dm.reset(); // the child writes to the file alone

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("INSTREL_PLAN_CHILD", dir.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=YearReportBuilderTest.ChildGeneratesUntilKilled"});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    while (!out.contains("half-way") && child.waitForReadyRead(20000))
        out += child.readAllStandardOutput();
    ASSERT_TRUE(out.contains("half-way")) << out.constData();
    child.kill();
    child.waitForFinished();

    dm = std::make_unique<TDM>();
    EXPECT_EQ(integrity(), "ok");
    EXPECT_EQ(plan(), kPlan2025);
}
