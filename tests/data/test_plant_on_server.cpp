// A plant on a PostgreSQL server, made and moved with the database tool as a user runs it: a demo
// plant filled into an empty server database and upgraded there, a plant copied onto the server and
// back compared row by row with itself; a database that is not empty is refused.
#include "data/PlantCopy.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "support/QtPrinters.h"
#include "support/InitDbTool.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServer.h"

#include <QDir>
#include <QProcess>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// Every row of every table in a form both engines give alike, sorted, so that two plants compare
// row by row whatever order the engines return them in.
QStringList everyRow(SqlConnection& db)
{
    QStringList rows;
    PlantCopy copy(db, db);
    for (const QString& table : copy.tables()) {
        const QStringList columns = db.tableInfo(table).columns;
        QStringList bracketed;
        for (const QString& column : columns)
            bracketed.append('[' + column + ']');
        const auto read = db.select("select " + bracketed.join(", ") + " from [" + table + "]");
        for (int r = 0; r < read->rowCount(); ++r) {
            QStringList values;
            for (int c = 0; c < read->columnCount(); ++c) {
                const QVariant v = read->value(r, c);
                values.append(v.isNull() ? "NULL"
                              : v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong ||
                                      v.typeId() == QMetaType::Int
                                  ? QString::number(v.toDouble(), 'f', 6)
                                  : v.toString());
            }
            rows.append(table.toLower() + ": " + values.join(" | "));
        }
    }
    rows.sort();
    return rows;
}

class PlantOnServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        scratch = std::make_unique<TestServer::ScratchDatabase>();
        ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
    }
    int serverTables()
    {
        SqlConnection db;
        db.setServer(scratch->connectionString());
        return db.scalar("select count(*) from information_schema.tables where table_schema = current_schema()").toInt();
    }

    TempWorkDir dir;
    std::unique_ptr<TestServer::ScratchDatabase> scratch;
};

TEST_F(PlantOnServerTest, APlantCopiedOntoTheServerAndBackEqualsItselfRowByRow)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--demo", "demo.db"}, dir.path()).exitCode, 0);
    ToolRun run = initdb({"--copy", "demo.db", server}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("строки и контрольные суммы совпадают"))) << run.out.toStdString();

    run = initdb({"--copy", "demo.db", server}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("уже есть таблицы"))) << run.err.toStdString();

    ASSERT_EQ(initdb({"--copy", server, "back.db"}, dir.path()).exitCode, 0);
    EXPECT_EQ(initdb({"--copy", server, "back.db"}, dir.path()).exitCode, 1) << "an existing file is never written over";

    SqlConnection demo, back, onServer;
    demo.setDatabaseFile(dir.file("demo.db"));
    back.setDatabaseFile(dir.file("back.db"));
    onServer.setServer(server);
    const QStringList expected = everyRow(demo);
    EXPECT_GT(expected.size(), 4000);
    EXPECT_EQ(everyRow(onServer), expected);
    EXPECT_EQ(everyRow(back), expected);

    // Keys were kept, and a new row on the server takes the next free key, not one in use.
    const qint64 highest = onServer.scalar("select max(ID_Device) from Device").toLongLong();
    onServer.execute("insert into Device (ANumber) values ('новый')");
    EXPECT_EQ(onServer.lastInsertId(), highest + 1);
}

TEST_F(PlantOnServerTest, AFileWhoseLogsHaveNoAuthorColumnIsCopiedOntoOneThatHas)
{
    ASSERT_EQ(initdb({"--demo", "demo.db"}, dir.path()).exitCode, 0);
    TestDatabase::removeLogAuthorColumn(dir.file("demo.db"));
    const ToolRun run = initdb({"--copy", "demo.db", scratch->connectionString()}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    SqlConnection demo, onServer;
    demo.setDatabaseFile(dir.file("demo.db"));
    onServer.setServer(scratch->connectionString());
    for (const QString log : {"EditHist", "MovHist", "RepHist"}) {
        const int rows = demo.scalar("select count(*) from " + log).toInt();
        EXPECT_GT(rows, 0) << log.toStdString();
        EXPECT_EQ(onServer.scalar("select count(*) from " + log + " where ChangedBy is null").toInt(), rows)
            << log.toStdString();
    }
}

// Rows travel to the server as text with separators of their own: texts holding those separators, the
// escape character, what reads as NULL there, or nothing at all come back exactly, both ways.
TEST_F(PlantOnServerTest, CopyingFromAServerDatabaseWithoutTablesSaysItHoldsNoPlant)
{
    const ToolRun run = initdb({"--copy", scratch->connectionString(), "back.db"}, dir.path());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("нет предприятия")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("relation")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("back.db")));
}

TEST_F(PlantOnServerTest, TextsWithTheLoadsOwnSeparatorsComeBackExactly)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--demo", "demo.db"}, dir.path()).exitCode, 0);
    const QList<QVariant> texts{QString("a\tb"),        QString("line 1\nline 2\r\n"), QString("C:\\plant\\new"),
                                QString("it's \"quoted\""), QString("\\N"),             QString("\\"),
                                QString(""),              QVariant(),                   QString::fromUtf8("Цех №5 — «КИП»")};
    QList<qint64> keys;
    {
        SqlConnection demo;
        demo.setDatabaseFile(dir.file("demo.db"));
        for (const QVariant& text : texts) {
            demo.execute("insert into Depart (Name_Depart) values (:name)", {{"name", text}});
            keys.append(demo.lastInsertId());
        }
    }
    ToolRun run = initdb({"--copy", "demo.db", server}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    run = initdb({"--copy", server, "back.db"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();

    SqlConnection onServer, back;
    onServer.setServer(server);
    back.setDatabaseFile(dir.file("back.db"));
    for (SqlConnection* db : {&onServer, &back}) {
        for (int i = 0; i < texts.size(); ++i) {
            const auto rows = db->select("select Name_Depart from Depart where ID_Depart = :id", {}, {{"id", keys[i]}});
            ASSERT_EQ(rows->rowCount(), 1) << "key " << keys[i];
            EXPECT_EQ(rows->isNull(0, 0), texts[i].isNull()) << texts[i].toString().toStdString();
            EXPECT_EQ(rows->value(0, 0).toString(), texts[i].toString());
        }
    }
}

TEST_F(PlantOnServerTest, ADemoPlantIsFilledIntoAnEmptyServerDatabaseOnly)
{
    const QString server = scratch->connectionString();
    ToolRun run = initdb({"--demo", server}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("password")) << "the string is shown without any password";
    SqlConnection db;
    db.setServer(server);
    EXPECT_GT(db.scalar("select count(*) from Device").toInt(), 400);
    EXPECT_EQ(db.scalar("select Info_name from Info where ID_Info = 2").toString(), ReadProgramVersion());

    run = initdb({"--demo", server}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("уже есть таблицы"))) << run.err.toStdString();
    run = initdb({"--upgrade", server}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("уже в версии"))) << run.out.toStdString();
}

TEST_F(PlantOnServerTest, AnOlderSchemaIsUpgradedOnTheServerWithACopyFirst)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--empty", server}, dir.path()).exitCode, 0);
    const ToolRun run = initdb({"--upgrade", server}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    SqlConnection db;
    db.setServer(server);
    EXPECT_EQ(db.scalar("select Info_name from Info where ID_Info = 2").toString(), ReadProgramVersion());
    EXPECT_EQ(db.scalar("select count(*) from Victim").toInt(), 3);
    const QStringList dumps = QDir(dir.path()).entryList({"*.sql"});
    ASSERT_EQ(dumps.size(), 1) << "the copy made before the upgrade";
    EXPECT_TRUE((run.out + run.err).contains(dumps.first())) << run.out.toStdString() << run.err.toStdString();
}

TEST_F(PlantOnServerTest, AFileThatIsNotAtTheProgramsVersionIsNotCopied)
{
    ASSERT_EQ(initdb({"--empty", "old.db"}, dir.path()).exitCode, 0);
    const ToolRun run = initdb({"--copy", "old.db", scratch->connectionString()}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("--upgrade")) << run.err.toStdString();
    EXPECT_EQ(serverTables(), 0) << "the server database is left as it was";
}

} // namespace
