#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/MonitorFrm.h"
#include "data/DMFrm.h"
#include "data/InitialSchema.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"), {"create table Scratch (x int)", "drop table Scratch"});
        SqlConnection connection;
        InitialSchema::create(connection); // an older database: no version row yet
    }

    // Shows the window and lets its first showing (settings, schema check) run.
    void showAndSettle(TMainForm& form)
    {
        form.show();
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }

    TempWorkDir dir;
    MessageRecorder messages;
};

TEST_F(MainFormTest, CaptionMenusAndSelectorInRussian)
{
    TMainForm form;
    EXPECT_EQ(form.windowTitle(), "Instrel v2.4");
    QStringList menus;
    for (QAction* a : form.menuBar()->actions())
        menus.append(a->text());
    EXPECT_EQ(menus, QStringList({"Файл", "Вид", "Правка", "Настройка", "Окно", "Справка"}));
    auto* selector = form.findChild<QComboBox*>("sComboTable");
    ASSERT_TRUE(selector);
    QStringList items;
    for (int i = 0; i < selector->count(); ++i)
        items.append(selector->itemText(i));
    EXPECT_EQ(items, QStringList({"Паспорта", "Типы устройств", "Обслуживания", "Отчеты и графики обслуживаний",
                                  "Неисправности", "Затраты на обслуживание", "Справочники", "Менеджер форм"}));
    EXPECT_EQ(form.action("EditCut1")->statusTip(), "Вырезать в буфер");
}

TEST_F(MainFormTest, FirstShowingUpgradesAnOlderDatabaseOnce)
{
    {
        TDM dm;
        TMainForm form;
        showAndSettle(form);
        ASSERT_FALSE(messages.shown().isEmpty());
        EXPECT_TRUE(messages.shown().first().text.startsWith("Текущая версия базы данных версии  будет преобразована "
                                                             "до версии 2.4."));
        EXPECT_EQ(dm.ADOConnection()->scalar("select Info_name from info where id_info = 2;").toString(), "2.4");
        form.close();
    }
    messages.clear();
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    EXPECT_TRUE(messages.shown().isEmpty()); // up to date: nothing to say
}

TEST_F(MainFormTest, SettingsRoundTripAndBrokenFileDeleted)
{
    {
        TMainForm form;
        form.setGeometry(40, 50, 900, 600);
        showAndSettle(form);
        form.setGeometry(40, 50, 900, 600);
        form.close();
    }
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("TMainForm/Width").toInt(), 900);
    EXPECT_EQ(ini.value("TMainForm/WindowState").toInt(), 0);
    {
        TMainForm form;
        showAndSettle(form);
        EXPECT_EQ(form.width(), 900);
        EXPECT_EQ(form.rememberedSkin(), "Neutral"); // no skins at all: the plain look under its name
        form.close();
    }
    QFile file(dir.file("Device.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[TMainForm]\nFont=not a font\nWidth=333\n");
    file.close();
    TMainForm form;
    showAndSettle(form);
    EXPECT_NE(form.width(), 333); // the broken file was not used...
    form.close();
    QSettings rewritten(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_NE(rewritten.value("TMainForm/Font").toString(), "not a font"); // ...and is gone
}

TEST_F(MainFormTest, MonitorShowsOnlyStatementsWhileOpen)
{
    TDM dm;
    TMainForm form;
    showAndSettle(form);
    dm.ADOConnection()->execute("select 1 as before_opening");
    form.action("OpenMonitor")->trigger();
    auto* monitor = qobject_cast<TMonitorForm*>(form.findChildWindow("TMonitorForm"));
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->windowTitle(), "SQL-monitor");
    dm.ADOConnection()->execute("update Device set ANumber = :A where ID_Device = :K", {{"A", QVariant()}, {"K", 7}});
    const QString text = monitor->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    EXPECT_FALSE(text.contains("before_opening"));
    EXPECT_TRUE(text.contains("update Device set ANumber = :A where ID_Device = :K\nA = Null\nK = 7"));
    bool existed = false;
    form.openOrActivate("TMonitorForm", &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(form.mdiArea()->subWindowList().size(), 1);
    form.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChildWindow("TMonitorForm"), nullptr);
    form.action("OpenMonitor")->trigger();
    monitor = qobject_cast<TMonitorForm*>(form.findChildWindow("TMonitorForm"));
    EXPECT_FALSE(monitor->findChild<QPlainTextEdit*>("Memo1")->toPlainText().contains("update Device"));
}

TEST_F(MainFormTest, CommandsOfMissingWindowsAreGreyed)
{
    TMainForm form;
    showAndSettle(form);
    form.updateActions();
    EXPECT_FALSE(form.action("OpenDevice")->isEnabled());
    EXPECT_FALSE(form.action("Find")->isEnabled());
    EXPECT_FALSE(form.action("FileClose")->isEnabled());
    EXPECT_TRUE(form.action("HelpAbout1")->isEnabled());
}

TEST(ApplicationTest, DatabaseErrorsEndInOneErrorBoxAndAbortsAreSilent)
{
    MessageRecorder messages;
    EXPECT_FALSE(InstrelApplication::guarded([] { throw DatabaseError("no such table: Nope"); }));
    EXPECT_FALSE(InstrelApplication::guarded([] { abortOperation(); }));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().kind, MessageService::Kind::Error);
    EXPECT_EQ(messages.shown().first().text, "no such table: Nope");
}

} // namespace
