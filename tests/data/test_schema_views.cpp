// The views of the schema: which rows they keep when references are empty or point nowhere, their
// columns, and that any SQLite client can read them (no function of the program in a definition).
#include "data/Clock.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/QtPrinters.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QStringList columnsOf(SqlConnection& db, const QString& view)
{
    const auto rows = db.select("select * from " + view + " where 1 = 0");
    QStringList names;
    for (int c = 0; c < rows->columnCount(); ++c)
        names.append(rows->column(c).name);
    return names;
}

class SchemaViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.setDatabaseFile(TestDatabase::createUpgradedEmptyDatabase(dir.path()));
        db.execute("insert into Location (Name_Location) values ('Котельная');");
        db.execute("insert into DevType (Name_DevType, Mark_DevType) values ('Манометр', 'МП-100');");
    }

    qint64 insertDevice(const QString& aNumber, const QVariant& type)
    {
        db.execute("insert into Device (ANumber, ZNumber, IDevType, ILocation) values (:A, :Z, :T, 1);",
                   {{"A", aNumber}, {"Z", "Z-" + aNumber}, {"T", type}});
        return db.lastInsertId();
    }
    int count(const QString& statement) { return db.scalar(statement).toInt(); }

    TempWorkDir dir;
    SqlConnection db;
};

TEST_F(SchemaViewsTest, ADeviceWithoutATypeOrWithAMissingOneIsStillAPassport)
{
    const qint64 none = insertDevice("100", QVariant());
    const qint64 dangling = insertDevice("101", 999);
    const qint64 typed = insertDevice("102", 1);

    for (const qint64 id : {none, dangling}) {
        const auto rows = db.select("select ANumber, Name_DevType, Mark_DevType, ID_DevType, Name_Location from Pasport "
                                    "where ID_Device = :Id",
                                    {}, {{"Id", id}});
        ASSERT_EQ(rows->rowCount(), 1) << id;
        EXPECT_FALSE(rows->isNull(0, 0));
        EXPECT_TRUE(rows->isNull(0, 1));
        EXPECT_TRUE(rows->isNull(0, 2));
        EXPECT_TRUE(rows->isNull(0, 3)) << "the key comes from the type, not from the device";
        EXPECT_EQ(rows->value(0, 4).toString(), "Котельная");
    }
    EXPECT_EQ(db.scalar("select Name_DevType from Pasport where ID_Device = :Id", {{"Id", typed}}).toString(), "Манометр");
    EXPECT_EQ(count("select count(*) from Pasport"), 3);
}

TEST_F(SchemaViewsTest, LogsOutliveWhatTheyDescribeExceptTheServiceLog)
{
    const qint64 device = insertDevice("200", 1);
    db.execute("insert into NextRep (IDevice, IDevRep, LastRep) values (:D, 1, '2025-01-10 00:00:00');", {{"D", device}});
    const qint64 nextRep = db.lastInsertId();
    db.execute("insert into RepHist (INextRep, ChangeDate) values (:N, '2025-01-10 09:00:00');", {{"N", nextRep}});
    db.execute("insert into MovHist (IDevice, ILastLocation, INewLocation, ChangeDate) values (:D, 1, 1, "
               "'2025-01-11 09:00:00');",
               {{"D", device}});
    db.execute("insert into EditHist (IDevice, IVictim, ANumber, ZNumber, ChangeDate) values (:D, 3, '200', 'Z-200', "
               "'2025-01-12 09:00:00');",
               {{"D", device}});
    EXPECT_EQ(count("select count(*) from RepHistView"), 1);

    db.execute("delete from NextRep where ID_NextRep = :N;", {{"N", nextRep}});
    EXPECT_EQ(count("select count(*) from RepHistView"), 0);

    db.execute("delete from Device where ID_Device = :D;", {{"D", device}});
    const auto moves = db.select("select IDevice, Name_DevType, ZNumber, ANumber, LastLocation, NewLocation from MovHistView");
    ASSERT_EQ(moves->rowCount(), 1);
    EXPECT_EQ(moves->value(0, 0).toLongLong(), device);
    EXPECT_TRUE(moves->isNull(0, 1));
    EXPECT_TRUE(moves->isNull(0, 2));
    EXPECT_TRUE(moves->isNull(0, 3));
    EXPECT_EQ(moves->value(0, 4).toString(), "Котельная");
    EXPECT_EQ(moves->value(0, 5).toString(), "Котельная");

    const auto edits = db.select("select IDevice, ANumber, Victim from EditHistView");
    ASSERT_EQ(edits->rowCount(), 1);
    EXPECT_EQ(edits->value(0, 1).toString(), "200");
    EXPECT_EQ(edits->value(0, 2).toString(), "Удален");
}

TEST_F(SchemaViewsTest, TheServiceLogNeedsItsNextServiceRowAndItsDevice)
{
    db.execute("insert into NextRep (IDevice, IDevRep) values (777, 1);"); // a device that is gone
    db.execute("insert into RepHist (INextRep) values (:N);", {{"N", db.lastInsertId()}});
    EXPECT_EQ(count("select count(*) from RepHistView"), 0);
}

TEST_F(SchemaViewsTest, ThePlanListsOnlyDevicesThatExistWithYearAndMonthAsNumbers)
{
    db.execute("insert into Reps (Name_Reps, Short_Reps) values ('Поверка', 'ПВ');");
    const qint64 kept = insertDevice("300", 1);
    const qint64 gone = insertDevice("301", 1);
    for (const qint64 id : {kept, gone})
        db.execute("insert into YearReport (idevice,repdate,irep) values (:D, '2025-05-10 00:00:00', 1);", {{"D", id}});
    db.execute("insert into YearReport (idevice,repdate,irep) values (:D, '2025-11-30 00:00:00', 42);", {{"D", kept}});
    db.execute("delete from Device where ID_Device = :D;", {{"D", gone}});

    const auto rows = db.select("select [Year], [Month], Short_Reps, ID_Device, Name_DevType from YearReportView "
                                "order by [Month]");
    ASSERT_EQ(rows->rowCount(), 2);
    const auto isWholeNumber = [](const QVariant& v) {
        return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int;
    };
    EXPECT_TRUE(isWholeNumber(rows->value(0, 0))) << rows->value(0, 0).typeName();
    EXPECT_TRUE(isWholeNumber(rows->value(0, 1))) << rows->value(0, 1).typeName();
    EXPECT_EQ(rows->value(0, 0).toInt(), 2025);
    EXPECT_EQ(rows->value(0, 1).toInt(), 5);
    EXPECT_EQ(rows->value(0, 2).toString(), "ПВ");
    EXPECT_EQ(rows->value(0, 3).toLongLong(), kept);
    EXPECT_EQ(rows->value(0, 4).toString(), "Манометр");
    EXPECT_EQ(rows->value(1, 1).toInt(), 11);
    EXPECT_TRUE(rows->isNull(1, 2)) << "a missing service leaves its columns empty";
}

// The malfunction list takes the device's numbers and type as the passport shows them: every entry
// once, with or without a device, a typed one, one without a type, one whose type or device is gone.
TEST_F(SchemaViewsTest, EveryMalfunctionIsListedWithItsDeviceAsThePassportShowsIt)
{
    const qint64 typed = insertDevice("200", 1);
    const qint64 untyped = insertDevice("201", QVariant());
    const qint64 dangling = insertDevice("202", 999);
    db.execute("insert into Refusal (IDevice, NCount) values (:A, 1), (:B, 1), (:C, 1), (null, 1), (9999, 1);",
               {{"A", typed}, {"B", untyped}, {"C", dangling}});
    const QString passportForm =
        "select Refusal.ID_Refusal, Refusal.IDevice, Pasport.ANumber, Pasport.ZNumber, Pasport.Name_DevType, "
        "Pasport.Mark_DevType from Refusal left join Pasport on Refusal.IDevice = Pasport.ID_Device";
    const QString listed = "select ID_Refusal, IDevice, ANumber, ZNumber, Name_DevType, Mark_DevType from Refusals";
    EXPECT_EQ(count("select count(*) from Refusals"), 5);
    EXPECT_EQ(count("select count(*) from (" + passportForm + " except " + listed + ")"), 0);
    EXPECT_EQ(count("select count(*) from (" + listed + " except " + passportForm + ")"), 0);
    EXPECT_EQ(db.scalar("select Name_DevType from Refusals where IDevice = :A", {{"A", typed}}).toString(), "Манометр");
}

TEST_F(SchemaViewsTest, EveryTypeIsInTheLabourListAndATypeWithoutServiceRowsOnlyOnce)
{
    db.execute("insert into DevType (Name_DevType) values ('Без обслуживаний');");
    db.execute("insert into Depart (Name_Depart) values ('Цех');");
    db.execute("insert into Crew (Name_Crew, IDepart) values ('С цехом', 1);");
    db.execute("insert into Crew (Name_Crew) values ('Без цеха');");
    db.execute("insert into Reps (Name_Reps, Short_Reps) values ('Поверка', 'ПВ');");
    db.execute("insert into Cathegory (Name_Cathegory, Cathegory) values ('Слесарь', 4);");
    db.execute("insert into DevRep (IDevType, ICrew, IRep) values (1, 1, 1);");
    db.execute("insert into DevRep (IDevType, ICrew, IRep) values (1, 2, 1);");
    db.execute("insert into DevRep (IDevType, ICrew, IRep) values (1, 99, 1);");
    db.execute("insert into RepCath (IDevRep, ICathegory, [Value]) values (1, 1, 10);");
    db.execute("insert into RepCath (IDevRep, ICathegory, [Value]) values (1, 1, 5);");

    EXPECT_EQ(count("select count(*) from AccountView where ID_DevType = 2"), 1);
    const auto lonely = db.select("select Name_DevType, ID_DevRep, Name_Crew, Value from AccountView where ID_DevType = 2");
    EXPECT_EQ(lonely->value(0, 0).toString(), "Без обслуживаний");
    EXPECT_TRUE(lonely->isNull(0, 1));
    EXPECT_TRUE(lonely->isNull(0, 2));
    EXPECT_TRUE(lonely->isNull(0, 3));

    // Two shares of the first row, one row each for the crew without department and the missing crew.
    EXPECT_EQ(count("select count(*) from AccountView where ID_DevType = 1"), 4);
    EXPECT_EQ(db.scalar("select Name_Crew from AccountView where ID_DevRep = 2").toString(), "Без цеха");
    EXPECT_EQ(count("select count(*) from AccountView where ID_DevRep = 3 and ID_Crew is null"), 1);
}

TEST_F(SchemaViewsTest, TheInitialViewsHaveTheirColumnsAndKeepRowsWithEmptyReferences)
{
    EXPECT_EQ(columnsOf(db, "Type"), (QStringList{"ID_DevType", "Name_DevType", "Mark_DevType", "Name_Naim", "Name_Prec",
                                                  "Name_Construct", "Name_Maker", "Srok", "Otkaz", "Comments"}));
    EXPECT_EQ(columnsOf(db, "nextrepview"),
              (QStringList{"ANumber", "ZNumber", "Name_DevType", "Mark_DevType", "Short_Reps", "Name_Reps", "LastRep",
                           "NextRep", "RT_Mon", "IDevice", "IDevType", "IDevRep", "IRep", "ID_NextRep"}));

    db.execute("insert into NextRep (IDevice, IDevRep, NextRep) values (555, 666, '2025-06-01 00:00:00');");
    const auto rows = db.select("select ANumber, Name_Reps, NextRep, IDevice, IDevRep from nextrepview");
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_TRUE(rows->isNull(0, 0));
    EXPECT_TRUE(rows->isNull(0, 1));
    EXPECT_EQ(rows->value(0, 3).toInt(), 555);
    EXPECT_EQ(count("select count(*) from Type where Name_Naim is null"), 1);
}

TEST_F(SchemaViewsTest, EveryViewHasTheColumnsTheWindowsRead)
{
    const struct {
        const char* view;
        QStringList columns;
    } cases[] = {
        {"EditHistView", {"IDevice", "ANumber", "ZNumber", "Victim", "ChangeDate", "ChangedBy"}},
        {"CrewDevTypeView", {"ID_DevCrew", "IDevice", "ICrew", "IDevType"}},
        {"ComplectView", {"ID_Complect", "IRoot", "IDevice", "Name_DevType", "Mark_DevType", "ANumber", "ZNumber"}},
        {"CrewListView",
         {"ID_CrewList", "ICrew", "No", "Cathegory", "ProfNum", "ProfNaimen", "Tarif", "Lenth", "SmenaNum", "DayFundNum",
          "LostDayUsed", "LostDayUsedPC", "LostDayMiscPC", "LostDaySumPC", "DayFundRez", "DayFundP1E"}},
        {"MovHistView",
         {"IDevice", "Name_DevType", "Mark_DevType", "ZNumber", "ANumber", "LastLocation", "LastLocSet", "LastState",
          "NewLocation", "NewLocSet", "NewState", "LastSetDate", "LastSetPlace", "NewSetDate", "NewSetPlace",
          "ChangeDate", "Sign", "Comments", "ChangedBy", "ID_MovHist"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columnsOf(db, c.view), c.columns) << c.view;
    EXPECT_EQ(columnsOf(db, "Pasport").size(), 34);
    EXPECT_EQ(columnsOf(db, "YearReportView").size(), 24);
    EXPECT_EQ(columnsOf(db, "Refusals").size(), 15);
    EXPECT_EQ(columnsOf(db, "AccountView").size(), 15);
}

TEST(SchemaViewsShell, EveryViewReadsInThePlainSqliteShell)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    ASSERT_FALSE(shell.isEmpty()) << "the sqlite3 shell is needed (Debian package sqlite3)";
    TempWorkDir dir;
    const QString path = TestDatabase::createDemoDatabase(dir.path());
    SqlConnection db;
    db.setDatabaseFile(path);
    // A plan row, so that the plan view's year and month are computed in the shell too.
    db.execute("insert into YearReport (idevice,repdate,irep) values (1, '2025-05-10 00:00:00', 1);");
    const int planYear = db.scalar("select [Year] from YearReportView").toInt();
    db.close();
    ASSERT_EQ(planYear, 2025);

    QStringList views = SchemaUpgrade::viewNames();
    views << "Type" << "nextrepview";
    db.setDatabaseFile(path);
    for (const QString& view : views) {
        QProcess process;
        // Every row and column is read, so that each column's expression is evaluated by the shell.
        process.start(shell, {"-bail", "-batch", path, "select * from " + view + "; select count(*) from " + view + ";"});
        ASSERT_TRUE(process.waitForFinished(30000)) << view.toStdString();
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << view.toStdString() << ": " << err.toStdString();
        EXPECT_TRUE(err.isEmpty()) << view.toStdString() << ": " << err.toStdString();
        const QString count = QString::fromUtf8(process.readAllStandardOutput()).trimmed().section('\n', -1);
        EXPECT_EQ(count, db.scalar("select count(*) from " + view).toString()) << view.toStdString();
    }

    QProcess process;
    process.start(shell, {"-bail", "-batch", path, "select [Year], [Month] from YearReportView;"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), "2025|5");
}

} // namespace
