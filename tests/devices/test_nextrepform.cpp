#include "WindowsFixture.h"

#include "app/DueReminder.h"
#include "app/ManagerFrm.h"
#include "devices/DeviceFrm.h"
#include "devices/DueMarks.h"
#include "devices/NextRepFrm.h"
#include "tables/DatasetGrid.h"
#include "tables/FilterHeader.h"
#include "text/StrList.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>

namespace {

// The small plant's services on 15 June 2025: A-1's verification overdue (16 March) and its repair
// without a date, A-2's verification due on 20 June, A-1's third service on 1 September.
class NextRepFormTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        plantServices();
        DueReminder::setHorizon(30);
    }
    void plantServices()
    {
        run("insert into DevCrew (ID_DevCrew, IDevice, ICrew) values (2, 2, 1)");
        run("insert into NextRep (ID_NextRep, IDevice, IDevRep, NextRep) values (3, 2, 1, '2025-06-20 00:00:00'), "
            "(4, 1, 3, '2025-09-01 00:00:00')");
    }
    TNextRepForm* schedule() { return open<TNextRepForm>("TNextRepForm"); }
    static QStringList ids(TBaseForm* form)
    {
        QStringList listed;
        for (int row = 0; row < form->dsMain()->recordCount(); ++row)
            listed << form->dsMain()->valueAt(row, form->dsMain()->fieldIndex("ID_NextRep")).toString();
        listed.sort();
        return listed;
    }
    static bool locate(TBaseForm* form, int nextRep) { return form->dsMain()->locate("ID_NextRep", nextRep); }
};

} // namespace

TEST_F(NextRepFormTest, ListsEveryServiceReadOnlyWithTheNineColumns)
{
    TNextRepForm* form = schedule();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->dsMain()->objectName(), "dsService");
    EXPECT_EQ(form->dsMain()->recordCount(), count("select count(*) from nextrepview"));
    QStringList shown;
    const QHeaderView* header = form->grid()->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!form->grid()->isColumnHidden(column))
            shown << form->dsMain()->fields()[size_t(column)]->name().toLower();
    }
    EXPECT_EQ(shown, QStringList({"anumber", "znumber", "name_devtype", "mark_devtype", "short_reps", "name_reps",
                                  "lastrep", "nextrep", "rt_mon"}));
    EXPECT_EQ(form->dsMain()->fields()[size_t(form->dsMain()->fieldIndex("NextRep"))]->label(), Text(Str::ColNextDate));
    for (const char* hidden : {"btnInsert", "btnSame", "btnDelete"})
        EXPECT_TRUE(child<QAbstractButton>(form, hidden)->isHidden()) << hidden;
    EXPECT_FALSE(child<QAbstractButton>(form, "btnEdit")->isHidden());

    form->Swap();
    for (const char* name : {"editAnumber", "editZnumber", "editType", "editModel", "editShortName", "editFullName",
                             "editLast", "editNext", "editRT_Mon"})
        EXPECT_TRUE(child<QLineEdit>(form, name)->isReadOnly()) << name;
}

TEST_F(NextRepFormTest, GoToFieldFocusesTheEditorOfTheColumnOrOnlySwitches)
{
    TNextRepForm* form = schedule();
    const std::pair<const char*, const char*> map[] = {
        {"ANumber", "editAnumber"},     {"znumber", "editZnumber"},       {"name_devtype", "editType"},
        {"mark_devtype", "editModel"},  {"short_reps", "editShortName"}, {"name_reps", "editFullName"},
        {"lastrep", "editLast"},        {"NEXTREP", "editNext"},          {"rt_mon", nullptr},
        {"IDevice", nullptr}};
    for (const auto& [field, editor] : map) {
        ASSERT_FALSE(form->isFormView());
        form->GoToField(field);
        EXPECT_TRUE(form->isFormView()) << field;
        if (editor)
            EXPECT_EQ(QApplication::focusWidget(), form->findChild<QWidget*>(editor)) << field;
        else
            EXPECT_FALSE(QApplication::focusWidget() && QApplication::focusWidget()->objectName().startsWith("edit")) << field;
        form->Swap();
    }
}

// Edit lands the device window on the row's device and service, from either of its views, with
// the focus in its services grid; a device the device window does not list is said so, and that
// window stays where it was.
TEST_F(NextRepFormTest, EditOpensTheDeviceOnItsServiceAndNeverOnAnother)
{
    TNextRepForm* form = schedule();
    ASSERT_TRUE(locate(form, 3));
    trigger(form, "Edit");
    auto* devices = qobject_cast<TDeviceForm*>(main->findChildWindow("TDeviceForm"));
    ASSERT_TRUE(devices);
    const auto where = [&] {
        return std::tuple(devices->isFormView(), child<QTabWidget>(devices, "FormPanel")->currentIndex(),
                          devices->dsMain()->value("ID_Device").toInt(), ds(devices, "dsNextRep")->value("ID_NextRep").toInt());
    };
    EXPECT_EQ(where(), std::tuple(true, 0, 2, 3));
    EXPECT_EQ(QApplication::focusWidget(), child<DatasetGrid>(devices, "gridService"));

    // Already in its form view, on another page and another device.
    child<QTabWidget>(devices, "FormPanel")->setCurrentIndex(1);
    main->openOrActivate("TNextRepForm");
    ASSERT_TRUE(locate(form, 1));
    trigger(form, "Edit");
    EXPECT_EQ(where(), std::tuple(true, 0, 1, 1));

    // The device window filtered to A-1: A-2's service cannot be shown there.
    devices->setColumnFilter("ANumber", "A-1");
    devices->Swap();
    main->openOrActivate("TNextRepForm");
    ASSERT_TRUE(locate(form, 3));
    messages.clear();
    trigger(form, "Edit");
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::NextRepDeviceNotListed)});
    EXPECT_FALSE(devices->isFormView());
    EXPECT_EQ(devices->dsMain()->value("ID_Device").toInt(), 1);
}

TEST_F(NextRepFormTest, DueCommandsNarrowThroughTheFilterRowAndRowsAreMarked)
{
    TNextRepForm* form = schedule();
    const QStringList all = ids(form);
    EXPECT_EQ(all, QStringList({"1", "2", "3", "4"}));
    DueMarks* marks = form->dueMarks();
    ASSERT_TRUE(locate(form, 1));
    EXPECT_EQ(marks->stateOfRow(form->dsMain()->currentRow()), DueRule::State::Overdue);
    ASSERT_TRUE(locate(form, 3));
    EXPECT_EQ(marks->stateOfRow(form->dsMain()->currentRow()), DueRule::State::DueSoon);

    const int next = form->dsMain()->fieldIndex("NextRep");
    trigger(form, "ShowOverdue");
    EXPECT_EQ(ids(form), QStringList({"1"}));
    EXPECT_EQ(form->filterHeader()->filterText(next), DueRule::overdueCondition(Clock::today()));
    trigger(form, "ShowDueSoon");
    EXPECT_EQ(ids(form), QStringList({"3"}));
    EXPECT_EQ(form->filterHeader()->filterText(next), DueRule::dueSoonCondition(Clock::today(), 30));
    EXPECT_EQ(form->action("ShowDueSoon")->text(), FormatText(Str::DueFilterSoon, 30));
    trigger(form, "ShowAll");
    EXPECT_EQ(ids(form), all);
    EXPECT_TRUE(form->filterHeader()->filterText(next).isEmpty());

    // With a longer horizon the command and the marks follow; with none, there is nothing due soon.
    DueReminder::setHorizon(90);
    EXPECT_EQ(form->action("ShowDueSoon")->text(), FormatText(Str::DueFilterSoon, 90));
    trigger(form, "ShowDueSoon");
    EXPECT_EQ(ids(form), QStringList({"3", "4"}));
    trigger(form, "ShowAll");
    DueReminder::setHorizon(DueRule::Off);
    form->updateOnIdle();
    EXPECT_FALSE(form->action("ShowDueSoon")->isEnabled());
    ASSERT_TRUE(locate(form, 3));
    EXPECT_EQ(marks->stateOfRow(form->dsMain()->currentRow()), DueRule::State::Later);
}

TEST_F(NextRepFormTest, MenuSelectorManagerAndTheNoticeOpenIt)
{
    main->updateActions();
    EXPECT_TRUE(main->action("OpenNextRep")->isEnabled());
    main->action("OpenNextRep")->trigger();
    auto* form = qobject_cast<TNextRepForm*>(main->findChildWindow("TNextRepForm"));
    ASSERT_TRUE(form);
    form->Swap();
    auto* selector = main->findChild<QComboBox*>("sComboTable");
    emit selector->activated(2);
    EXPECT_EQ(main->findChildWindow("TNextRepForm"), form); // at most one
    EXPECT_FALSE(form->isFormView());

    main->action("OpenManager")->trigger();
    auto* manager = qobject_cast<TManagerForm*>(main->findChildWindow("TManagerForm"));
    ASSERT_TRUE(manager);
    manager->runCode(21);
    EXPECT_TRUE(form->isFormView());
    manager->runCode(20);
    EXPECT_FALSE(form->isFormView());

    // The start-up notice's button: the schedule narrowed to what is due.
    main->openDueSchedule();
    EXPECT_EQ(ids(form), QStringList({"1", "3"}));
}
