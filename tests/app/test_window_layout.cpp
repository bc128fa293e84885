// The child windows keep the layout the user made: a jump from one window to another keeps
// maximised windows maximised, and every window opens inside the work area at a usable size with
// its editors in sight, whatever the settings file holds.
#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/StoredGeometry.h"
#include "data/DMFrm.h"
#include "support/MessageRecorder.h"
#include "support/ProgramMainWindow.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QScreen>
#include <QFile>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WindowLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { demo = new TempWorkDir, TestDatabase::createDemoDatabase(demo->path()); }
    static void TearDownTestSuite() { delete demo; }

    void SetUp() override
    {
        QFile::remove(demo->file("Device.ini"));
        dm = std::make_unique<TDM>();
        main = showProgramMainWindow();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        main->mdiArea()->closeAllSubWindows();
        main.reset();
        dm.reset();
    }

    // The main window at a screen's size: its work area is what is left for the child windows.
    void sizeMainWindow(int width, int height)
    {
        main->showNormal();
        main->resize(width, height);
        QCoreApplication::processEvents();
    }
    QRect workArea() const { return main->mdiArea()->viewport()->rect(); }
    QMdiSubWindow* frameOf(const char* windowClass) const
    {
        QWidget* child = main->findChildWindow(windowClass);
        return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
    }
    QWidget* open(const char* windowClass)
    {
        QWidget* child = main->openOrActivate(windowClass);
        QCoreApplication::processEvents();
        return child;
    }
    void writeSettings(const QByteArray& text)
    {
        QFile file(demo->file("Device.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    // Clicks the labour window's "edit" button beside its list of types, as a user does.
    void jumpFromLabourToTypes()
    {
        QWidget* labour = open("TAccountForm");
        ASSERT_TRUE(labour);
        TMainForm::switchView(labour, true, 0);
        QCoreApplication::processEvents();
        auto* types = labour->findChild<QTableView*>("GridDevType");
        ASSERT_TRUE(types && types->model()->rowCount() > 0);
        types->setCurrentIndex(types->model()->index(0, types->horizontalHeader()->logicalIndex(0)));
        main->updateActions();
        QTest::qWait(20); // the window enables its buttons when the program is idle
        auto* edit = labour->findChild<QAbstractButton*>("btnEditDevType");
        ASSERT_TRUE(edit && edit->isEnabled());
        edit->click();
        QCoreApplication::processEvents();
    }

    static TempWorkDir* demo;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TMainForm> main;
};
TempWorkDir* WindowLayoutTest::demo = nullptr;

TEST_F(WindowLayoutTest, JumpKeepsMaximisedWindowsMaximised)
{
    // The target was last closed small and in the normal state.
    writeSettings("[TTypeForm]\nLeft=0\nTop=0\nWidth=210\nHeight=170\nWindowState=0\n");
    open("TDeviceForm");
    open("TAccountForm");
    frameOf("TAccountForm")->showMaximized();
    jumpFromLabourToTypes();
    QMdiSubWindow* types = frameOf("TTypeForm");
    ASSERT_TRUE(types);
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), types);
    EXPECT_TRUE(types->isMaximized());
    EXPECT_EQ(types->size(), workArea().size());
    // Back in the labour window and on to the devices, the layout stays maximised.
    open("TAccountForm");
    EXPECT_TRUE(frameOf("TAccountForm")->isMaximized());
    open("TDeviceForm");
    EXPECT_TRUE(frameOf("TDeviceForm")->isMaximized());
}

TEST_F(WindowLayoutTest, JumpInANormalLayoutOpensTheTargetUsableAndInsideTheWorkArea)
{
    // What a window kept from a smaller screen or a broken file: tiny and above the work area.
    writeSettings("[TTypeForm]\nLeft=-40\nTop=-60\nWidth=210\nHeight=170\nWindowState=0\n");
    sizeMainWindow(1024, 700);
    jumpFromLabourToTypes();
    QMdiSubWindow* types = frameOf("TTypeForm");
    ASSERT_TRUE(types);
    EXPECT_FALSE(types->isMaximized());
    EXPECT_TRUE(workArea().contains(types->geometry())) << ::testing::PrintToString(types->geometry());
    EXPECT_GE(types->width(), StoredGeometry::kMinimumSize.width());
    EXPECT_GE(types->height(), StoredGeometry::kMinimumSize.height());
    EXPECT_GE(types->size().width(), types->minimumSizeHint().width());
    EXPECT_FALSE(frameOf("TAccountForm")->isMaximized());
}

// At 1024×700 each window opens inside the work area: the devices' services list lies in it, not
// behind the work area's scroll bar.
TEST_F(WindowLayoutTest, EveryWindowOpensInsideASmallWorkArea)
{
    sizeMainWindow(1024, 700);
    for (const char* windowClass : {"TDeviceForm", "TTypeForm", "TNextRepForm", "TReportForm", "TMalfunctionForm",
                                    "TAccountForm", "TSpravForm", "TManagerForm"}) {
        SCOPED_TRACE(windowClass);
        ASSERT_TRUE(open(windowClass));
        QMdiSubWindow* frame = frameOf(windowClass);
        EXPECT_TRUE(workArea().contains(frame->geometry())) << ::testing::PrintToString(frame->geometry()) << " in "
                                                            << ::testing::PrintToString(workArea());
    }
    QWidget* devices = main->findChildWindow("TDeviceForm");
    main->openOrActivate("TDeviceForm");
    TMainForm::switchView(devices, true, 0);
    QCoreApplication::processEvents();
    auto* services = devices->findChild<QTableView*>("gridService");
    ASSERT_TRUE(services && services->isVisible());
    const QRect inArea(services->mapTo(main->mdiArea()->viewport(), QPoint(0, 0)), services->size());
    EXPECT_TRUE(workArea().contains(inArea)) << ::testing::PrintToString(inArea);
}

TEST(DropDowns, ALongListOpensNoTallerThanTheScreen)
{
    InstrelApplication::keepPopupsOnScreen();
    QComboBox box;
    for (int i = 0; i < 400; ++i)
        box.addItem(QStringLiteral("Место установки %1").arg(i));
    box.setMaxVisibleItems(400);
    box.show();
    box.showPopup();
    QWidget* popup = box.view()->window();
    const QRect screen = box.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(popup->geometry())) << ::testing::PrintToString(popup->geometry());
    box.hidePopup();
}

} // namespace
