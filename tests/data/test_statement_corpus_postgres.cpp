// Every statement of the corpus on a PostgreSQL server, translated by the connection: the upgrade
// runs twice (the second time every probe passes), the fixture loads, and each statement of the
// windows runs in a transaction of its own that is undone. Where the engines used to differ the
// effect is compared with what the embedded engine gives.
#include "data/DatabaseError.h"
#include "data/InitialSchema.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "data/corpus/JetCorpus.h"
#include "support/QtPrinters.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

namespace {

using corpus::s;

// The upgrade's probes and steps as the corpus lists them, each statement on its own (a probe that
// fails inside a transaction would spoil it on this engine); the probes that failed.
QStringList runUpgradeSteps(SqlConnection& db)
{
    QStringList failedProbes;
    if (db.select(corpus::versionQuery())->rowCount() == 0)
        db.execute(corpus::versionInsert(s("2.4")));
    for (const corpus::UpgradeStep& step : corpus::upgradeSteps()) {
        if (step.kind == corpus::UpgradeStep::Probe) {
            try {
                db.select(step.first);
                continue;
            } catch (const DatabaseError&) {
                failedProbes << step.first;
            }
        } else {
            db.execute(step.first);
        }
        for (const QString& statement : step.then)
            db.execute(statement);
        if (step.number == 6)
            for (const QString& insert : corpus::victimInserts(true))
                db.execute(insert);
    }
    return failedProbes;
}

// Rows loaded with their keys leave the identity sequences behind; the next keyless insert would
// collide. Each sequence is set past the largest key.
void advanceIdentities(SqlConnection& db)
{
    db.execute(s("DO $body$ DECLARE r record; BEGIN FOR r IN SELECT table_name, column_name FROM "
                 "information_schema.columns WHERE is_identity = 'YES' AND table_schema = current_schema() LOOP "
                 "EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, %L), coalesce(max(%I), 0) + 1, false) "
                 "FROM %I', r.table_name, r.column_name, r.column_name, r.table_name); END LOOP; END $body$"));
}

// Values for every parameter the windows' statements name (letter case does not matter).
SqlParams masterValues()
{
    SqlParams params;
    for (const char* name : {"ID_Device", "IDevType", "ID_Location", "ID_DevCrew", "ICrew", "ID_DevType", "ID_Refusal",
                             "IGroupNaimen", "ID_Crew", "ID_DevTypeCount", "ID_DevRep", "ID_CrewList", "ID_Complect",
                             "ID_Depart", "ID_GroupNaimen"})
        params.append({s(name), 1});
    return params;
}

QStringList windowStatements()
{
    using namespace corpus;
    const QDateTime moment(QDate(2025, 3, 10), QTime(14, 22, 5));
    QStringList list;
    for (const MainQuery& q : mainQueries())
        list << q.text << anchored(q.text) << filtered(q.text, q.groupColumn + s(" is not null"))
             << groupLevel({q.groupColumn}, 0, q.table) << valueList(q.groupColumn, q.table);
    list << groupLevel({s("Name_DevType"), s("Name_Location")}, 1, s("Pasport"));
    list << filtered(s("select * from Pasport;"), s("SetDate >= ") + filterRowDate(QDate(2004, 3, 5)) +
                                                     s(" and SetDate < ") + filterRowDate(QDate(2004, 3, 6)));
    for (const Reference& r : referencedColumns())
        list << countReferences(r.table, r.column, 1);
    list << crewCountSum(1) << linkedTableQueries() << deviceDatasets() << deviceCopy(1) << deviceCleanUp();
    for (const QString& table : logTables())
        list << logPrune(table) << logClear(table);
    list << editLogInsert(1, 2, moment, s("A-1"), s("Z-001"))
         << serviceLogInsert(1, moment, QVariant(), QDateTime(QDate(2005, 1, 31), QTime()), moment, QVariant())
         << moveLogInsert(1, moment, {1, 2, 1, 3, 1, 2, s("у входа"), QVariant(), moment, QVariant()});
    list << intervalUseCount(1) << intervalDateUpdate(2.15, 2) << kitDepthProbe(3) << kitLevel0() << kitLevel()
         << kitDeviceList(1) << kitRow(1) << kitChildren(1) << kitInsert(1, 2) << kitDelete(4);
    list << typeDatasets() << typeCopy(1) << malfunctionDatasets() << malfunctionCopy(1) << malfunctionParamsDelete(1);
    list << accountDatasets() << countSync() << countPost(5, 1, 1) << countPost(QVariant(), 1, 2) << crewMemberCopy(1)
         << normMinFund(1) << normInsert(1) << normPlanHours(1, 1) << normCategoriesOutsideCrew(1)
         << normMinFundUpdate(1700.5, 1) << normCrewFunds(1) << reportServices(1);
    list << planSource() << planClear() << planInsert(1, QDate(2025, 3, 1), 1) << monthCounts()
         << monthCounts(s("short_reps = 'П'"));
    return list;
}

bool returnsRows(const QString& statement)
{
    return statement.trimmed().startsWith(s("select"), Qt::CaseInsensitive);
}

class PostgresStatementCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        scratch = std::make_unique<TestServer::ScratchDatabase>();
        ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
        db.setServer(scratch->connectionString());
    }
    void TearDown() override { db.close(); }

    std::unique_ptr<TestServer::ScratchDatabase> scratch;
    SqlConnection db;
};

TEST_F(PostgresStatementCorpus, TheUpgradeCompletesTwiceAndEveryStatementOfTheWindowsRuns)
{
    InitialSchema::create(db);
    EXPECT_FALSE(runUpgradeSteps(db).isEmpty());
    EXPECT_EQ(runUpgradeSteps(db), QStringList()) << "every probe passes once the upgrade has run";
    {
        Transaction load(db);
        for (const QString& statement : corpus::fixtureRows())
            db.execute(statement);
        advanceIdentities(db);
        load.commit();
    }

    const SqlParams params = masterValues();
    for (const QString& statement : windowStatements()) {
        SCOPED_TRACE(statement.toStdString());
        Transaction undone(db);
        try {
            if (returnsRows(statement))
                db.select(statement, params);
            else
                db.execute(statement, params);
        } catch (const DatabaseError& e) {
            ADD_FAILURE() << e.message().toStdString() << "\n  sent: " << db.translate(statement).toStdString();
        }
    }
    EXPECT_FALSE(db.inTransaction());
}

TEST_F(PostgresStatementCorpus, MonthArithmeticAndTheLogPruneHaveTheEffectTheyHaveOnTheEmbeddedEngine)
{
    InitialSchema::create(db);
    runUpgradeSteps(db);
    for (const QString& statement : corpus::fixtureRows())
        db.execute(statement);

    // Interval 1 is one month, interval 2 is 2.15 months: whole months, the day lowered to the
    // month's last, the time kept.
    db.execute(corpus::intervalDateUpdate(1, 1));
    db.execute(corpus::intervalDateUpdate(2.15, 2));
    const auto rows = db.select(s("select ID_NextRep, NextRep from NextRep where ID_NextRep in (1, 2, 3) order by "
                                  "ID_NextRep"));
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->value(0, 1).toDateTime(), QDateTime(QDate(2005, 2, 28), QTime(0, 0)));
    EXPECT_EQ(rows->value(1, 1).toDateTime(), QDateTime(QDate(2004, 2, 29), QTime(0, 0)));
    EXPECT_EQ(rows->value(2, 1).toDateTime(), QDateTime(QDate(2005, 5, 10), QTime(14, 30)));

    // A log is pruned to 31 days only when it holds more than 1000 rows.
    for (int i = 0; i < 1004; ++i)
        db.execute(corpus::editLogInsert(1, 2, QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(i), s("A"), s("Z")));
    db.execute(corpus::editLogInsert(1, 2, QDateTime::currentDateTime(), s("A"), s("Z")));
    db.execute(corpus::logPrune(s("edithist")));
    EXPECT_EQ(db.scalar(s("select count(*) from EditHist")).toInt(), 1);
}

} // namespace
