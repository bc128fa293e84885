#include "DevicesFixture.h"

#include "data/Dataset.h"
#include "data/InitialSchema.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlValue.h"
#include "data/Transaction.h"
#include "devices/rules/DeviceLogs.h"
#include "support/TestServer.h"

#include <QCoreApplication>
#include <pwd.h>
#include <unistd.h>

using namespace DeviceLogs;

namespace {
QDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

QString loginName() { return QString::fromLocal8Bit(getpwuid(geteuid())->pw_name); }

// Device 1 with next-service row 1: what each log's view needs to show an entry.
const char* const kLogFixture[] = {"insert into Device (ID_Device, ANumber) values (1, 'A-1')",
                                   "insert into NextRep (ID_NextRep, IDevice) values (1, 1)"};

// Each writer once, and where its view shows who wrote the entry.
struct AuthorCase {
    const char* log;
    void (*write)(SqlConnection&);
    const char* author;
};
const AuthorCase kAuthorCases[] = {
    {"edit log", [](SqlConnection& c) { writeEditLog(c, 1, EditKind::Edited, "A-1", "Z-1"); },
     "select ChangedBy from EditHistView where IDevice = 1"},
    {"service log", [](SqlConnection& c) { writeServiceLog(c, 1, {}, {at(2025, 6, 15), QVariant()}); },
     "select ChangedBy from RepHistView where IDevice = 1"},
    {"move log",
     [](SqlConnection& c) { writeMoveLog(c, 1, {}, {qlonglong(1), QVariant(), QVariant(), QVariant(), QVariant()}); },
     "select ChangedBy from MovHistView where IDevice = 1"},
};

void expectEachWriterRecords(SqlConnection& connection, const QString& author)
{
    for (const AuthorCase& c : kAuthorCases) {
        SCOPED_TRACE(c.log);
        c.write(connection);
        EXPECT_EQ(connection.scalar(QString::fromLatin1(c.author)), QVariant(author));
    }
}

bool hasAuthorColumn(SqlConnection& connection, const QString& table)
{
    return connection.tableInfo(table).columns.contains("ChangedBy", Qt::CaseInsensitive);
}

// Entries alike in every column (one device, one second, the same move), and another: the sign and
// the notes typed into one of them reach that entry alone, and none once it is gone.
void expectNotesGoToTheEntryTheyWereTypedInto(SqlConnection& connection)
{
    for (int entry = 0; entry < 3; ++entry)
        connection.execute(QString("insert into MovHist (IDevice, ILastLocation, INewLocation, NewSetPlace, ChangeDate) "
                                   "values (1, 1, 2, '%1', '2025-06-15 10:00:00')")
                               .arg(entry < 2 ? "x" : "y"));
    Dataset entries(&connection);
    entries.setSql("select * from MovHistView where MovHistView.idevice = 1;");
    entries.setSort("ID_MovHist");
    entries.setRowWriter([&connection](Dataset& row) {
        if (!writeMoveNotes(connection, row))
            throw DatabaseError("gone");
    });
    entries.open();
    ASSERT_EQ(entries.recordCount(), 3);
    for (const int recNo : {2, 1}) {
        entries.setRecNo(recNo);
        const QString sign = QString("Иванов %1").arg(recNo);
        entries.setValue("Sign", sign);
        entries.setValue("Comments", "O'Neil");
        entries.post();
        EXPECT_EQ(connection.scalar("select ID_MovHist from MovHist where Sign = '" + sign + "'"),
                  entries.value("ID_MovHist"));
    }
    EXPECT_EQ(connection.scalar("select count(*) from MovHist where Sign is null").toInt(), 1);

    connection.execute("delete from MovHist where NewSetPlace = 'y'");
    entries.setRecNo(3);
    entries.setValue("Sign", "Петров");
    EXPECT_THROW(entries.post(), DatabaseError);
    EXPECT_EQ(connection.scalar("select count(*) from MovHist where Sign = 'Петров'").toInt(), 0);
}

class DeviceLogsTest : public DevicesFixture {
protected:
    // `total` edit-log rows, the first `old` of them changed long before the cut-off.
    void fillEditLog(int total, int old)
    {
        run(QString("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                    "insert into EditHist (IDevice, IVictim, ChangeDate) select i, 2, "
                    "case when i <= %2 then '2025-01-01 00:00:00' else '2025-06-01 00:00:00' end from n")
                .arg(total)
                .arg(old));
    }
};
} // namespace

TEST_F(DeviceLogsTest, StatementTextsQuoteEveryValueThroughTheOneWriter)
{
    const QDateTime now = at(2025, 6, 15, 10, 30, 5);
    EXPECT_EQ(editLogInsert(7, EditKind::Added, now, "O'Neil; --", QVariant()),
              "insert into EditHist (idevice,ivictim,changedate,anumber,znumber) values "
              "(7,1,'2025-06-15 10:30:05','O''Neil; --','');");
    EXPECT_EQ(serviceLogInsert(12, now, {at(2025, 1, 1), QVariant()}, {at(2025, 6, 15), at(2025, 8, 30, 8, 0)}),
              "insert into RepHist (inextrep,changedate,lastdate,expecteddate,newdate,nextdate) values "
              "(12,'2025-06-15 10:30:05','2025-01-01 00:00:00',null,'2025-06-15 00:00:00','2025-08-30 08:00:00');");
    // The author last, through the same writer; no name is stored as null.
    EXPECT_EQ(editLogInsert(7, EditKind::Added, now, "A", "Z", QString("o'neil")),
              "insert into EditHist (idevice,ivictim,changedate,anumber,znumber,changedby) values "
              "(7,1,'2025-06-15 10:30:05','A','Z','o''neil');");
    EXPECT_EQ(serviceLogInsert(12, now, {}, {}, QString()),
              "insert into RepHist (inextrep,changedate,lastdate,expecteddate,newdate,nextdate,changedby) values "
              "(12,'2025-06-15 10:30:05',null,null,null,null,null);");
    const Placement before{qlonglong(1), qlonglong(2), QVariant(), "у входа", at(2024, 3, 5)};
    const Placement after{qlonglong(2), QVariant(), qlonglong(1), "шкаф 'Б' %1", at(2024, 3, 5)};
    EXPECT_EQ(moveLogInsert(3, now, before, after),
              "insert into MovHist (idevice,changedate,ilastlocation,inewlocation,ilastlocset,inewlocset,ilaststate,"
              "inewstate,lastsetplace,newsetplace,lastsetdate,newsetdate) values (3,'2025-06-15 10:30:05','1','2',"
              "'2',null,null,'1','у входа','шкаф ''Б'' %1','2024-03-05 00:00:00','2024-03-05 00:00:00');");
    EXPECT_EQ(pruneStatement(Log::Service, QDate(2025, 6, 15)),
              "delete from rephist where changedate<'2025-05-15 00:00:00' and (select count(*) from rephist)>1000");
    EXPECT_EQ(clearStatement(Log::Move), "delete from MovHist;");
    EXPECT_EQ(deviceEntriesStatement(Log::Edit), "select * from EditHistView where EditHistView.idevice = :ID_Device;");
}

TEST_F(DeviceLogsTest, MoveLogComparesTheFiveValuesAsItWritesThem)
{
    const Placement base{qlonglong(1), qlonglong(2), qlonglong(1), "у входа", at(2024, 3, 5)};
    EXPECT_FALSE(placementDiffers(base, base));
    Placement same = base;
    same.location = 1; // an int and a long long of the same key
    EXPECT_FALSE(placementDiffers(base, same));
    Placement empty = base, null = base;
    empty.setPlace = QString("");
    null.setPlace = QVariant();
    EXPECT_FALSE(placementDiffers(empty, null)); // an empty text counts as null
    for (QVariant Placement::*member :
         {&Placement::location, &Placement::locSet, &Placement::state, &Placement::setPlace, &Placement::setDate}) {
        Placement moved = base;
        moved.*member = QVariant();
        EXPECT_TRUE(placementDiffers(base, moved));
    }
}

TEST_F(DeviceLogsTest, WritersStoreValuesAsTypedAndMoveLogOnlyWhenSomethingMoved)
{
    writeEditLog(connection(), 1, EditKind::Edited, "O'Neil; --", QString("Z-1"));
    EXPECT_EQ(scalar("select ANumber from EditHistView").toString(), "O'Neil; --");
    EXPECT_EQ(scalar("select Victim from EditHistView").toString(), "Редакт.");
    EXPECT_EQ(stored("ChangeDate", "from EditHist").toString(), "2025-06-15 10:30:00");

    const Placement base{qlonglong(1), qlonglong(1), QVariant(), "у 'входа'", QVariant()};
    EXPECT_FALSE(writeMoveLog(connection(), 1, base, base));
    EXPECT_EQ(count("select count(*) from MovHist"), 0);
    Placement moved = base;
    moved.setPlace = "шкаф O'Neil";
    EXPECT_TRUE(writeMoveLog(connection(), 1, base, moved));
    EXPECT_EQ(scalar("select NewSetPlace from MovHist").toString(), "шкаф O'Neil");
    EXPECT_EQ(scalar("select typeof(INewLocation) from MovHist").toString(), "integer");
}

TEST_F(DeviceLogsTest, PruningRemovesOldRowsOnlyBeyondAThousand)
{
    fillEditLog(1000, 1000);
    writeEditLog(connection(), 1, EditKind::Edited, "A", "Z");
    EXPECT_EQ(count("select count(*) from EditHist"), 1001); // 1000 rows: nothing goes

    run("delete from EditHist");
    fillEditLog(1001, 900);
    writeEditLog(connection(), 1, EditKind::Edited, "A", "Z");
    EXPECT_EQ(count("select count(*) from EditHist"), 102); // the 900 old rows went, one came
}

TEST_F(DeviceLogsTest, PruningCutOffIsTheDayThirtyOneDaysBack)
{
    fillEditLog(1001, 0);
    // Today is 15 June 2025: the cut-off is 15 May, 00:00.
    run("insert into RepHist (INextRep, ChangeDate) values (1, '2025-05-14 23:59:59'), (2, '2025-05-15 00:00:00')");
    run("insert into RepHist (INextRep, ChangeDate) select IDevice, '2025-06-01 00:00:00' from EditHist");
    writeServiceLog(connection(), 9, {}, {});
    EXPECT_EQ(count("select count(*) from RepHist where INextRep = 1 and ChangeDate < '2025-06-01'"), 0);
    EXPECT_EQ(count("select count(*) from RepHist where INextRep = 2 and ChangeDate < '2025-06-01'"), 1);
}

TEST_F(DeviceLogsTest, NotesGoToTheEntryTheyWereTypedInto)
{
    plant();
    expectNotesGoToTheEntryTheyWereTypedInto(connection());
}

TEST_F(DeviceLogsTest, EachWriterRecordsTheLoginNameOnAFile)
{
    for (const char* statement : kLogFixture)
        run(statement);
    expectEachWriterRecords(connection(), loginName());
}

TEST_F(DeviceLogsTest, AFileWithoutTheAuthorColumnKeepsItsLogsWithoutItUntilTheUpgradeAddsIt)
{
    TestDatabase::removeLogAuthorColumn(dir.file("Device.db"));
    run("delete from info where ID_Info = 3");
    for (const char* statement : kLogFixture)
        run(statement);
    writeEditLog(connection(), 1, EditKind::Edited, "A-1", "Z-1");
    EXPECT_FALSE(hasAuthorColumn(connection(), "EditHist"));
    EXPECT_EQ(count("select count(*) from EditHist"), 1);

    SqlConnection upgraded;
    upgraded.setDatabaseFile(dir.file("Device.db"));
    ASSERT_EQ(SchemaUpgrade(upgraded, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion(),
              SchemaUpgrade::Outcome::Upgraded);
    EXPECT_EQ(upgraded.scalar("select count(*) from EditHistView where ChangedBy is null").toInt(), 1);
    upgraded.execute("delete from EditHist");
    expectEachWriterRecords(upgraded, loginName());
    // The views keep every other column where it was.
    const QStringList columns = upgraded.tableInfo("MovHistView").columns;
    EXPECT_EQ(columns.indexOf("Comments"), 17);
    EXPECT_EQ(columns.indexOf("ChangedBy"), 18);
    EXPECT_TRUE(messages.texts().isEmpty());
}

namespace {

// A plant on the server, written by a planner whose database user name holds a quote and who may
// read and write the plant's rows but not change its tables.
class DeviceLogsOnServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        scratch = std::make_unique<TestServer::ScratchDatabase>();
        ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
        db.setServer(scratch->connectionString());
        InitialSchema::create(db);
        ASSERT_EQ(SchemaUpgrade(db, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion(),
                  SchemaUpgrade::Outcome::Upgraded);
        for (const char* statement : kLogFixture)
            db.execute(statement);
        planner = QString("planner o'neil %1").arg(QCoreApplication::applicationPid());
    }
    void TearDown() override
    {
        if (!actingAsPlanner)
            return;
        db.execute("reset role");
        onPlanner("drop owned by %I");
        onPlanner("drop role %I");
    }

    // `command` with the planner's name where %I stands, quoted by the server itself.
    void onPlanner(const QString& command)
    {
        db.execute("DO $body$ BEGIN EXECUTE format('" + command + "', " + SqlValue::quoted(planner) + "); END $body$");
    }
    void actAsPlanner()
    {
        onPlanner("create role %I");
        actingAsPlanner = true;
        onPlanner("grant select, insert, update, delete on all tables in schema public to %I");
        onPlanner("grant usage on all sequences in schema public to %I");
        db.execute("select set_config('role', " + SqlValue::quoted(planner) + ", false)");
    }

    std::unique_ptr<TestServer::ScratchDatabase> scratch;
    SqlConnection db;
    QString planner;
    bool actingAsPlanner = false;
    MessageRecorder messages;
};

} // namespace

TEST_F(DeviceLogsOnServerTest, NotesGoToTheEntryTheyWereTypedInto)
{
    actAsPlanner();
    expectNotesGoToTheEntryTheyWereTypedInto(db);
}

TEST_F(DeviceLogsOnServerTest, EachWriterRecordsTheDatabaseUserAsItIsSpelt)
{
    actAsPlanner();
    expectEachWriterRecords(db, planner);
}

TEST_F(DeviceLogsOnServerTest, APlannerWhoMayNotAddTheColumnWritesTheLogsWithoutIt)
{
    for (const char* log : {"EditHist", "MovHist", "RepHist"})
        db.execute(QString("alter table %1 drop column ChangedBy cascade").arg(log));
    actAsPlanner();
    {
        // As a save does: inside its transaction, which the refused change must not spoil.
        Transaction save(db);
        for (const AuthorCase& c : kAuthorCases)
            c.write(db);
        save.commit();
    }
    for (const char* log : {"EditHist", "MovHist", "RepHist"}) {
        EXPECT_EQ(db.scalar(QString("select count(*) from %1").arg(log)).toInt(), 1) << log;
        EXPECT_FALSE(hasAuthorColumn(db, log)) << log;
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}
