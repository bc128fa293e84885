// The real program, started as a user would: a second start hands over to the first and ends; a
// start with STOP ends the first. The executable is copied under a name of its own, so that these
// runs never meet a program the developer may have open.
#include "support/TempDir.h"

#include <QFile>
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

} // namespace
