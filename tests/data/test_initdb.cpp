// The database tool as a user runs it: what it creates, what it refuses, and its exit codes.
#include "data/SqlConnection.h"
#include "support/InitDbTool.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/QtPrinters.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QVariant scalar(const QString& path, const QString& statement)
{
    SqlConnection db;
    db.setDatabaseFile(path);
    return db.scalar(statement);
}

QStringList filesIn(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

class InitDbTest : public ::testing::Test {
protected:
    TempWorkDir dir;
};

TEST_F(InitDbTest, EmptyCreatesTheObjectsTheProgramNeedsWithoutAVersion)
{
    const ToolRun run = initdb({"--empty", "Device.db"}, dir.path());

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(filesIn(dir.path()), QStringList{"Device.db"}) << "no working file left behind";
    const QString path = dir.file("Device.db");
    EXPECT_EQ(scalar(path, "select count(*) from info").toInt(), 0);
    EXPECT_EQ(scalar(path, "select count(*) from sqlite_master where name in ('Device', 'NextRep', 'Type', "
                           "'nextrepview')")
                  .toInt(),
              4);
    EXPECT_EQ(scalar(path, "select count(*) from sqlite_master where name in ('EditHist', 'Pasport')").toInt(), 0);
    EXPECT_EQ(scalar(path, "select count(*) from pragma_table_info('Device') where name in ('SetDate', 'ChangeDate')")
                  .toInt(),
              0);
}

TEST_F(InitDbTest, DemoCreatesAnUpToDatePlant)
{
    const ToolRun run = initdb({"--demo", "demo.db"}, dir.path());

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(filesIn(dir.path()), QStringList{"demo.db"}) << "no working file and no copy";
    const QString path = dir.file("demo.db");
    EXPECT_EQ(scalar(path, "select Info_name from info where id_info = 2").toString(), "2.4");
    EXPECT_GE(scalar(path, "select count(*) from Pasport").toInt(), 300);
    EXPECT_GT(scalar(path, "select count(*) from nextrepview").toInt(), 0);
}

TEST_F(InitDbTest, AnExistingFileIsNeverOverwritten)
{
    QFile existing(dir.file("Device.db"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("precious");
    existing.close();

    for (const char* mode : {"--empty", "--demo", "--big"}) {
        const ToolRun run = initdb({mode, "Device.db"}, dir.path());
        EXPECT_EQ(run.exitCode, 1) << mode;
        EXPECT_TRUE(run.err.contains("уже существует")) << run.err.toStdString();
        EXPECT_EQ(contents(dir.file("Device.db")), QByteArray("precious"));
        EXPECT_EQ(filesIn(dir.path()), QStringList{"Device.db"});
    }
}

TEST_F(InitDbTest, BadArgumentsAreRefusedWithTheUsage)
{
    const QList<QStringList> cases = {
        {},
        {"--empty"},
        {"Device.db"},
        {"--bogus", "Device.db"},
        {"--empty", "a.db", "b.db"},
        {"--empty", ""},
        {"--demo", "--empty"},
    };
    for (const QStringList& arguments : cases) {
        const ToolRun run = initdb(arguments, dir.path());
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Использование")) << run.err.toStdString();
    }
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());

    const ToolRun help = initdb({"--help"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--upgrade"));
}

TEST_F(InitDbTest, ANewFileInAMissingDirectoryFails)
{
    const ToolRun run = initdb({"--demo", "no/such/dir/Device.db"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("не существует")) << run.err.toStdString();
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}

TEST_F(InitDbTest, UpgradeRunsTheProgramsUpgradeAndPrintsItsMessages)
{
    TestDatabase::createEmptyDatabase(dir.path());

    const ToolRun first = initdb({"--upgrade", "Device.db"}, dir.path());
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("Текущая версия базы данных версии  будет преобразована до версии 2.4."))
        << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("Копия базы данных до преобразования")) << first.err.toStdString();
    EXPECT_EQ(scalar(dir.file("Device.db"), "select Info_name from info where id_info = 2").toString(), "2.4");
    const QStringList copies = QDir(dir.path()).entryList({"Device.db.*.bak"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(scalar(dir.file(copies[0]), "select count(*) from info").toInt(), 0) << "the copy is the old file";

    const ToolRun second = initdb({"--upgrade", "Device.db"}, dir.path());
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.isEmpty()) << second.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"*.bak"}, QDir::Files).size(), 1);
}

TEST_F(InitDbTest, UpgradeFailuresExitWithOne)
{
    TestDatabase::createBlankDatabase(dir.path(), "blank.db");
    const QByteArray blank = contents(dir.file("blank.db"));

    const ToolRun noInfo = initdb({"--upgrade", "blank.db"}, dir.path());
    EXPECT_EQ(noInfo.exitCode, 1);
    EXPECT_TRUE(noInfo.err.contains("no such table: info")) << noInfo.err.toStdString();
    EXPECT_EQ(contents(dir.file("blank.db")), blank);

    const ToolRun missing = initdb({"--upgrade", "missing.db"}, dir.path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("missing.db")) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("missing.db")));
}

} // namespace
