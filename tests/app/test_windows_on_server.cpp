// Every window of the program opened through its command on a demonstration plant on a PostgreSQL
// server, as a planner sharing the plant would: each view and page shows rows and no error box, and
// an edit in the device window and in the labour window is stored on the server.
#include "app/Application.h"
#include "app/DueNotice.h"
#include "app/DueReminder.h"
#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "devices/DeviceFrm.h"
#include "devices/rules/DueRule.h"
#include "labour/AccountFrm.h"
#include "plan/PivotModel.h"
#include "plan/ReportFrm.h"
#include "support/EngineDatabase.h"
#include "support/MessageRecorder.h"
#include "support/ProgramMainWindow.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "tables/BaseFrm.h"
#include "tables/print/GridPrinter.h"
#include "tables/SelectFrm.h"
#include "tables/SpravFrm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QChart>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class WindowsOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        INSTREL_REQUIRE_TEST_SERVER();
        Clock::fix(QDateTime(QDate(2025, 3, 10), QTime(9, 0)));
        plant = std::make_unique<EngineDatabase>(Engine::Postgres, EngineDatabase::Content::Demo, dir.path());
        ASSERT_TRUE(plant->ok()) << plant->error().toStdString();
        dm = std::make_unique<TDM>();
        dm->ADOConnection()->setServer(plant->location()); // as the program does for --database=
        main = showProgramMainWindow();
        DueReminder::setHorizon(30);
        GridPrinter::setPreviewOutputFile(dir.file("printed.pdf"));
        TDualListDlg::setScript([](TDualListDlg&) { return true; });
    }
    void TearDown() override
    {
        TDualListDlg::setScript({});
        GridPrinter::setPreviewOutputFile({});
        if (main)
            main->mdiArea()->closeAllSubWindows();
        main.reset();
        dm.reset();
        DueReminder::setHorizon(DueRule::DefaultHorizon);
        Clock::fix({});
    }

    QWidget* open(const char* command, const char* windowClass)
    {
        main->updateActions();
        QAction* action = main->action(QString::fromLatin1(command));
        EXPECT_TRUE(action && action->isEnabled()) << command;
        if (action)
            action->trigger();
        QCoreApplication::processEvents();
        QWidget* window = main->findChildWindow(QString::fromLatin1(windowClass));
        EXPECT_TRUE(window) << windowClass;
        return window;
    }
    // As the user would: the commands brought up to date as when idle, a refusal or an error ending
    // in its message box.
    static void trigger(QWidget* window, const QString& name)
    {
        if (auto* form = qobject_cast<TBaseForm*>(window))
            form->updateOnIdle();
        auto* action = window->findChild<QAction*>(name);
        ASSERT_TRUE(action) << name.toStdString();
        EXPECT_TRUE(action->isEnabled()) << name.toStdString();
        InstrelApplication::guarded([action] { action->trigger(); });
        QCoreApplication::processEvents();
    }
    static void swapTo(QWidget* window, bool formView)
    {
        auto* form = qobject_cast<TBaseForm*>(window);
        ASSERT_TRUE(form);
        if (form->isFormView() != formView)
            trigger(window, QStringLiteral("Swap"));
        EXPECT_EQ(form->isFormView(), formView);
    }
    static void showPage(QWidget* window, const char* tabs, int page)
    {
        swapTo(window, true);
        auto* pages = window->findChild<QTabWidget*>(QString::fromLatin1(tabs));
        ASSERT_TRUE(pages) << tabs;
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }
    static int rows(QWidget* window, const QString& dataset)
    {
        auto* ds = window->findChild<Dataset*>(dataset);
        EXPECT_TRUE(ds) << dataset.toStdString();
        return ds && ds->isActive() ? ds->recordCount() : -1;
    }
    SqlConnection& server() { return *dm->ADOConnection(); }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<EngineDatabase> plant;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TMainForm> main;
};

// One place in a window: how to get there, and the datasets that show rows there.
struct Stop {
    const char* name;
    std::function<void(QWidget*)> go;
    QStringList datasets;
};

struct WindowCase {
    const char* command;
    const char* windowClass;
    std::vector<Stop> stops;
};

TEST_F(WindowsOnServer, EveryWindowOpensThroughItsCommandAndShowsRowsOnEveryViewAndPage)
{
    const auto list = [](QWidget* w) { swapTo(w, false); };
    const auto page = [](const char* tabs, int index) {
        return [tabs, index](QWidget* w) { showPage(w, tabs, index); };
    };
    // A device log lists every device's entries, so that the page shows rows whichever is current.
    const auto logPage = [](int index, const char* showAll) {
        return [index, showAll](QWidget* w) {
            showPage(w, "FormPanel", index);
            auto* box = w->findChild<QCheckBox*>(QString::fromLatin1(showAll));
            ASSERT_TRUE(box) << showAll;
            if (!box->isChecked())
                box->click();
        };
    };
    const auto kits = [this](QWidget* w) {
        main->updateActions();
        main->action("CheckComplect")->trigger();
        QCoreApplication::processEvents();
        auto* tree = w->findChild<QTreeWidget*>("ComplectTree");
        ASSERT_TRUE(tree);
        ASSERT_EQ(tree->topLevelItemCount(), 2);
        EXPECT_GT(tree->topLevelItem(1)->childCount(), 0) << "the kits of the plant";
    };
    const auto linkedPage = [](int index) {
        return [index](QWidget* w) {
            auto* tables = w->findChild<QListWidget*>("TableList");
            ASSERT_TRUE(tables);
            tables->setCurrentRow(index);
            QCoreApplication::processEvents();
        };
    };
    const auto print = [this](const char* button) {
        return [this, button](QWidget* w) {
            QFile::remove(dir.file("printed.pdf"));
            auto* b = w->findChild<QAbstractButton*>(QString::fromLatin1(button));
            ASSERT_TRUE(b) << button;
            // The buttons of the page shown are brought up to date when the program is idle.
            qobject_cast<TBaseForm*>(w)->updateOnIdle();
            if (auto* labour = qobject_cast<TAccountForm*>(w))
                labour->updatePageButtons();
            ASSERT_TRUE(b->isEnabled() && b->isVisible()) << button;
            b->click();
            QCoreApplication::processEvents();
            EXPECT_TRUE(QFile::exists(dir.file("printed.pdf"))) << button;
        };
    };
    const auto planFor2025 = [](QWidget* w) {
        swapTo(w, false);
        w->findChild<QLineEdit*>("editYear")->setText("2025");
        w->findChild<QPushButton*>("btnGo")->click();
        QCoreApplication::processEvents();
    };
    const auto pivotAndChart = [](QWidget* w) {
        swapTo(w, true);
        QTest::qWait(20);
        auto* form = qobject_cast<TReportForm*>(w);
        ASSERT_TRUE(form);
        EXPECT_GT(form->pivotModel()->rowCount(), 0);
        EXPECT_FALSE(form->chart()->series().isEmpty());
    };
    const auto due = [](const char* command) {
        return [command](QWidget* w) {
            swapTo(w, false);
            trigger(w, QString::fromLatin1(command));
        };
    };

    const std::vector<WindowCase> cases = {
        {"OpenDevice",
         "TDeviceForm",
         {{"list", list, {"dsPasport"}},
          {"information", page("FormPanel", 0), {"dsDevice", "dsNextRep"}},
          {"extended", page("FormPanel", 1), {"dsDevice", "dsDevCrew"}},
          {"move log", logPage(2, "cbShowAll3"), {"dsMovHist"}},
          {"service log", logPage(3, "cbShowAll2"), {"dsRepHist"}},
          {"edit log", logPage(4, "cbShowAll"), {"dsEditHist"}},
          {"kits", kits, {"dsPasport"}}}},
        {"OpenDevType",
         "TTypeForm",
         {{"list", list, {"dsType"}}, {"form", page("FormPanel", 0), {"dsDevType", "dsInterval"}}}},
        {"OpenNextRep", "TNextRepForm", {{"list", list, {"dsService"}}, {"form", page("FormPanel", 0), {"dsService"}}}},
        {"OpenNextRep",
         "TNextRepForm",
         {{"overdue", due("ShowOverdue"), {"dsService"}},
          {"due soon", due("ShowDueSoon"), {"dsService"}},
          {"all again", due("ShowAll"), {"dsService"}}}},
        {"OpenRefusal",
         "TMalfunctionForm",
         {{"list", list, {"dsRefusals"}},
          {"form", page("FormPanel", 0), {"dsRefusal", "dsPasport", "dsGroup"}},
          {"parameters", page("FormPanel", 1), {"dsRefusalParam"}}}},
        {"OpenAccount",
         "TAccountForm",
         {{"list", list, {"dsAccount"}},
          {"type report", print("btnPrint"), {"dsAccount"}},
          {"information", page("FormPanel", 0), {"dsCrewDep", "dsDevType"}},
          {"information report", print("btnPrintDevType"), {"dsDevType"}},
          {"crew structure", page("FormPanel", 1), {"dsCrewDep2", "dsCrewListView"}},
          {"crew structure report", print("btnPrintCrewList"), {"dsCrewListView"}},
          {"norms", page("FormPanel", 2), {"dsCrewDep3", "dsNormState"}},
          {"norms report", print("btnPrintNormAcc"), {"dsNormState"}}}},
        {"OpenReport",
         "TReportForm",
         {{"plan", planFor2025, {"dsReport"}}, {"pivot and chart", pivotAndChart, {"c1"}}}},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.command);
        QWidget* window = open(c.command, c.windowClass);
        ASSERT_TRUE(window);
        for (const Stop& stop : c.stops) {
            SCOPED_TRACE(stop.name);
            stop.go(window);
            for (const QString& dataset : stop.datasets)
                EXPECT_GT(rows(window, dataset), 0) << dataset.toStdString();
            EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("\n").toStdString();
            messages.clear();
        }
        main->mdiArea()->closeAllSubWindows();
        QCoreApplication::processEvents();
    }

    // The notice of due services a start shows, counted on the server.
    DueReminder reminder;
    int scheduleOpened = 0;
    auto* notice = qobject_cast<TDueNotice*>(reminder.remindAtStart(server(), main.get(), true, [&] { ++scheduleOpened; }));
    ASSERT_TRUE(notice);
    notice->findChild<QPushButton*>("btnShowDue")->click();
    EXPECT_EQ(scheduleOpened, 1);
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("\n").toStdString();

    // The linked tables: every page of the list, each showing the rows of its tables.
    QWidget* linked = open("OpenSprav", "TSpravForm");
    ASSERT_TRUE(linked);
    auto* tables = linked->findChild<QListWidget*>("TableList");
    ASSERT_TRUE(tables);
    for (int i = 0; i < tables->count(); ++i) {
        SCOPED_TRACE(tables->item(i)->text().toStdString());
        linkedPage(i)(linked);
        int shown = 0;
        for (Dataset* ds : linked->findChildren<Dataset*>())
            if (ds->isActive())
                shown += ds->recordCount();
        EXPECT_GT(shown, 0);
        EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("\n").toStdString();
        messages.clear();
    }
}

// One edit in each of the two windows where planners change the plant most, stored on the server
// with what the windows write beside it.
TEST_F(WindowsOnServer, EditsInTheDeviceAndLabourWindowsAreStored)
{
    QWidget* devices = open("OpenDevice", "TDeviceForm");
    ASSERT_TRUE(devices);
    showPage(devices, "FormPanel", 0);
    auto* device = devices->findChild<Dataset*>("dsDevice");
    ASSERT_TRUE(device && device->isActive() && device->recordCount() == 1);
    const qint64 id = device->value("ID_Device").toLongLong();
    const int logged = server().scalar(QString("select count(*) from EditHist where IDevice = %1").arg(id)).toInt();
    InstrelApplication::guarded([&] {
        device->setValue("ZNumber", QString::fromUtf8("Зав-сервер"));
        device->post();
    });
    EXPECT_EQ(server().scalar(QString("select ZNumber from Device where ID_Device = %1").arg(id)).toString(),
              QString::fromUtf8("Зав-сервер"));
    EXPECT_EQ(server().scalar(QString("select count(*) from EditHist where IDevice = %1").arg(id)).toInt(), logged + 1)
        << "the edit log has its entry";
    // The server moves an updated row to the end of its table; the list keeps it in its place.
    auto* form = qobject_cast<TBaseForm*>(devices);
    const int row = form->dsMain()->recNo();
    form->RequeryKeepRow();
    Dataset& list = *form->dsMain();
    EXPECT_EQ(list.value("ID_Device").toLongLong(), id);
    EXPECT_EQ(list.recNo(), row);
    const int key = list.fieldIndex("ID_Device");
    for (int r = 1; r < list.recordCount(); ++r)
        ASSERT_LT(list.valueAt(r - 1, key).toLongLong(), list.valueAt(r, key).toLongLong()) << "row " << r;

    QWidget* labour = open("OpenAccount", "TAccountForm");
    ASSERT_TRUE(labour);
    showPage(labour, "FormPanel", 0);
    auto* types = labour->findChild<Dataset*>("dsDevType");
    ASSERT_TRUE(types && types->isActive() && types->recordCount() > 0);
    const QString pair = QString("from DevTypeCount where IDevType = %1 and ICrew = %2")
                             .arg(types->value("ID_DevType").toLongLong())
                             .arg(types->value("ICrew").toLongLong());
    InstrelApplication::guarded([&] {
        types->edit();
        types->setValue("Count", 77);
        types->post();
    });
    EXPECT_EQ(server().scalar("select [Count] " + pair).toInt(), 77);
    EXPECT_EQ(server().scalar("select count(*) " + pair).toInt(), 1);
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("\n").toStdString();
}

} // namespace
