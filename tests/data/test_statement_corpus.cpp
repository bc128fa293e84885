// Every statement the program runs, written in the Jet dialect, translated and run on each engine
// (a file, and a database on the test server) that holds the full schema and fixture rows, each test
// inside a transaction that is rolled back. Where the dialect matters the effect is checked, not only
// that the statement runs: rows returned or changed, month arithmetic, the 31-day log prune, NULL and
// empty groups, dates; the same answers from both engines.
#include "data/DatabaseError.h"
#include "data/InitialSchema.h"
#include "data/JetDialect.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "data/corpus/JetCorpus.h"
#include "plan/rules/PivotQuery.h"
#include "tables/FilterRowQuery.h"
#include "support/EngineDatabase.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <ostream>
#include <sqlite3.h>

namespace {

using corpus::s;

// ---------------------------------------------------------------------------------------------------
// Building the database.

struct UpgradeRun {
    bool ran = false;
    QStringList failedProbes;
};

// The version check and the upgrade, step by step, as the program runs them.
UpgradeRun upgrade(SqlConnection& db, const QString& programVersion = s("2.4"), bool russian = true)
{
    UpgradeRun run;
    const auto stored = db.select(corpus::versionQuery());
    const bool hasRow = stored->rowCount() > 0;
    if (hasRow && stored->value(0, 0).toString() == programVersion)
        return run;
    run.ran = true;
    if (!hasRow)
        db.execute(corpus::versionInsert(programVersion));
    for (const corpus::UpgradeStep& step : corpus::upgradeSteps()) {
        if (step.kind == corpus::UpgradeStep::View) {
            try {
                db.execute(step.first);
            } catch (const DatabaseError&) {
            }
        } else {
            try {
                db.select(step.first);
                continue;
            } catch (const DatabaseError&) {
                run.failedProbes << step.first;
            }
        }
        for (const QString& statement : step.then)
            db.execute(statement);
        if (step.number == 6)
            for (const QString& insert : corpus::victimInserts(russian))
                db.execute(insert);
    }
    for (const corpus::UpgradeStep& step : corpus::ownSteps(EngineCatalogue::onServer(db))) {
        if (step.kind == corpus::UpgradeStep::View) {
            try {
                db.execute(step.first);
            } catch (const DatabaseError&) {
            }
        } else if (step.kind == corpus::UpgradeStep::Probe) {
            try {
                db.select(step.first);
                continue;
            } catch (const DatabaseError&) {
            }
        }
        for (const QString& statement : step.then)
            db.execute(statement);
    }
    for (const QString& statement : corpus::levelRowStatements())
        db.execute(statement);
    if (hasRow)
        db.execute(corpus::versionUpdate(programVersion));
    return run;
}

// The program's own upgrade, quietly and without a backup copy.
SchemaUpgrade::Outcome programUpgrade(SqlConnection& db)
{
    SchemaUpgrade::Options options;
    options.backup = false;
    options.announce = false;
    return SchemaUpgrade(db, s("2.4"), options).CheckSchemaVersion();
}

// ---------------------------------------------------------------------------------------------------
// Reading results.

// One cell as text: NULL, numbers with ".", dates in the storage form.
QString cell(const ResultSet& rows, int row, int col)
{
    if (rows.isNull(row, col))
        return s("NULL");
    const QVariant value = rows.value(row, col);
    if (value.typeId() == QMetaType::QDateTime)
        return SqlValue::dateTimeText(value.toDateTime());
    if (value.typeId() == QMetaType::Double)
        return SqlValue::number(value.toDouble());
    return value.toString();
}

// All rows, each row's cells joined by "|".
QStringList table(const ResultSet& rows)
{
    QStringList lines;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < rows.columnCount(); ++c)
            cells << cell(rows, r, c);
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// One column by name.
QStringList column(const ResultSet& rows, const QString& name)
{
    const int c = rows.indexOf(name);
    QStringList values;
    for (int r = 0; c >= 0 && r < rows.rowCount(); ++r)
        values << cell(rows, r, c);
    return values;
}

// Keys of rows a statement returns without an order of its own, in ascending order.
QStringList sortedKeys(QStringList keys)
{
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) { return a.toLongLong() < b.toLongLong(); });
    return keys;
}

// Rows of several days in one statement, `hours` apart, beginning `hours` after or before `from`.
void insertLogRows(SqlConnection& db, const QString& log, const QDateTime& from, int count, int hours)
{
    QStringList values;
    for (int i = 1; i <= count; ++i)
        values << s("(") + SqlValue::literal(from.addSecs(qint64(i) * hours * 3600)) + s(")");
    db.execute(s("insert into %1 (ChangeDate) values ").arg(log) + values.join(s(", ")));
}

// The database every test of an engine runs on, built once per engine: the objects that must exist,
// the program's upgrade, the fixture.
class StatementCorpus : public OnBothEngines {
public:
    static void TearDownTestSuite()
    {
        s_databases.clear();
        s_dir.reset();
    }

protected:
    void SetUp() override
    {
        OnBothEngines::SetUp();
        if (setUpStopped())
            return;
        m_database = shared(engine());
        ASSERT_TRUE(m_database);
        m_database->connect(m_db);
        m_db.begin();
    }
    void TearDown() override
    {
        if (m_db.inTransaction())
            m_db.rollback();
    }

    static const EngineDatabase* shared(Engine engine)
    {
        auto& database = s_databases[engine];
        if (database)
            return database.get();
        if (!s_dir)
            s_dir = std::make_unique<QTemporaryDir>();
        auto made = std::make_unique<EngineDatabase>(engine, EngineDatabase::Content::Empty, s_dir->path());
        if (!made->ok()) {
            ADD_FAILURE() << made->error().toStdString();
            return nullptr;
        }
        SqlConnection db;
        made->connect(db);
        if (programUpgrade(db) != SchemaUpgrade::Outcome::Upgraded) {
            ADD_FAILURE() << "the upgrade of the corpus database failed";
            return nullptr;
        }
        db.begin();
        for (const QString& statement : corpus::fixtureRows())
            db.execute(statement);
        EngineCatalogue::advanceIdentities(db);
        db.commit();
        database = std::move(made);
        return database.get();
    }

    QStringList rows(const QString& jet, const SqlParams& params = {}) { return table(*m_db.select(jet, params)); }
    // What the database stores, read without the program's formatting: in a file, in SQLite's own
    // dialect untranslated; on the server, through the translation its names need.
    QStringList raw(const QString& sql)
    {
        if (onServer())
            return rows(sql);
        QStringList lines;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db.handle(), sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(m_db.handle()) << " in " << sql.toStdString();
            return lines;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                cells << (sqlite3_column_type(stmt, c) == SQLITE_NULL
                              ? s("NULL")
                              : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
            lines << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(stmt);
        return lines;
    }
    // Runs a statement expected to fail without spoiling the test's transaction (on the server a
    // failed statement would end it).
    void expectRefused(const QString& jet)
    {
        m_db.execute(s("SAVEPOINT refused"));
        EXPECT_THROW(m_db.select(jet), DatabaseError) << jet.toStdString();
        m_db.execute(s("ROLLBACK TO SAVEPOINT refused"));
    }

    const EngineDatabase* m_database = nullptr;
    SqlConnection m_db;

private:
    static inline std::map<Engine, std::unique_ptr<EngineDatabase>> s_databases;
    static inline std::unique_ptr<QTemporaryDir> s_dir;
};

SqlParam p(const char* name, const QVariant& value)
{
    return {s(name), value};
}

// The values the master rows would supply to every parameter the statements use.
SqlParams masterRowValues()
{
    return {p("ID_Device", 1),
            p("IDevType", 1),
            p("ID_DevType", 1),
            p("ID_Location", 1),
            p("ID_DevCrew", 1),
            p("ICrew", 1),
            p("ID_Crew", 1),
            p("ID_Refusal", 1),
            p("IGroupNaimen", 1),
            p("ID_DevTypeCount", 1),
            p("ID_DevRep", 1),
            p("ID_CrewList", 1),
            p("ID_Complect", 1),
            p("ID_Depart", 1),
            p("ID_GroupNaimen", 1),
            p("Name_DevType", s("Манометр")),
            p("Name_Location", s("Котельная"))};
}

// Every statement outside the upgrade, with the values the tests below give them.
QStringList everyStatement()
{
    using namespace corpus;
    QStringList all;
    all << versionQuery() << versionUpdate(s("2.4"));
    for (const Reference& r : referencedColumns())
        all << countReferences(r.table, r.column, 1);
    all << crewCountSum(1);
    for (const MainQuery& q : mainQueries()) {
        all << q.text << anchored(q.text) << filtered(q.text, q.groupColumn + s(" is not null"));
        all << groupLevel({q.groupColumn}, 0, q.table) << valueList(q.groupColumn, q.table);
    }
    const QStringList pasportFields{s("Name_DevType"), s("Name_Location"), s("ANumber")};
    for (int level = 0; level < pasportFields.size(); ++level)
        all << groupLevel(pasportFields, level, s("Pasport"));
    all << valueList(s("ANumber"), s("Pasport")) << valueList(s("Name_Reps"), s("nextrepview"));
    const QString pasport = mainQueries()[0].text;
    all << filtered(pasport, s("[SetDate] = ") + filterRowDate(QDate(2004, 3, 5)))
        << filtered(pasport, s("[ANumber] = 'A-1' AND [Name_DevType] Like 'ман%'"))
        << filtered(pasport, s("[ID_State] IN (1,2) OR [ZNumber] Not Like '%5'"))
        << filtered(pasport, s("[SetDate] >= '2004-03-01 00:00:00' and [SetDate] <='2004-03-05 00:00:00'"))
        << filtered(s("select * from Pasport;"), s("SetDate >= ") + filterRowDate(QDate(2004, 3, 5)) +
                                                     s(" and SetDate < ") + filterRowDate(QDate(2004, 3, 6)));
    all << linkedTableQueries() << deviceDatasets() << deviceCopy(1) << deviceCleanUp();
    for (const QString& log : logTables())
        all << logPrune(log) << logClear(log);
    const QDateTime moment(QDate(2025, 3, 10), QTime(14, 22, 5));
    all << editLogInsert(1, 2, moment, s("O'Neil; --"), s("Z-001"))
        << serviceLogInsert(1, moment, QDate(2005, 1, 31), QVariant(), QDate(2025, 3, 10), QDate(2025, 4, 10))
        << moveLogInsert(1, moment, {1, 2, 1, 3, 1, 2, s("у входа"), QVariant(), QDate(2004, 3, 5), QVariant()})
        << serviceLogInsert(1, moment, QVariant(), QDateTime(QDate(2005, 1, 31), QTime()), moment, QVariant())
        << moveLogInsert(1, moment, {1, 2, 1, 3, 1, 2, s("у входа"), QVariant(), moment, QVariant()})
        << withAuthor(editLogInsert(1, 1, moment, s("A-2"), s("")), s("o'neil"));
    all << intervalUseCount(1) << intervalDateUpdate(2.15, 1) << intervalDateUpdate(2.15, 2);
    all << kitDepthProbe(1) << kitDepthProbe(3) << kitLevel0() << kitLevel() << kitMembers(1) + s(";")
        << kitDeviceList(1) << kitRow(2) << kitRow(1) << kitChildren(1) << kitInsert(2, 4) << kitInsert(1, 2)
        << kitDelete(3) << kitDelete(4);
    all << typeDatasets() << typeCopy(1) << malfunctionDatasets() << malfunctionCopy(1) << malfunctionParamsDelete(1);
    all << accountDatasets() << countSync() << countPost(5, 1, 2) << countPost(QVariant(), 2, 1) << countPost(5, 1, 1)
        << countPost(QVariant(), 1, 2) << crewMemberCopy(1);
    all << normMinFund(1) << normInsert(1) << normPlanHours(1, 1) << normCategoriesOutsideCrew(1)
        << normMinFundUpdate(1700, 1) << normMinFundUpdate(1700.5, 1) << normCrewFunds(1) << reportServices(1);
    all << planSource() << planClear() << planInsert(1, QDate(2025, 5, 10), 1) << monthCounts()
        << monthCounts(s("\r1=1 and Short_Reps = 'П'")) << monthCounts(s("short_reps = 'П'"));
    return all;
}

bool returnsRows(const QString& jet)
{
    return jet.trimmed().startsWith(s("select"), Qt::CaseInsensitive);
}

// ---------------------------------------------------------------------------------------------------
// The upgrade.

// New databases of the state a first start finds (the objects that must exist, nothing else), each
// with its connection.
class StatementCorpusUpgrade : public OnBothEngines {
protected:
    SqlConnection* openNewDatabase(const QString& name)
    {
        m_databases.push_back(makeDatabase(EngineDatabase::Content::Empty, m_dir.path(), name));
        m_connections.push_back(std::make_unique<SqlConnection>());
        m_databases.back()->connect(*m_connections.back());
        return m_connections.back().get();
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<EngineDatabase>> m_databases;
    std::vector<std::unique_ptr<SqlConnection>> m_connections;
};

TEST_P(StatementCorpusUpgrade, BuildsEveryObjectThenRunsAgainChangingOnlyTheViews)
{
    auto db = openNewDatabase(s("Device.db"));
    db->execute(s("insert into Device (ID_Device, ANumber) values (1, 'A-1')"));

    const UpgradeRun first = upgrade(*db);
    EXPECT_TRUE(first.ran);
    EXPECT_EQ(first.failedProbes.size(), 23) << "every probe fails on a database without the new objects";
    EXPECT_EQ(db->scalar(corpus::versionQuery()).toString(), s("2.4"));
    const QStringList created{s("Dimention"),     s("Document"),     s("EditHist"),        s("Victim"),
                              s("MovHist"),       s("RepHist"),      s("Refusal"),         s("RefusalGroupNaimen"),
                              s("RefusalNaimen"), s("RefusalParam"), s("RefusParamValue"), s("RepCath"),
                              s("DevTypeCount"),  s("CrewList"),     s("DayFund"),         s("LostDayMiscPC"),
                              s("LostDayUsed"),   s("WorkDayLenth"), s("NormState"),       s("Complect")};
    for (const QString& name : created)
        EXPECT_TRUE(EngineCatalogue::hasTable(*db, name)) << name.toStdString();
    const QStringList views{s("Pasport"),        s("EditHistView"), s("MovHistView"),     s("RepHistView"),
                            s("YearReportView"), s("Refusals"),     s("CrewDevTypeView"), s("AccountView"),
                            s("CrewListView"),   s("ComplectView")};
    for (const QString& name : views)
        EXPECT_NO_THROW(db->select(s("select * from ") + name + s(";"))) << name.toStdString();
    EXPECT_EQ(table(*db->select(s("select setdate, changedate, anumber from device;"))),
              QStringList{s("NULL|NULL|A-1")});

    // A stored version that differs runs every step again: the probes now pass, the views are made anew.
    db->execute(corpus::versionUpdate(s("2.3")));
    const UpgradeRun second = upgrade(*db);
    EXPECT_TRUE(second.ran);
    EXPECT_TRUE(second.failedProbes.isEmpty()) << second.failedProbes.join(s("\n")).toStdString();
    EXPECT_EQ(db->scalar(corpus::versionQuery()).toString(), s("2.4"));
    EXPECT_EQ(db->scalar(s("select count(*) from Victim")), QVariant(3));

    // Up to date: nothing runs.
    EXPECT_FALSE(upgrade(*db).ran);
}

TEST_P(StatementCorpusUpgrade, TheProgramsUpgradeBuildsTheSameSchemaAsTheseStatements)
{
    auto replayed = openNewDatabase(s("replayed.db"));
    upgrade(*replayed);
    auto program = openNewDatabase(s("program.db"));
    ASSERT_EQ(programUpgrade(*program), SchemaUpgrade::Outcome::Upgraded);
    EXPECT_EQ(EngineCatalogue::schemaObjects(*program), EngineCatalogue::schemaObjects(*replayed));
    const QString contents = s("select Code, Victim from Victim union all select ID_Info, Info_name from Info");
    EXPECT_EQ(table(*program->select(contents)), table(*replayed->select(contents)));
}

TEST_P(StatementCorpusUpgrade, IdentityKeysAreNumberedAndNeverReused)
{
    auto db = openNewDatabase(s("Device.db"));
    upgrade(*db);
    db->execute(s("insert into Dimention (Name_Dimention) values ('МПа')"));
    db->execute(s("insert into Dimention (Name_Dimention) values ('кПа')"));
    EXPECT_EQ(db->lastInsertId(), 2);
    db->execute(s("delete from Dimention where ID_Dimention = 2"));
    db->execute(s("insert into Dimention (Name_Dimention) values ('Па')"));
    EXPECT_EQ(table(*db->select(s("select ID_Dimention, Name_Dimention from Dimention order by 1"))),
              (QStringList{s("1|МПа"), s("3|Па")}));
    db->execute(s("insert into Device (ANumber) values ('A-1')"));
    EXPECT_EQ(db->scalar(s("select count(*) from Device where ID_Device is null")), QVariant(0));
}

TEST_P(StatementCorpusUpgrade, ExpandsServiceRowsPerCrewExactlyOnce)
{
    auto db = openNewDatabase(s("Device.db"));
    db->execute(s("insert into Crew (ID_Crew, Name_Crew) values (1, 'Бригада 1'), (2, 'Бригада 2')"));
    db->execute(s("insert into DevRep (ID_DevRep, IDevType, IRep, R_No, RT_Mon, RT, RT_PC, RCount) values "
                  "(1, 1, 1, 1, 12, 1, 2.5, 10), (2, 1, 2, 2, 2.15, null, null, null), (3, 2, 1, 1, 6, 2, 1, 5)"));
    db->execute(s("insert into NextRep (ID_NextRep, IDevice, IDevRep) values (1, 1, 2)"));
    EngineCatalogue::advanceIdentities(*db);

    upgrade(*db);
    const char* rowsPerCrew = "select ICrew, IDevType, IRep, R_No, RT_Mon, RT, RT_PC, RCount from DevRep order by "
                              "ICrew, IDevType, IRep";
    const QStringList expected{s("1|1|1|1|12|1|2.5|10"), s("1|1|2|2|2.15|NULL|NULL|NULL"), s("1|2|1|1|6|2|1|5"),
                               s("2|1|1|1|12|1|2.5|10"), s("2|1|2|2|2.15|NULL|NULL|NULL"), s("2|2|1|1|6|2|1|5")};
    EXPECT_EQ(table(*db->select(s(rowsPerCrew))), expected);
    EXPECT_EQ(db->scalar(s("select count(*) from DevRep where ID_DevRep <= 3")), QVariant(0));
    EXPECT_EQ(db->scalar(s("select IDevRep from NextRep")), QVariant(2)) << "next-service rows keep their old keys";

    db->execute(corpus::versionUpdate(s("2.3")));
    upgrade(*db);
    EXPECT_EQ(table(*db->select(s(rowsPerCrew))), expected) << "NormState exists now: no second expansion";
}

TEST_P(StatementCorpusUpgrade, VersionRowAndKindsOfEdit)
{
    auto db = openNewDatabase(s("Device.db"));
    upgrade(*db, s("2.4"), true);
    EXPECT_EQ(table(*db->select(s("select Code, Victim from Victim order by Code"))),
              (QStringList{s("1|Добавлен"), s("2|Редакт."), s("3|Удален")}));
    db->execute(corpus::versionUpdate(s("2.4 ")));
    EXPECT_TRUE(upgrade(*db).ran) << "a trailing blank is a different version";
    db->execute(corpus::versionUpdate(s("O'Neil")));
    EXPECT_EQ(db->scalar(corpus::versionQuery()).toString(), s("O'Neil"));
}

// ---------------------------------------------------------------------------------------------------
// Every statement runs.

TEST_P(StatementCorpus, EveryStatementRunsOnTheFullSchema)
{
    const SqlParams values = masterRowValues();
    for (const QString& jet : everyStatement()) {
        SCOPED_TRACE(jet.toStdString() + "\n  sent as: " + m_db.translate(jet).toStdString());
        m_db.execute(s("SAVEPOINT one"));
        try {
            if (returnsRows(jet))
                m_db.select(jet, values);
            else
                m_db.execute(jet, values);
        } catch (const DatabaseError& error) {
            ADD_FAILURE() << error.message().toStdString();
        }
        m_db.execute(s("ROLLBACK TO SAVEPOINT one"));
    }
}

TEST(StatementCorpusTranslation, EveryStatementTranslatedAgainIsUnchanged)
{
    QStringList all = everyStatement();
    for (const corpus::UpgradeStep& step : corpus::upgradeSteps())
        all << step.first << step.then;
    all << corpus::victimInserts(true) << corpus::versionInsert(s("2.4")) << InitialSchema::statements();
    for (const QString& jet : all) {
        const QString once = JetDialect::toSqlite(jet);
        EXPECT_EQ(JetDialect::toSqlite(once), once) << jet.toStdString();
    }
}

// Views are written so that any client of the engine reads them, without the program's functions.
TEST_P(StatementCorpus, EveryViewReadsInTheEnginesOwnPlainClient)
{
    const QString client = QStandardPaths::findExecutable(onServer() ? s("psql") : s("sqlite3"));
    ASSERT_FALSE(client.isEmpty()) << "the engine's command-line client is needed";
    const QStringList views = EngineCatalogue::viewNames(m_db);
    ASSERT_EQ(views.size(), 12);
    m_db.rollback();
    m_db.close(); // the client reads the database as another process would
    for (const QString& view : views) {
        const QString count = s("select count(*) from %1;").arg(onServer() ? view : s("[%1]").arg(view));
        const QStringList arguments = onServer() ? QStringList{s("-X"), s("-v"), s("ON_ERROR_STOP=1"), s("-d"),
                                                               m_database->location(), s("-c"), count}
                                                 : QStringList{s("-bail"), m_database->location(), count};
        QProcess process;
        process.start(client, arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << view.toStdString() << ": " << process.readAllStandardError().toStdString();
        EXPECT_TRUE(process.readAllStandardError().isEmpty()) << view.toStdString();
    }
    m_db.begin();
}

// ---------------------------------------------------------------------------------------------------
// Effects.

TEST_P(StatementCorpus, MainQueriesOfEveryWindowWithTheirAnchorLine)
{
    const QList<int> expectedRows{5, 3, 5, 2, 7, 0};
    const QList<corpus::MainQuery> queries = corpus::mainQueries();
    for (int i = 0; i < queries.size(); ++i) {
        SCOPED_TRACE(queries[i].text.toStdString());
        EXPECT_EQ(rows(queries[i].text).size(), expectedRows[i]);
        EXPECT_EQ(rows(corpus::anchored(queries[i].text)).size(), expectedRows[i]);
    }
}

TEST_P(StatementCorpus, ViewsKeepOrDropRowsWhoseReferencesAreEmptyOrDangling)
{
    // Pasport: a device without a type and one whose type is gone are both listed, type columns empty.
    EXPECT_EQ(rows(s("select ID_Device, Name_DevType, ID_DevType from Pasport where ID_Device in (4, 5);")),
              (QStringList{s("4|NULL|NULL"), s("5|NULL|NULL")}));
    // AccountView: a type without service rows appears exactly once.
    EXPECT_EQ(rows(s("select Name_DevType, ID_DevRep, Name_Crew from AccountView where ID_DevType = 3;")),
              QStringList{s("Расходомер|NULL|NULL")});
    // A service row whose crew has no department keeps its crew, department empty.
    EXPECT_EQ(rows(s("select Name_Depart, Name_Crew from AccountView where ID_DevRep = 4;")),
              QStringList{s("NULL|Бригада без подразделения")});
    // nextrepview and CrewDevTypeView.
    EXPECT_EQ(rows(s("select ID_NextRep, ANumber, Short_Reps, RT_Mon from nextrepview where ID_NextRep in (2, 5);")),
              (QStringList{s("2|a-1|П|1"), s("5|NULL|П|1")}));
    EXPECT_EQ(rows(s("select * from CrewDevTypeView where ID_DevCrew = :ID_DevCrew;"), {p("ID_DevCrew", 4)}),
              QStringList{s("4|3|3|2")});
    EXPECT_EQ(rows(s("select count(*) from CrewDevTypeView;")), QStringList{s("4")}) << "the crew of device 77 is gone";
}

TEST_P(StatementCorpus, ReferenceChecksCountEveryReferringTable)
{
    const QList<int> counts{2, 2, 2, 1, 2, 2, 2, 2, 3, 3, 3, 2, 3, 2, 2, 3, 2, 2, 1, 1};
    const QList<corpus::Reference> references = corpus::referencedColumns();
    ASSERT_EQ(references.size(), counts.size());
    for (int i = 0; i < references.size(); ++i) {
        const corpus::Reference& r = references[i];
        SCOPED_TRACE((r.table + s(".") + r.column).toStdString());
        const auto result = m_db.select(corpus::countReferences(r.table, r.column, 1));
        ASSERT_EQ(result->indexOf(s("count")), 0) << "the count is read by its name";
        EXPECT_EQ(result->value(0, 0).toInt(), counts[i]);
        EXPECT_EQ(m_db.scalar(corpus::countReferences(r.table, r.column, 0)).toInt(), 0) << "an empty key";
    }
    EXPECT_EQ(rows(corpus::crewCountSum(1)), QStringList{s("14")});
    EXPECT_EQ(rows(corpus::crewCountSum(2)), QStringList{s("0")});
    EXPECT_EQ(rows(corpus::crewCountSum(3)), QStringList{s("NULL")}) << "no rows: an empty sum";
}

// The text of a tree node's value as the grouping tree writes it.
QString nodeValue(const QString& cellText)
{
    if (cellText == s("NULL"))
        return s("<null>");
    if (cellText.isEmpty())
        return s("<empty>");
    return cellText;
}

TEST_P(StatementCorpus, GroupingLevelsCountEveryRowNullAndEmptyGroupsIncluded)
{
    struct Case {
        const char* field;
        QStringList nodes; // value, count
    };
    const std::vector<Case> cases{
        {"ANumber", {s("<null>|1"), s("<empty>|1"), s("A-1|1"), s("O'Neil; --|1"), s("a-1|1")}},
        {"Name_DevType", {s("<null>|2"), s("Манометр|2"), s("Термометр|1")}},
        {"ID_State", {s("<null>|2"), s("1|2"), s("2|1")}},
        {"Name_Prec", {s("<null>|3"), s("1.5|2")}},
        {"SetDate",
         {s("<null>|2"), s("2004-03-05 00:00:00|1"), s("2004-03-05 10:00:00|1"), s("2010-01-31 00:00:00|1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        QStringList nodes;
        for (const QString& line : rows(corpus::groupLevel({s(c.field)}, 0, s("Pasport")))) {
            const QStringList cells = line.split(QLatin1Char('|'));
            nodes << nodeValue(cells[0]) + s("|") + cells[1];
        }
        EXPECT_EQ(nodes, c.nodes);
    }
}

TEST_P(StatementCorpus, DeeperGroupingLevelsFollowTheMasterRow)
{
    const QStringList fields{s("Name_DevType"), s("Name_Location"), s("ANumber")};
    EXPECT_EQ(rows(corpus::groupLevel(fields, 1, s("Pasport")), {p("Name_DevType", s("Манометр"))}),
              QStringList{s("Манометр|Котельная|2")});
    EXPECT_EQ(rows(corpus::groupLevel(fields, 2, s("Pasport")),
                   {p("Name_DevType", s("Манометр")), p("Name_Location", s("Котельная"))}),
              (QStringList{s("Манометр|Котельная|A-1|1"), s("Манометр|Котельная|a-1|1")}));
    // Under a null node the restriction "= NULL" is never true: nothing below it, as in Jet.
    EXPECT_TRUE(rows(corpus::groupLevel(fields, 1, s("Pasport")), {p("Name_DevType", QVariant())}).isEmpty());
}

TEST_P(StatementCorpus, ValueListsSkipNullsButKeepEmptyTexts)
{
    EXPECT_EQ(rows(corpus::valueList(s("ANumber"), s("Pasport"))),
              (QStringList{s(""), s("A-1"), s("O'Neil; --"), s("a-1")}));
    EXPECT_EQ(rows(corpus::valueList(s("Short_Reps"), s("nextrepview"))), (QStringList{s("К"), s("П"), s("ТО")}));
}

TEST_P(StatementCorpus, FilterRowConditions)
{
    const QString pasport = corpus::mainQueries()[0].text;
    // The list has no order of its own: each engine returns the rows in the order its plan gives.
    auto devices = [&](const QString& conditions) {
        return sortedKeys(column(*m_db.select(corpus::filtered(pasport, conditions)), s("ID_Device")));
    };
    // The date literal of the filter row finds the device set at midnight, not the one set at 10:00.
    EXPECT_EQ(devices(s("[SetDate] = ") + corpus::filterRowDate(QDate(2004, 3, 5))), QStringList{s("1")});
    // The date filter's range, from 01.03.04 to 05.03.04, written by the formatter.
    EXPECT_EQ(devices(s("[SetDate] >= ") + SqlValue::literal(QDate(2004, 3, 1)) + s(" and [SetDate] <=") +
                      SqlValue::literal(QDate(2004, 3, 5))),
              QStringList{s("1")});
    EXPECT_EQ(devices(s("[SetDate] = ") + SqlValue::literal(QDate(2004, 3, 5))), QStringList{s("1")})
        << "equal dates: one day";
    EXPECT_EQ(devices(s("[SetDate] >= ") + SqlValue::literal(QDate(2004, 3, 5))),
              (QStringList{s("1"), s("2"), s("3")}));
    // Like folds Cyrillic case through the registered function.
    EXPECT_EQ(devices(s("[Name_DevType] Like 'ман%'")), (QStringList{s("1"), s("2")}));
    EXPECT_EQ(devices(s("[ANumber] = 'O''Neil; --'")), QStringList{s("3")});
    EXPECT_EQ(devices(s("[ID_State] IN (1,2) AND [ZNumber] Not Like '%3'")), (QStringList{s("1"), s("2")}));
    EXPECT_EQ(devices(s("[Name_DevType] <> 'Манометр' OR [ANumber] = ''")), (QStringList{s("3"), s("5")}));
}

// The filter row's and the pivot's conditions as their builders write them: texts compared without
// regard to letter case, Cyrillic included, on either engine.
TEST_P(StatementCorpus, FilterRowAndPivotConditionsIgnoreLetterCase)
{
    const QString pasport = corpus::mainQueries()[0].text;
    auto devices = [&](const QString& field, FilterRowQuery::ColumnKind kind, const QString& typed) {
        const FilterRowQuery::Parsed parsed = FilterRowQuery::parse(field, kind, typed);
        EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        return sortedKeys(column(*m_db.select(corpus::filtered(pasport, parsed.condition)), s("ID_Device")));
    };
    using Kind = FilterRowQuery::ColumnKind;
    EXPECT_EQ(devices(s("Name_DevType"), Kind::Text, s("МАНОМЕТР")), devices(s("Name_DevType"), Kind::Text, s("Манометр")));
    EXPECT_EQ(devices(s("Name_DevType"), Kind::Text, s("манометр")), (QStringList{s("1"), s("2")}));
    EXPECT_EQ(devices(s("ANumber"), Kind::Text, s("a-1")), (QStringList{s("1"), s("2")}));
    EXPECT_EQ(devices(s("ANumber"), Kind::Text, s("<> A-1")), devices(s("ANumber"), Kind::Text, s("<> a-1")));
    EXPECT_EQ(devices(s("Name_DevType"), Kind::Text, s("ман*")), (QStringList{s("1"), s("2")}));
    EXPECT_EQ(m_db.select(corpus::filtered(pasport, FilterRowQuery::valueCondition(s("ANumber"), s("A-1"))))->rowCount(), 2);

    m_db.execute(corpus::planClear());
    m_db.execute(corpus::planInsert(1, QDate(2025, 5, 10), 1));
    m_db.execute(corpus::planInsert(2, QDate(2025, 8, 31), 2));
    const auto typeOf = [](const QString& field) {
        return field == s("Year") ? ResultSet::ColumnType::Integer : ResultSet::ColumnType::Text;
    };
    EXPECT_EQ(rows(corpus::monthCounts(PivotQuery::restriction({}, s("ANumber = 'a-1'"), typeOf))),
              (QStringList{s("5|П|1"), s("8|К|1")}));
    EXPECT_EQ(rows(corpus::monthCounts(PivotQuery::restriction({}, s("ANumber = 'a-1' and Year = '2025'"), typeOf))),
              (QStringList{s("5|П|1"), s("8|К|1")}));
}

TEST_P(StatementCorpus, CrewSelectorJoinsDepartmentAndCrewNames)
{
    EXPECT_EQ(column(*m_db.select(corpus::crewSelector()), s("Crew1")),
              (QStringList{s("Цех КИП  ,  Бригада 1"), s("Лаборатория  ,  Бригада 2"), s("NULL")}))
        << "a crew without a department gets an empty text";
    const QString withNames = corpus::accountDatasets()[7];
    EXPECT_EQ(rows(withNames).value(0), s("1|1|Цех КИП  ,  Бригада 1|Бригада 1|Цех КИП"));
}

TEST_P(StatementCorpus, DeviceWindowDatasets)
{
    const QStringList sets = corpus::deviceDatasets();
    EXPECT_EQ(column(*m_db.select(sets[0], {p("ID_Device", 3)}), s("ANumber")), QStringList{s("O'Neil; --")});
    // Only intervals of the device's type, of its crews, whose crew has a department.
    const QString choices = sets[13];
    EXPECT_EQ(sortedKeys(column(*m_db.select(choices, {p("ID_Device", 1), p("IDevType", 1)}), s("ID_DevRep"))),
              (QStringList{s("1"), s("2"), s("3")}));
    EXPECT_TRUE(rows(choices, {p("ID_Device", 3), p("IDevType", 2)}).isEmpty());
    EXPECT_EQ(rows(sets[12], {p("ID_Device", 1)}).size(), 2) << "bound to :id_device whatever the spelling";
    // Number pick-lists: empty numbers first, as Jet sorts them.
    EXPECT_EQ(rows(sets[17]), (QStringList{s("NULL"), s(""), s("A-1"), s("O'Neil; --"), s("a-1")}));
    EXPECT_EQ(rows(corpus::deviceCopy(2)).value(0).split(QLatin1Char('|')).value(4), s("a-1"));
    EXPECT_EQ(
        rows(s("SELECT  * FROM LocSet WHERE ILocation = :ID_Location order by name_locset;"), {p("ID_Location", 1)})
            .size(),
        2);
}

TEST_P(StatementCorpus, DeviceCleanUpRemovesOnlyRowsOfMissingDevices)
{
    for (const QString& statement : corpus::deviceCleanUp())
        m_db.execute(statement);
    EXPECT_EQ(raw("select ID_Refusal from Refusal"), QStringList{s("1")});
    EXPECT_EQ(raw("select ID_RefParVal from RefusParamValue"), QStringList{s("1")});
    EXPECT_EQ(raw("select ID_NextRep from NextRep order by 1"), (QStringList{s("1"), s("2"), s("3"), s("4")}));
    EXPECT_EQ(raw("select ID_DevCrew from DevCrew order by 1"), (QStringList{s("1"), s("2"), s("3"), s("4")}));
}

TEST_P(StatementCorpus, LogPruneRemovesRowsOlderThan31DaysOnlyBeyond1000Rows)
{
    const QDateTime cutOff(QDate::currentDate().addDays(-31), QTime(0, 0));
    for (const QString& log : corpus::logTables()) {
        SCOPED_TRACE(log.toStdString());
        // 1000 rows: 900 old ones, the rest recent; the count condition keeps them all.
        insertLogRows(m_db, log, cutOff.addSecs(-1), 900, -1);
        insertLogRows(m_db, log, cutOff, 100, 1);
        EXPECT_EQ(m_db.execute(corpus::logPrune(log)), 0);
        // The boundary rows: at the cut-off (kept) and a second before it (removed).
        m_db.execute(s("insert into %1 (ChangeDate) values (%2)").arg(log, SqlValue::literal(cutOff)));
        m_db.execute(s("insert into %1 (ChangeDate) values (%2)").arg(log, SqlValue::literal(cutOff.addSecs(-1))));
        EXPECT_EQ(m_db.execute(corpus::logPrune(log)), 901);
        EXPECT_EQ(m_db.scalar(s("select count(*) from %1").arg(log)), QVariant(101));
        EXPECT_EQ(raw(s("select min(ChangeDate) from %1").arg(log)), QStringList{SqlValue::dateTimeText(cutOff)});
        m_db.execute(corpus::logClear(log));
        EXPECT_EQ(m_db.scalar(s("select count(*) from %1").arg(log)), QVariant(0));
    }
}

TEST_P(StatementCorpus, LogInsertsStoreValuesAsTypedAndViewsShowThem)
{
    const QDateTime moment(QDate(2025, 3, 10), QTime(14, 22, 5));
    m_db.execute(corpus::withAuthor(corpus::editLogInsert(3, 2, moment, s("O'Neil; --"), s("")), s("o'neil")));
    EXPECT_EQ(rows(corpus::deviceDatasets()[6], {p("ID_Device", 3)}),
              QStringList{s("3|O'Neil; --||Редакт.|2025-03-10 14:22:05|o'neil")});

    m_db.execute(
        corpus::serviceLogInsert(2, moment, QDate(2004, 1, 31), QDate(2004, 2, 29), QDate(2025, 3, 10), QVariant()));
    m_db.execute(corpus::serviceLogInsert(5, moment, QVariant(), QVariant(), QVariant(), QVariant()));
    EXPECT_EQ(rows(s("select IDevice, Short_Reps, LastDate, ExpectedDate, NewDate, NextDate from RepHistView;")),
              QStringList{s("2|П|2004-01-31 00:00:00|2004-02-29 00:00:00|2025-03-10 00:00:00|NULL")})
        << "the entry of next-service row 5, whose device is gone, is not listed";

    // Keys go in quoted, as the move log writes every value; they must still join as numbers.
    m_db.execute(
        corpus::moveLogInsert(1, moment, {1, 2, 1, 3, 1, 2, s("у входа"), QVariant(), QDate(2004, 3, 5), QVariant()}));
    m_db.execute(corpus::moveLogInsert(
        77, moment,
        {1, 1, QVariant(), QVariant(), 1, 1, s(""), s(""), QVariant(), QDateTime(QDate(2025, 3, 1), QTime(8, 0))}));
    EXPECT_EQ(EngineCatalogue::storedKinds(m_db, s("MovHist"), {s("ILastLocation"), s("INewLocSet")}, s("IDevice = 1")),
              s("integer|integer"));
    EXPECT_EQ(
        rows(s("select IDevice, ANumber, LastLocation, NewLocation, LastLocSet, NewLocSet, LastState, "
               "NewState, LastSetPlace, NewSetPlace, LastSetDate, NewSetDate from MovHistView order by IDevice;")),
        (QStringList{s("1|A-1|Котельная|Насосная|Щит 1|Узел учёта|В работе|В ремонте|у входа|NULL|"
                       "2004-03-05 00:00:00|NULL"),
                     s("77|NULL|Котельная|Котельная|NULL|NULL|В работе|В работе|||NULL|2025-03-01 08:00:00")}));
}

// Sets up next-service rows of one interval (30) with the given last dates and applies the update.
class IntervalUpdate {
public:
    explicit IntervalUpdate(SqlConnection& db) : m_db(db) {}
    QStringList apply(double rtMon, const QStringList& lastDates)
    {
        m_db.execute(s("delete from NextRep where IDevRep = 30"));
        for (const QString& last : lastDates)
            m_db.execute(s("insert into NextRep (IDevice, IDevRep, LastRep) values (1, 30, %1)")
                             .arg(last.isEmpty() ? s("null") : SqlValue::quoted(last)));
        m_db.execute(corpus::intervalDateUpdate(rtMon, 30));
        return table(*m_db.select(s("select NextRep from NextRep where IDevRep = 30 order by ID_NextRep")));
    }

private:
    SqlConnection& m_db;
};

TEST_P(StatementCorpus, IntervalUpdateMovesByWholeMonthsClampingToTheMonthEnd)
{
    IntervalUpdate update(m_db);
    struct Case {
        double rtMon;
        const char* last;
        const char* next;
    };
    const std::vector<Case> cases{
        {1, "2005-01-31 00:00:00", "2005-02-28 00:00:00"},
        {1, "2004-01-31 00:00:00", "2004-02-29 00:00:00"},
        {12, "2005-03-10 14:30:00", "2006-03-10 14:30:00"},
        {2.15, "2005-01-01 00:00:00", "2005-03-01 00:00:00"},
        {1.9, "2005-05-31 23:59:59", "2005-06-30 23:59:59"},
        {-1.5, "2005-03-31 00:00:00", "2005-02-28 00:00:00"},
        {0.5, "2005-03-31 00:00:00", "2005-03-31 00:00:00"},
        {25, "2003-12-31 08:00:00", "2006-01-31 08:00:00"},
        {1, "2025-01-31", "2025-02-28 00:00:00"},
        {1, "2025-01-31T10:15:00", "2025-02-28 10:15:00"},
        {1, "", "NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.last) + " + " + std::to_string(c.rtMon));
        EXPECT_EQ(update.apply(c.rtMon, {s(c.last)}), QStringList{s(c.next)});
    }
    // Only the rows of the interval named move.
    EXPECT_EQ(raw("select NextRep from NextRep where ID_NextRep = 2"), QStringList{s("2004-02-29 00:00:00")});

    // The fixture's rows: interval 1 is one month, interval 2 is 2.15 months.
    m_db.execute(corpus::intervalDateUpdate(1, 1));
    m_db.execute(corpus::intervalDateUpdate(2.15, 2));
    EXPECT_EQ(rows(s("select ID_NextRep, NextRep from NextRep where ID_NextRep in (1, 2, 3) order by ID_NextRep")),
              (QStringList{s("1|2005-02-28 00:00:00"), s("2|2004-02-29 00:00:00"), s("3|2005-05-10 14:30:00")}));
}

TEST_P(StatementCorpus, IntervalUpdateAgreesWithCalendarMonthArithmetic)
{
    // Every day of a leap year and the next, moved by month counts that cross year ends both ways.
    m_db.execute(s("create temp table Days (d datetime)"));
    QStringList days;
    for (int i = 0; i <= 730; ++i)
        days << s("(") + SqlValue::literal(QDateTime(QDate(2024, 1, 1).addDays(i), QTime(6, 30))) + s(")");
    m_db.execute(s("insert into Days (d) values ") + days.join(s(", ")));
    for (int months : {-25, -13, -1, 1, 2, 3, 11, 12, 13, 48}) {
        SCOPED_TRACE(months);
        const auto moved = m_db.select(s("select d, DateAdd(\"m\", %1, d) from Days order by d").arg(months));
        ASSERT_EQ(moved->rowCount(), 731);
        for (int r = 0; r < moved->rowCount(); ++r) {
            const QDateTime from = SqlValue::parseDateTime(cell(*moved, r, 0));
            const QDateTime expected(from.date().addMonths(months), from.time());
            ASSERT_EQ(cell(*moved, r, 1), SqlValue::dateTimeText(expected)) << cell(*moved, r, 0).toStdString();
        }
    }
}

TEST_P(StatementCorpus, IntervalUseCountAndServiceData)
{
    EXPECT_EQ(rows(corpus::intervalUseCount(1)), QStringList{s("3")});
    const QStringList typeSets = corpus::typeDatasets();
    EXPECT_EQ(column(*m_db.select(typeSets[5], {p("ID_DevType", 1)}), s("ID_DevRep")),
              (QStringList{s("1"), s("2"), s("3")}));
    EXPECT_EQ(column(*m_db.select(corpus::deviceDatasets()[15], {p("IDevType", 1), p("ICrew", 1)}), s("RT_Mon")),
              (QStringList{s("1"), s("2.15")}));
}

TEST_P(StatementCorpus, KitStatementsWalkTheForest)
{
    int depth = 0;
    while (!rows(corpus::kitDepthProbe(depth + 1)).isEmpty())
        ++depth;
    EXPECT_EQ(depth, 3);
    EXPECT_EQ(rows(corpus::kitLevel0()),
              (QStringList{s("1|Манометр|МП-100|A-1|Z-001"), s("4|Термометр|ТС-1|O'Neil; --|Z-003")}));
    EXPECT_EQ(rows(corpus::kitLevel(), {p("ID_Complect", 1)}), QStringList{s("2|Манометр|МП-100|a-1|Z-002")});
    auto listed = [&](qint64 node) { return column(*m_db.select(corpus::kitDeviceList(node)), s("ID_Device")); };
    EXPECT_EQ(listed(0), (QStringList{s("1"), s("3")})) << "the heads of the top-level kits";
    EXPECT_EQ(listed(2), QStringList{s("3")});
    EXPECT_TRUE(listed(3).isEmpty());
    EXPECT_EQ(rows(corpus::kitRow(2)), QStringList{s("1|2|2")});
    EXPECT_EQ(rows(corpus::kitChildren(0)), (QStringList{s("0|1|1"), s("0|3|4")}));
    m_db.execute(corpus::kitInsert(2, 5));
    const qint64 added = m_db.lastInsertId();
    EXPECT_EQ(rows(corpus::kitChildren(2)), (QStringList{s("2|3|3"), s("2|5|%1").arg(added)}));
    m_db.execute(corpus::kitDelete(added));
    EXPECT_EQ(rows(corpus::kitChildren(2)), QStringList{s("2|3|3")});
    EXPECT_EQ(rows(s("select ID_Complect, ANumber from ComplectView where IDevice = 2;")), QStringList{s("2|a-1")});
}

TEST_P(StatementCorpus, MalfunctionWindowStatements)
{
    const QStringList sets = corpus::malfunctionDatasets();
    EXPECT_EQ(rows(s("select ID_Refusal, IDevice, ANumber, Name_DevType, NDate, Action, Name_Document from "
                     "Refusals order by ID_Refusal;")),
              (QStringList{s("1|1|A-1|Манометр|2025-02-01 08:00:00|Замена механизма|Акт"),
                           s("2|77|NULL|NULL|2025-02-02 00:00:00|NULL|NULL")}));
    EXPECT_EQ(rows(sets[7], {p("ID_Refusal", 1)}), QStringList{s("1|1|1|2.5")});
    EXPECT_EQ(column(*m_db.select(sets[3], {p("IGroupNaimen", 1)}), s("Name_Naimen")),
              QStringList{s("Заедание стрелки")});
    EXPECT_EQ(m_db.execute(corpus::malfunctionParamsDelete(1)), 1);
    EXPECT_EQ(rows(corpus::malfunctionCopy(1)).size(), 1);
}

TEST_P(StatementCorpus, CountPageKeepsOnePairPerTypeAndCrew)
{
    for (const QString& statement : corpus::countSync())
        m_db.execute(statement);
    EXPECT_EQ(raw("select count(*), count(distinct IDevType || '-' || ICrew) from DevTypeCount"),
              QStringList{s("9|9")});
    EXPECT_EQ(raw("select count(*) from DevTypeCount where IDevType = 99"), QStringList{s("0")});
    EXPECT_EQ(raw("select [Count] from DevTypeCount where IDevType = 1 and ICrew = 1"), QStringList{s("10")});

    for (const QString& statement : corpus::countPost(7, 1, 2))
        m_db.execute(statement);
    EXPECT_EQ(raw("select [Count] from DevTypeCount where IDevType = 1 order by ICrew"),
              (QStringList{s("10"), s("7"), s("NULL")}));
    for (const QString& statement : corpus::countPost(QVariant(), 1, 1))
        m_db.execute(statement);
    EXPECT_EQ(raw("select [Count] from DevTypeCount where IDevType = 1 and ICrew = 1"), QStringList{s("NULL")})
        << "an empty count is stored as empty";

    const QStringList sets = corpus::accountDatasets();
    EXPECT_EQ(column(*m_db.select(sets[1], {p("ID_Crew", 2)}), s("Count")),
              (QStringList{s("7"), s("NULL"), s("NULL")}));
    EXPECT_EQ(rows(sets[3], {p("IDevType", 1), p("ICrew", 1)}).size(), 2);
}

TEST_P(StatementCorpus, NormStateStatements)
{
    EXPECT_EQ(rows(corpus::normMinFund(1)), QStringList{s("1700")});
    EXPECT_EQ(rows(corpus::normMinFund(3)), QStringList{s("NULL")});
    EXPECT_TRUE(rows(corpus::normCategoriesOutsideCrew(1)).isEmpty());

    EXPECT_EQ(m_db.execute(corpus::normInsert(1)), 1) << "category 1 has its row already";
    EXPECT_EQ(raw("select ICrew, ICathegory, PlanHour from NormState order by ICathegory"),
              (QStringList{s("1|1|0"), s("1|2|1158.8")}));
    EXPECT_EQ(m_db.execute(corpus::normInsert(1)), 0);
    EXPECT_EQ(rows(corpus::normPlanHours(1, 1)), QStringList{s("600")});
    EXPECT_EQ(rows(corpus::normPlanHours(2, 1)), QStringList{s("10")});
    EXPECT_EQ(rows(corpus::normPlanHours(3, 1)), QStringList{s("NULL")});
    EXPECT_EQ(rows(corpus::normCategoriesOutsideCrew(1)), QStringList{s("5")});

    EXPECT_EQ(m_db.execute(corpus::normMinFundUpdate(1700.25, 1)), 1);
    EXPECT_EQ(raw("select ICathegory, PlanP1E from NormState order by ICathegory"),
              (QStringList{s("1|NULL"), s("2|1700.25")}));
    EXPECT_EQ(rows(corpus::normCrewFunds(1)), (QStringList{s("1760|1"), s("1700|1")}));
}

TEST_P(StatementCorpus, TypeReportListsTheServicesOfACrewByKey)
{
    EXPECT_EQ(rows(corpus::reportServices(1)),
              (QStringList{s("Поверка|П|1"), s("Калибровка|К|2"), s("Техническое обслуживание|ТО|3")}));
    EXPECT_EQ(rows(corpus::reportServices(2)), QStringList{s("Поверка|П|1")});
}

TEST_P(StatementCorpus, CrewStructureStatements)
{
    const QStringList sets = corpus::accountDatasets();
    EXPECT_EQ(rows(s("select ID_CrewList, [No], Cathegory, Lenth, DayFundNum, LostDayUsed, LostDayMiscPC, "
                     "DayFundP1E from CrewListView where ICrew = :ID_Crew;"),
                   {p("ID_Crew", 1)}),
              (QStringList{s("1|1|3|8|250|24|4|1760"), s("2|2|3|8|250|24|4|1700")}));
    EXPECT_EQ(rows(corpus::crewMemberCopy(2)).size(), 1);
    EXPECT_EQ(column(*m_db.select(sets[11]), s("Lenth")), QStringList{s("8")});
}

TEST_P(StatementCorpus, YearlyPlanAndItsPivot)
{
    EXPECT_EQ(rows(corpus::planSource()).size(), 5);
    m_db.execute(corpus::planClear());
    m_db.execute(corpus::planInsert(1, QDate(2025, 5, 10), 1));
    m_db.execute(corpus::planInsert(2, QDate(2025, 8, 31), 2));
    m_db.execute(corpus::planInsert(1, QDate(2026, 5, 10), 1));
    m_db.execute(corpus::planInsert(77, QDate(2025, 5, 10), 1));
    EXPECT_EQ(raw("select repdate from YearReport order by ID_YearReport limit 1"),
              QStringList{s("2025-05-10 00:00:00")});

    EXPECT_EQ(rows(s("select Year, Month, Short_Reps, ID_Device, ANumber from YearReportView order by Year, "
                     "Month;")),
              (QStringList{s("2025|5|П|1|A-1"), s("2025|8|К|2|a-1"), s("2026|5|П|1|A-1")}))
        << "the plan row of a device that is gone is not listed";
    EXPECT_EQ(EngineCatalogue::storedKinds(m_db, s("YearReportView"), {s("Year"), s("Month")}, s("1 = 1")),
              s("integer|integer"));

    EXPECT_EQ(rows(corpus::monthCounts()), (QStringList{s("5|П|2"), s("8|К|1")}));
    const QString anchor = corpus::anchored(corpus::mainQueries()[5].text);
    const QString restriction = anchor.mid(anchor.toLower().indexOf(s("where")) + 5).chopped(1);
    EXPECT_EQ(rows(corpus::monthCounts(restriction)), (QStringList{s("5|П|2"), s("8|К|1")}));
    EXPECT_EQ(rows(corpus::monthCounts(restriction + s(" and Short_Reps = 'К'"))), QStringList{s("8|К|1")});
    EXPECT_EQ(rows(corpus::monthCounts(restriction + s(" and Name_Location = 'Котельная' and Year = 2026"))),
              QStringList{s("5|П|1")});
    // A grouping node on an empty value restricts with "= NULL", which no row meets.
    EXPECT_TRUE(rows(corpus::monthCounts(restriction + s(" and Comments = NULL"))).isEmpty());
    // A node on a date column writes the date bare, which the engine rejects (the window says so).
    expectRefused(corpus::monthCounts(restriction + s(" and SetDate = 05.03.2004")));

    EXPECT_EQ(m_db.execute(corpus::planClear()), 4);
}

TEST_P(StatementCorpus, LinkedTablePagesAndTheirDetails)
{
    const QStringList queries = corpus::linkedTableQueries();
    ASSERT_EQ(queries.size(), 27);
    EXPECT_EQ(column(*m_db.select(queries[0]), s("Name_Prec")), QStringList{s("1.5")});
    EXPECT_EQ(column(*m_db.select(queries[24], {p("ID_Depart", 1)}), s("Name_Crew")), QStringList{s("Бригада 1")});
    EXPECT_EQ(column(*m_db.select(queries[25], {p("ID_Location", 1)}), s("Name_LocSet")),
              (QStringList{s("Щит 1"), s("Щит 2")}));
    EXPECT_EQ(rows(queries[26], {p("ID_GroupNaimen", 1)}).size(), 1);
    EXPECT_EQ(column(*m_db.select(queries[16]), s("Name_State")), (QStringList{s("В работе"), s("В ремонте")}));
}

} // namespace

INSTREL_ON_BOTH_ENGINES(StatementCorpusUpgrade);
INSTREL_ON_BOTH_ENGINES(StatementCorpus);
