#include "FakeWindows.h"

#include "app/ManagerFrm.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "text/StrList.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TMainForm::registerWindow(QStringLiteral("TManagerForm"), [] { return new TManagerForm; });
        registerFake<TDeviceForm>();
        registerFake<TMalfunctionForm>();
        registerFake<TSpravForm>();
        form.show();
        QTest::qWait(20);
    }

    TManagerForm* openManager()
    {
        form.updateActions();
        form.action(QStringLiteral("OpenManager"))->trigger();
        return qobject_cast<TManagerForm*>(form.findChildWindow(QStringLiteral("TManagerForm")));
    }

    template <typename T>
    T* child() const
    {
        return qobject_cast<T*>(form.findChildWindow(QString::fromLatin1(T::staticMetaObject.className())));
    }

    int windowCount() const { return int(form.mdiArea()->subWindowList().size()); }

    // The node with this caption under the top-level node `parent`.
    static QTreeWidgetItem* node(TManagerForm* manager, const QString& parent, const QString& caption)
    {
        for (int i = 0; i < manager->tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = manager->tree()->topLevelItem(i);
            if (top->text(0) != parent)
                continue;
            for (int j = 0; j < top->childCount(); ++j)
                if (top->child(j)->text(0) == caption)
                    return top->child(j);
        }
        return nullptr;
    }

    // A real double click on the node, as the user gives it.
    static void doubleClick(TManagerForm* manager, QTreeWidgetItem* item)
    {
        QTreeWidget* tree = manager->tree();
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
            p->setExpanded(true);
        tree->scrollToItem(item);
        const QPoint at = tree->visualItemRect(item).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

    TempWorkDir dir;
    MessageRecorder messages;
    TMainForm form;
};

QStringList flatten(const QTreeWidget* tree)
{
    QStringList lines;
    std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item, int depth) {
        lines.append(QString(depth * 2, QLatin1Char(' ')) + item->text(0) + QStringLiteral(" [%1]").arg(TManagerForm::codeOf(item)));
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return lines;
}

TEST_F(ManagerTest, TreeHoldsEveryWindowViewAndPageWithItsCode)
{
    TManagerForm* manager = openManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager->windowTitle(), "Менеджер форм");
    QStringList expected = {
        "Паспорта [0]", "  Таблица [0]", "  Информация [1]", "  Дополнительно [2]", "  Журнал передвижений [3]",
        "  Журнал обслуживаний [4]", "  Журнал редактирования [5]",
        "Типы устройств [10]", "  Таблица [10]", "  Информация [11]",
        "Обслуживания [20]", "  Таблица [20]", "  Информация [21]",
        "Отчеты и графики обслуживаний [30]", "  Таблица [30]", "  График [31]",
        "Неисправности [40]", "  Таблица [40]", "  Информация [41]", "  Параметры [42]",
        "Затраты на обслуживание [50]", "  Таблица [50]", "  Информация [51]",
        "Справочники [60]",
    };
    const QStringList linked = linkedTableNames();
    ASSERT_EQ(linked.size(), 24);
    for (int i = 0; i < linked.size(); ++i)
        expected.append(QStringLiteral("  %1 [%2]").arg(withoutAccelerator(linked[i])).arg(60 + i));
    EXPECT_EQ(flatten(manager->tree()), expected);
    EXPECT_EQ(expected[24 + 10], "  Изготовители [70]");
    EXPECT_EQ(expected.last(), "  Прочие потери в % [83]");
    EXPECT_EQ(manager->tree()->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(ManagerTest, ServiceLogNodeSwitchesTheOpenDeviceWindowToThatPage)
{
    form.openOrActivate(QStringLiteral("TDeviceForm"));
    TDeviceForm* device = child<TDeviceForm>();
    ASSERT_TRUE(device);
    ASSERT_FALSE(device->isFormView());
    TManagerForm* manager = openManager();
    doubleClick(manager, node(manager, "Паспорта", "Журнал обслуживаний"));
    EXPECT_EQ(child<TDeviceForm>(), device); // no second device window
    EXPECT_EQ(windowCount(), 2);
    EXPECT_TRUE(device->isFormView());
    EXPECT_EQ(device->formPanel->currentIndex(), 3);
    EXPECT_EQ(device->runs.value("Swap"), 1); // through the window's own toggle
    EXPECT_EQ(form.activeChild(), device);

    doubleClick(manager, node(manager, "Паспорта", "Журнал редактирования"));
    EXPECT_EQ(device->formPanel->currentIndex(), 4);
    EXPECT_EQ(device->runs.value("Swap"), 1); // already in the form view

    manager->runCode(0); // the "Devices" node itself acts as its "Table" child
    EXPECT_FALSE(device->isFormView());
    EXPECT_EQ(device->runs.value("Swap"), 2);
}

TEST_F(ManagerTest, CodesOpenTheirWindowInTheirViewAndPage)
{
    TManagerForm* manager = openManager();
    struct Case {
        int code;
        bool formView;
        int page;
    };
    for (const Case& c : {Case{1, true, 0}, Case{2, true, 1}, Case{5, true, 4}, Case{0, false, 4}})
    {
        manager->runCode(c.code);
        ASSERT_TRUE(child<TDeviceForm>()) << c.code;
        EXPECT_EQ(child<TDeviceForm>()->isFormView(), c.formView) << c.code;
        EXPECT_EQ(child<TDeviceForm>()->formPanel->currentIndex(), c.page) << c.code;
    }
    for (const Case& c : {Case{42, true, 1}, Case{41, true, 0}, Case{40, false, 0}}) {
        manager->runCode(c.code);
        ASSERT_TRUE(child<TMalfunctionForm>()) << c.code;
        EXPECT_EQ(child<TMalfunctionForm>()->isFormView(), c.formView) << c.code;
        EXPECT_EQ(child<TMalfunctionForm>()->formPanel->currentIndex(), c.page) << c.code;
    }
    EXPECT_EQ(windowCount(), 3); // manager, devices, malfunctions: one each
}

TEST_F(ManagerTest, LinkedTableNodesSelectTheirPageInOneLinkedTablesWindow)
{
    TManagerForm* manager = openManager();
    doubleClick(manager, node(manager, "Справочники", "Изготовители"));
    TSpravForm* sprav = child<TSpravForm>();
    ASSERT_TRUE(sprav);
    for (int code : {60, 83, 75})
        manager->runCode(code);
    EXPECT_EQ(sprav->pages, QList<int>({10, 0, 23, 15}));
    EXPECT_EQ(child<TSpravForm>(), sprav);
    EXPECT_EQ(windowCount(), 2);
}

TEST_F(ManagerTest, CodesOfWindowsNotInTheProgramDoNothingUntilTheyAre)
{
    TManagerForm* manager = openManager();
    for (int code : {30, 31, -1, 6, 12, 43, 52, 84, 1000})
        manager->runCode(code);
    EXPECT_EQ(windowCount(), 1);
    EXPECT_TRUE(messages.shown().isEmpty());

    registerFake<TReportForm>();
    doubleClick(manager, node(manager, "Отчеты и графики обслуживаний", "График"));
    ASSERT_TRUE(child<TReportForm>());
    EXPECT_TRUE(child<TReportForm>()->isFormView());
}

TEST_F(ManagerTest, EnterOnANodeActsLikeADoubleClick)
{
    TManagerForm* manager = openManager();
    QTreeWidgetItem* item = node(manager, "Неисправности", "Параметры");
    manager->tree()->setCurrentItem(item);
    QTest::keyClick(manager->tree(), Qt::Key_Return);
    ASSERT_TRUE(child<TMalfunctionForm>());
    EXPECT_EQ(child<TMalfunctionForm>()->formPanel->currentIndex(), 1);
}

TEST_F(ManagerTest, SettingsKeepGeometryOnlyAndTheMainWindowsFontWins)
{
    QFont mainFont = form.font();
    mainFont.setPointSize(11);
    form.setFont(mainFont);
    {
        QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
        ini.setValue("TManagerForm/Left", 30);
        ini.setValue("TManagerForm/Top", 20);
        ini.setValue("TManagerForm/Width", 333);
        ini.setValue("TManagerForm/Height", 222);
        QFont stored(QStringLiteral("DejaVu Serif"), 7);
        ini.setValue("TManagerForm/Font", stored.toString());
    }
    TManagerForm* manager = openManager();
    const auto* sub = qobject_cast<QMdiSubWindow*>(manager->parentWidget());
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->geometry(), QRect(30, 20, 333, 222));
    EXPECT_EQ(manager->font().pointSize(), 11);
    EXPECT_EQ(manager->tree()->font().pointSize(), 11);
    EXPECT_EQ(flatten(manager->tree()).size(), 24 + 24); // the tree never comes from the file
    // No minimise button on its frame.
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);

    form.mdiArea()->closeAllSubWindows();
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    ini.beginGroup("TManagerForm");
    EXPECT_EQ(ini.value("Width").toInt(), 333);
    EXPECT_EQ(ini.value("Height").toInt(), 222);
    EXPECT_TRUE(ini.contains("PixelsPerInch"));
    QFont saved;
    ASSERT_TRUE(saved.fromString(ini.value("Font").toString()));
    EXPECT_EQ(saved.pointSize(), 11);
}

} // namespace

#include "moc_FakeWindows.cpp"
