// The real program, started as a user would: a second start hands over to the first and ends; a
// start with STOP ends the first. The executable is copied under a name of its own, so that these
// runs never meet a program the developer may have open.
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = dir.file("instrel-test-" + QUuid::createUuid().toString(QUuid::Id128).left(8));
        ASSERT_TRUE(QFile::copy(INSTREL_BINARY_DIR "/src/instrel", program));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(INSTREL_BINARY_DIR "/tools/instrel-initdb", {"--demo", "Device.db"});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished(5000);
        }
    }

    void startFirst()
    {
        first.setWorkingDirectory(dir.path());
        first.start(program, {});
        ASSERT_TRUE(first.waitForStarted(10000));
        // Give it a moment to show its window and start serving requests.
        QThread::msleep(1500);
        ASSERT_EQ(first.state(), QProcess::Running);
    }

    int runLater(const QStringList& arguments)
    {
        QProcess later;
        later.setWorkingDirectory(dir.path());
        later.start(program, arguments);
        EXPECT_TRUE(later.waitForFinished(10000));
        return later.exitCode();
    }

    TempWorkDir dir;
    QString program;
    QProcess first;
};

TEST_F(ProgramTest, SecondStartHandsOverAndStopEndsTheFirst)
{
    startFirst();
    EXPECT_EQ(runLater({}), 0);
    EXPECT_EQ(first.state(), QProcess::Running); // brought to the front, still running
    EXPECT_EQ(runLater({"-Stop"}), 0);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    // Its settings were saved on the way out.
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_TRUE(ini.contains("TMainForm/Width"));
}

TEST_F(ProgramTest, StopWithoutARunningProgramStartsItNormally)
{
    first.setWorkingDirectory(dir.path());
    first.start(program, {"/STOP"});
    ASSERT_TRUE(first.waitForStarted(10000));
    QThread::msleep(1500);
    EXPECT_EQ(first.state(), QProcess::Running);
}

// Asking for the usage or the version answers at once and never raises or starts the program.
TEST_F(ProgramTest, HelpAndVersionAnswerWithoutStarting)
{
    startFirst();
    QProcess help;
    help.setWorkingDirectory(dir.path());
    help.start(program, {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString usage = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* part : {"/STOP", "-STOP", "Device.db", "Device.ini", "skins/", "help/", "instrel-initdb --demo Device.db",
                             "instrel-initdb --empty Device.db", "--version"})
        EXPECT_TRUE(usage.contains(QString::fromUtf8(part))) << part << "\n" << usage.toStdString();
    EXPECT_TRUE(usage.startsWith("Использование: " + QFileInfo(program).fileName() + " "));

    QProcess version;
    version.start(program, {"--version"});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(version.readAllStandardOutput()), "Instrel 2.4\n");
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(runLater({"-STOP"}), 0);
    EXPECT_TRUE(first.waitForFinished(10000));
}

// `cmake --install` gives a machine the program, the tool, help, skins, a desktop entry and an icon,
// laid out so that the program finds its help and skins from its own folder.
TEST(InstallTest, InstallsProgramToolHelpSkinsDesktopEntryAndIcon)
{
    TempWorkDir prefix;
    QProcess install;
    install.start(INSTREL_CMAKE_COMMAND, {"--install", INSTREL_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    for (const char* file : {"bin/instrel", "bin/instrel-initdb", "bin/instrel-due", "share/instrel/help/index.html",
                             "share/instrel/skins/Neutral.qss", "share/instrel/skins/Dark.qss",
                             "share/applications/instrel.desktop", "share/icons/hicolor/scalable/apps/instrel.svg"})
        EXPECT_TRUE(QFileInfo::exists(prefix.file(file))) << file;
    QFile desktop(prefix.file("share/applications/instrel.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    EXPECT_TRUE(entry.contains("\nExec=instrel\n"));
    EXPECT_TRUE(entry.contains("\nIcon=instrel\n"));

    QProcess version;
    version.start(prefix.file("bin/instrel"), {"--version"});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(version.readAllStandardOutput()), "Instrel 2.4\n");
}

} // namespace
