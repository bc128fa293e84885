// Restored window geometry stays where the user can reach it, whatever the settings file holds.
#include "app/MainFrm.h"
#include "app/MonitorFrm.h"
#include "app/StoredGeometry.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(StoredGeometry, AnyStoredRectangleIsFittedIntoTheAvailableArea)
{
    const QRect screen(0, 30, 1280, 770); // a panel along the top
    const struct {
        const char* what;
        qint64 left, top, width, height;
        QRect available;
        QRect expected;
    } cases[] = {
        {"inside stays", 100, 100, 800, 500, screen, QRect(100, 100, 800, 500)},
        {"far left and above", -30000, -99999, 800, 500, screen, QRect(0, 30, 800, 500)},
        {"far right and below", 5000, 4000, 800, 500, screen, QRect(480, 300, 800, 500)},
        {"partly off the right edge", 1000, 100, 800, 500, screen, QRect(480, 100, 800, 500)},
        {"integer limits", INT_MIN, INT_MIN, INT_MAX, INT_MAX, screen, screen},
        {"beyond an integer", 1'000'000'000'000, -1'000'000'000'000, 1'000'000'000'000, 1'000'000'000'000, screen,
         screen},
        {"too small, zero and negative sizes", 10, 40, 5, -7, screen, QRect(10, 40, 240, 160)},
        {"an area smaller than the minimum", 0, 0, 10, 10, QRect(0, 0, 200, 100), QRect(0, 0, 200, 100)},
        {"a second screen to the left", -1500, 200, 800, 500, QRect(-1920, 0, 1920, 1080), QRect(-1500, 200, 800, 500)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StoredGeometry::fitted(c.left, c.top, c.width, c.height, c.available), c.expected) << c.what;
}

class RestoredWindowsTest : public ::testing::Test {
protected:
    void writeSettings(const QByteArray& text)
    {
        QFile file(dir.file("Device.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    TempWorkDir dir;
    MessageRecorder messages;
};

TEST_F(RestoredWindowsTest, TheMainWindowAndItsChildrenComeBackOnTheScreenAndAreSavedSo)
{
    writeSettings("[TMainForm]\nLeft=-2147483648\nTop=2147483647\nWidth=2147483647\nHeight=2147483647\n"
                  "WindowState=0\n"
                  "[TMonitorForm]\nLeft=99999\nTop=-99999\nWidth=1\nHeight=2147483647\nWindowState=0\n");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect area; // the main window's area for its children
    {
        TMainForm form;
        form.show();
        QTest::qWait(50);
        QCoreApplication::processEvents();
        EXPECT_TRUE(screen.contains(form.geometry())) << ::testing::PrintToString(form.geometry());

        form.action("OpenMonitor")->trigger();
        QCoreApplication::processEvents();
        QWidget* monitor = form.findChildWindow("TMonitorForm");
        ASSERT_TRUE(monitor);
        auto* frame = qobject_cast<QMdiSubWindow*>(monitor->parentWidget());
        ASSERT_TRUE(frame);
        area = form.mdiArea()->viewport()->rect();
        ASSERT_FALSE(area.isEmpty());
        EXPECT_TRUE(area.contains(frame->geometry()))
            << ::testing::PrintToString(frame->geometry()) << " in " << ::testing::PrintToString(area);
        EXPECT_GE(frame->width(), std::min(StoredGeometry::kMinimumSize.width(), area.width()));
        form.close();
    }
    QSettings saved(dir.file("Device.ini"), QSettings::IniFormat);
    for (const auto& [window, within] : {std::pair{"TMainForm", screen}, std::pair{"TMonitorForm", area}}) {
        saved.beginGroup(window);
        const QRect stored(saved.value("Left").toInt(), saved.value("Top").toInt(), saved.value("Width").toInt(),
                           saved.value("Height").toInt());
        EXPECT_TRUE(within.contains(stored)) << window << ": " << ::testing::PrintToString(stored);
        saved.endGroup();
    }
}

// A size no one works in (a negative width, three pixels high) gives the window its default size, not
// the smallest one it may have.
TEST_F(RestoredWindowsTest, AnAbsurdStoredSizeGivesTheMainWindowItsDefaultSize)
{
    const QSize defaultSize = TMainForm().size();
    writeSettings("[TMainForm]\nLeft=10\nTop=10\nWidth=-500\nHeight=3\nWindowState=0\n");
    TMainForm form;
    form.show();
    QTest::qWait(50);
    QCoreApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize frame = form.frameGeometry().size() - form.size(); // the window manager's border
    EXPECT_EQ(form.size(), defaultSize.boundedTo(screen.size() - frame));
    EXPECT_TRUE(screen.contains(form.geometry())) << ::testing::PrintToString(form.geometry());
    form.close();
}

} // namespace
