// Another plant's file: named on the command line, opened through the File menu, remembered for
// the next time. The program never creates a database file on the way.
#include "app/CommandLine.h"
#include "app/MainFrm.h"
#include "app/PlantFiles.h"
#include "data/DMFrm.h"
#include "support/MessageRecorder.h"
#include "support/ProgramMainWindow.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

TEST(CommandLineDatabase, FileOrServerByTheArguments)
{
    TempWorkDir dir;
    QFile(dir.file("a=b.db")).open(QIODevice::WriteOnly); // an odd but existing file name
    const struct {
        QStringList arguments;
        QString file;
        QString server;
    } cases[] = {
        {{}, {}, {}},
        {{"Plant.db"}, "Plant.db", {}},
        {{"/srv/plants/Plant.db"}, "/srv/plants/Plant.db", {}},
        {{"/STOP", "Plant.db"}, "Plant.db", {}},
        {{"-stop"}, {}, {}},
        {{"--database=Big.db"}, "Big.db", {}}, // missing: the file's own message follows, not a server's
        {{"--database=host=db dbname=plant"}, {}, "host=db dbname=plant"},
        {{"--database=postgresql://db/plant"}, {}, "postgresql://db/plant"},
        {{"--database=a=b.db"}, "a=b.db", {}},
        {{"--database="}, {}, {}},
        {{"--database=  "}, {}, {}},
        {{"Plant.db", "--database=host=db"}, {}, "host=db"},
        {{"--database=host=db", "Plant.db"}, "Plant.db", {}},
        {{"One.db", "Two.db"}, "One.db", {}},
    };
    for (const auto& c : cases) {
        const CommandLine::Database chosen = CommandLine::databaseOf(QStringList{"instrel"} + c.arguments);
        EXPECT_EQ(chosen.file, c.file) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(chosen.server, c.server) << c.arguments.join(' ').toStdString();
    }
}

TEST(RecentPlants, LatestFirstOnceEachAndOnlyTheLastFew)
{
    TempWorkDir dir;
    const QString ini = dir.file("Device.ini");
    EXPECT_TRUE(PlantFiles::recent(ini).isEmpty());
    for (int i = 1; i <= 7; ++i)
        PlantFiles::remember(ini, QStringLiteral("P%1.db").arg(i));
    PlantFiles::remember(ini, "./P5.db"); // another spelling of a plant already listed
    const QStringList expected{dir.file("P5.db"), dir.file("P7.db"), dir.file("P6.db"), dir.file("P4.db"),
                               dir.file("P3.db")};
    EXPECT_EQ(PlantFiles::recent(ini), expected);
    PlantFiles::forget(ini, dir.file("P7.db"));
    EXPECT_FALSE(PlantFiles::recent(ini).contains(dir.file("P7.db")));
}

class OpenDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestDatabase::createUpgradedEmptyDatabase(dir.path());
        TestDatabase::createUpgradedEmptyDatabase(dir.path(), "Other.db");
        main = showProgramMainWindow();
        QCoreApplication::processEvents(); // the first showing: settings, schema check
    }
    QString statusText() const { return main->findChild<QLabel*>("lbDatabase")->text(); }

    TempWorkDir dir;
    MessageRecorder messages;
    TDM dm;
    std::unique_ptr<TMainForm> main;
};

TEST_F(OpenDatabaseTest, CommandOpensAnotherPlantAndTheMenuRemembersBoth)
{
    EXPECT_TRUE(main->windowTitle().endsWith(" — " + dir.file("Device.db")));
    ASSERT_TRUE(main->openOrActivate("TTypeForm"));

    PlantFiles::setNextChoice(dir.file("Other.db"));
    main->action("OpenDatabase")->trigger();
    EXPECT_EQ(dm.ADOConnection()->databaseFile(), dir.file("Other.db"));
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty()); // the first plant's windows are closed
    EXPECT_TRUE(main->windowTitle().endsWith(" — " + dir.file("Other.db")));
    EXPECT_TRUE(statusText().contains(dir.file("Other.db")));
    EXPECT_EQ(PlantFiles::recent("Device.ini"), QStringList({dir.file("Other.db"), dir.file("Device.db")}));

    // The File menu offers both; the second one goes back to the first plant.
    auto* back = main->findChild<QAction*>("RecentDatabase2");
    ASSERT_TRUE(back);
    EXPECT_TRUE(main->findChild<QMenu*>("File1")->actions().contains(back));
    back->trigger();
    EXPECT_EQ(dm.ADOConnection()->databaseFile(), dir.file("Device.db"));
    EXPECT_EQ(main->findChild<QAction*>("RecentDatabase1")->statusTip(), dir.file("Device.db"));
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join('\n').toStdString();
}

TEST_F(OpenDatabaseTest, MissingFileIsReportedNotCreatedAndThePlantStays)
{
    ASSERT_TRUE(main->openOrActivate("TTypeForm"));
    const QString title = main->windowTitle();
    PlantFiles::setNextChoice(dir.file("Missing.db"));
    main->action("OpenDatabase")->trigger();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains("instrel-initdb --demo Missing.db"))
        << messages.shown().first().text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("Missing.db")));
    EXPECT_EQ(main->databasePath(), dir.file("Device.db"));
    EXPECT_EQ(main->windowTitle(), title);
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 1); // nothing was closed for it
    EXPECT_FALSE(PlantFiles::recent("Device.ini").contains(dir.file("Missing.db")));

    messages.clear();
    PlantFiles::setNextChoice({}); // cancelled
    main->action("OpenDatabase")->trigger();
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(main->databasePath(), dir.file("Device.db"));
}

} // namespace
