// A plant on a PostgreSQL server, made and moved with the database tool as a user runs it: a demo
// plant filled into an empty server database and upgraded there, a plant copied onto the server and
// back compared row by row with itself; a database that is not empty is refused; a copy killed
// halfway leaves neither a plant without rows nor working files behind.
#include "data/BigPlantDatabase.h"
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
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <functional>
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

// A plant large enough that a copy of it takes a while (a few seconds), made once.
QString midSizePlant()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        const QString made = TestDatabase::createUpgradedEmptyDatabase(dir.path(), "plant.db");
        SqlConnection db;
        db.setDatabaseFile(made);
        BigPlantDatabase::fill(db, {.devices = 10000, .nextServicesPerDevice = 3, .logRows = 100000});
        path = made;
    }
    return path;
}

// Runs the tool and kills it (SIGKILL: no chance to clean up) as soon as `underWay` holds; false when
// the tool ended first.
bool killWhenUnderWay(const QStringList& arguments, const QString& directory, const std::function<bool()>& underWay)
{
    QProcess tool;
    tool.setWorkingDirectory(directory);
    tool.start(QStringLiteral(INSTREL_INITDB_PATH), arguments);
    if (!tool.waitForStarted())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 120000) {
        if (underWay()) {
            tool.kill();
            tool.waitForFinished();
            return true;
        }
        if (tool.waitForFinished(10))
            return false;
    }
    tool.kill();
    tool.waitForFinished();
    return false;
}

QStringList workingFilesIn(const QString& directory, const QString& finalName)
{
    return QDir(directory).entryList({finalName + ".tmp-*"}, QDir::Files | QDir::Hidden);
}

TEST_F(PlantOnServerTest, ACopyKilledWhileWritingRowsLeavesNoPlantAndASecondCopySucceeds)
{
    const QString server = scratch->connectionString();
    const QString plant = midSizePlant();
    SqlConnection watcher;
    watcher.setServer(server);
    const auto loading = [&] {
        return watcher.scalar("select count(*) from pg_stat_activity where datname = current_database() and "
                              "pid <> pg_backend_pid() and state = 'active' and query like 'COPY %'")
                   .toInt() > 0;
    };
    ASSERT_TRUE(killWhenUnderWay({"--copy", plant, server}, dir.path(), loading)) << "the copy ended before it was seen loading rows";
    watcher.close();

    EXPECT_EQ(serverTables(), 0) << "neither tables nor a version row the program would open as an empty plant";

    const ToolRun again = initdb({"--copy", plant, server}, dir.path());
    ASSERT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
    SqlConnection source, onServer;
    source.setDatabaseFile(plant);
    onServer.setServer(server);
    EXPECT_EQ(onServer.scalar("select count(*) from Device").toInt(), source.scalar("select count(*) from Device").toInt());
    EXPECT_EQ(onServer.scalar("select Info_name from Info where ID_Info = 2").toString(), ReadProgramVersion());
}

TEST_F(PlantOnServerTest, WorkingFilesOfACopyIntoAFileKilledHalfwayGoWithTheNextRun)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--copy", midSizePlant(), server}, dir.path()).exitCode, 0);
    const auto writing = [&] {
        for (const QString& name : workingFilesIn(dir.path(), "back.db"))
            if (QFileInfo(dir.file(name)).size() > 1024 * 1024)
                return true;
        return false;
    };
    ASSERT_TRUE(killWhenUnderWay({"--copy", server, "back.db"}, dir.path(), writing)) << "the copy ended before it was seen writing";
    const QStringList left = workingFilesIn(dir.path(), "back.db");
    ASSERT_FALSE(left.isEmpty());

    const ToolRun run = initdb({"--copy", server, "back.db"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    for (const QString& name : left)
        if (!name.endsWith("-journal")) // goes with its database file
            EXPECT_TRUE(run.out.contains(name)) << "the removal is named: " << name.toStdString();
    EXPECT_EQ(workingFilesIn(dir.path(), "back.db"), QStringList());
    EXPECT_TRUE(QFileInfo::exists(dir.file("back.db")));
}

// A plant made for a server is built in a file of the temporary folder first.
TEST_F(PlantOnServerTest, TheTemporaryPlantOfAKilledRunGoesWithTheNextRunAndAFinishedOneLeavesNone)
{
    QTemporaryDir temporary;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    const QStringList stale{"instrel-initdb-plant.db.tmp-Ab12Cd", "instrel-initdb-plant.db.tmp-Ab12Cd-journal"};
    for (const QString& name : stale) {
        QFile file(temporary.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const ToolRun run = initdb({"--demo", scratch->connectionString()}, dir.path());
    if (previous.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previous);
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(stale.first())) << run.out.toStdString();
    EXPECT_EQ(QDir(temporary.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Values a file can hold and a server cannot (a moment's milliseconds, a decimal's seventh place, a
// NUL byte in a text), and one a server can hold and a file's number cannot (eighteen digits): each is
// listed with its table, row, column, before and after, and the copy is refused unless the rounding
// is accepted.
void runOnFile(const QString& path, const char* statement)
{
    SqlConnection db;
    db.setDatabaseFile(path);
    db.open();
    ASSERT_EQ(sqlite3_exec(db.handle(), statement, nullptr, nullptr, nullptr), SQLITE_OK) << statement;
}

TEST_F(PlantOnServerTest, ValuesAServerCannotHoldAreListedAndCopiedOnlyWhenTheRoundingIsAccepted)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--demo", "demo.db"}, dir.path()).exitCode, 0);
    const QString demo = dir.file("demo.db");
    runOnFile(demo, "insert into Depart (ID_Depart, Name_Depart) values (9001, 'Цех' || char(0) || 'хвост');"
                    "insert into Prec (ID_Prec, Name_Prec) values (9002, 1.1234567);"
                    "update NextRep set LastRep = '2025-03-01 23:59:59.999' where ID_NextRep = (select min(ID_NextRep) from NextRep);"
                    "update RepHist set ChangeDate = '2025-03-01 10:00:00.5' where rowid = (select min(rowid) from RepHist);");
    SqlConnection file;
    file.setDatabaseFile(demo);
    const QString firstService = file.scalar("select min(ID_NextRep) from NextRep").toString();
    file.close();

    ToolRun run = initdb({"--copy", "demo.db", server}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    const QStringList listed{QString::fromUtf8("Depart, ID_Depart = 9001, Name_Depart: «Цех\\0хвост» → «Цех»"),
                             QString::fromUtf8("Prec, ID_Prec = 9002, Name_Prec: «1.1234567» → «1.123457»"),
                             QString::fromUtf8("NextRep, ID_NextRep = %1, LastRep: «2025-03-01 23:59:59.999» → "
                                               "«2025-03-01 23:59:59»").arg(firstService),
                             QString::fromUtf8("RepHist, строка 1, ChangeDate: «2025-03-01 10:00:00.5» → «2025-03-01 10:00:00»")};
    for (const QString& line : listed)
        EXPECT_TRUE(run.out.contains(line)) << line.toStdString() << "\n" << run.out.toStdString();
    EXPECT_EQ(run.out.count(QString::fromUtf8(" → ")), listed.size()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("--accept-rounding")) << run.err.toStdString();
    EXPECT_EQ(serverTables(), 0) << "a refused copy leaves the server database empty";

    run = initdb({"--copy", "demo.db", server, "--accept-rounding"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    SqlConnection onServer;
    onServer.setServer(server);
    EXPECT_EQ(onServer.scalar("select Name_Depart from Depart where ID_Depart = 9001").toString(), QString::fromUtf8("Цех"));
    EXPECT_DOUBLE_EQ(onServer.scalar("select Name_Prec from Prec where ID_Prec = 9002").toDouble(), 1.123457);
}

TEST_F(PlantOnServerTest, ADecimalAFileCannotHoldIsListedAndARefusedCopyLeavesNoFile)
{
    const QString server = scratch->connectionString();
    ASSERT_EQ(initdb({"--demo", "demo.db"}, dir.path()).exitCode, 0);
    ASSERT_EQ(initdb({"--copy", "demo.db", server}, dir.path()).exitCode, 0);
    {
        SqlConnection onServer;
        onServer.setServer(server);
        onServer.execute("insert into Prec (ID_Prec, Name_Prec) values (9002, 123456789012.123456)");
    }
    ToolRun run = initdb({"--copy", server, "back.db"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    // Named as the server names them.
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("prec, id_prec = 9002, name_prec: «123456789012.123456» → «123456789012.12346»")))
        << run.out.toStdString();
    EXPECT_EQ(run.out.count(QString::fromUtf8(" → ")), 1) << run.out.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"demo.db"})
        << "neither the file nor its working files are left";

    run = initdb({"--copy", server, "back.db", "--accept-rounding"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.file("back.db")));
}

} // namespace
