#include "WindowsFixture.h"

#include "devices/DeviceFrm.h"
#include "devices/KitPanel.h"
#include "text/StrList.h"

#include <QLineEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// The kits of the small plant:
//   1 A-1 (head)          5 A-2 (head)
//   ├ 2 A-2               └ 6 A-3
//   │ └ 4 A-3
//   └ 3 A-3
class KitPanelTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        run("insert into Complect (ID_Complect, IRoot, IDevice) values (1, 0, 1), (2, 1, 2), (3, 1, 3), (4, 2, 3), "
            "(5, 0, 2), (6, 5, 3)");
    }

    // The device window with its kit panel switched on by "Show kits", as the user does it.
    TDeviceForm* devicesWithKits()
    {
        auto* form = open<TDeviceForm>("TDeviceForm");
        tree = child<QTreeWidget>(form, "ComplectTree");
        main->updateActions();
        EXPECT_TRUE(main->action("CheckComplect")->isEnabled());
        main->action("CheckComplect")->trigger();
        EXPECT_TRUE(form->ComplectVisible());
        form->updateOnIdle();
        return form;
    }
    QTreeWidgetItem* node(qint64 value)
    {
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toLongLong() == value)
                return *it;
        ADD_FAILURE() << "no node " << value;
        return nullptr;
    }
    void select(qint64 value) { tree->setCurrentItem(node(value)); }
    QTreeWidgetItem* selected() { return tree->selectedItems().value(0); }
    QList<int> listed(TDeviceForm* form)
    {
        QList<int> ids;
        Dataset* list = form->dsMain();
        for (list->first(); !list->eof(); list->next())
            ids << list->value("ID_Device").toInt();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    QList<qint64> kitIds(qint64 root)
    {
        QList<qint64> ids;
        for (QTreeWidgetItemIterator it(node(root)); *it; ++it)
            ids << (*it)->data(0, Qt::UserRole).toLongLong();
        return ids;
    }
    int rows() { return count("select count(*) from Complect"); }

    QTreeWidget* tree = nullptr;
};

} // namespace

TEST_F(KitPanelTest, ShowKitsBuildsTheTreeAndTheCloseButtonListsAllDevicesAgain)
{
    main->updateActions();
    EXPECT_FALSE(main->action("CheckComplect")->isEnabled()); // no device window

    TDeviceForm* form = devicesWithKits();
    EXPECT_TRUE(main->action("CheckComplect")->isChecked());
    EXPECT_FALSE(child<QWidget>(form, "TreePanel")->isHidden());
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), Text(Str::KitAllDevices));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), Text(Str::KitRoot));
    EXPECT_EQ(kitIds(0), QList<qint64>({0, 1, 2, 4, 3, 5, 6})); // the database's order, members under their head
    EXPECT_EQ(node(1)->text(0), QString("Манометр (МП-100), Инв.A-1, Зав.Z-1"));
    EXPECT_EQ(node(6)->text(0), QString(" (), Инв.A-3, Зав."));
    for (const char* command : {"ShowKit", "AddComplect", "DelComplect"})
        EXPECT_FALSE(child<QAction>(form, command)->isEnabled()) << command; // nothing selected yet

    // What "!" lists, and the filter row still narrowing it.
    struct Case {
        qint64 node;
        QList<int> devices;
    };
    for (const Case& c : {Case{0, {1, 2}},    // "Kits": the heads
                          Case{2, {3}},       // a member with members: them, without itself
                          Case{3, {2, 3}},    // a member without members: its kit's members
                          Case{5, {3}},       // the other kit
                          Case{-1, {1, 2, 3}}}) {
        select(c.node);
        trigger(form, "ShowKit");
        EXPECT_EQ(listed(form), c.devices) << "node " << c.node;
    }
    select(0);
    trigger(form, "ShowKit");
    ASSERT_TRUE(form->setFilterText("ANumber", "A-2"));
    EXPECT_EQ(listed(form), QList<int>({2}));
    ASSERT_TRUE(form->setFilterText("ANumber", ""));

    // Selecting or clicking a node changes nothing in the list.
    select(3);
    trigger(form, "ShowKit");
    const QString statement = form->dsMain()->sql();
    form->LocateDevice(3);
    QCoreApplication::processEvents(); // the panel laid out
    for (qint64 value : {qint64(-1), qint64(5)}) {
        const QRect place = tree->visualItemRect(node(value));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
        QCoreApplication::processEvents();
        EXPECT_EQ(selected(), node(value)) << value;
    }
    EXPECT_EQ(form->dsMain()->sql(), statement);
    EXPECT_EQ(listed(form), QList<int>({2, 3}));

    QTest::mouseClick(child<QToolButton>(form, "btnCloseKits"), Qt::LeftButton);
    EXPECT_FALSE(form->ComplectVisible());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(listed(form), QList<int>({1, 2, 3}));
    form->updateOnIdle();
    EXPECT_TRUE(child<QWidget>(form, "TreePanel")->isHidden());
    main->updateActions();
    EXPECT_FALSE(main->action("CheckComplect")->isChecked());
}

// A new device that the kit shown or the filter row leaves out: the list shows every device again,
// the form shows the new one (never the device that was current, to be typed over) and says why.
TEST_F(KitPanelTest, InsertAndSameInANarrowedListShowTheNewDevice)
{
    TDeviceForm* form = devicesWithKits();
    select(0);
    trigger(form, "ShowKit");
    ASSERT_EQ(listed(form), QList<int>({1, 2}));
    ASSERT_TRUE(form->LocateDevice(1));
    form->Swap();
    auto* shownId = child<QLineEdit>(form, "editID_Device");
    auto* status = child<QStatusBar>(form, "StatusBar");

    trigger(form, "Same");
    EXPECT_EQ(form->dsMain()->value("ID_Device").toInt(), 4);
    EXPECT_EQ(ds(form, "dsDevice")->value("ID_Device").toInt(), 4);
    EXPECT_EQ(shownId->text(), "4");
    EXPECT_EQ(listed(form), QList<int>({1, 2, 3, 4}));
    EXPECT_EQ(selected(), node(KitPanel::AllDevices)); // the tree says what the list shows
    EXPECT_EQ(status->currentMessage(), Text(Str::FilterLiftedForNewRow));

    ASSERT_TRUE(form->setFilterText("ANumber", "A-2"));
    ASSERT_EQ(listed(form), QList<int>({2}));
    trigger(form, "Insert2");
    EXPECT_EQ(form->dsMain()->value("ID_Device").toInt(), 5);
    EXPECT_EQ(shownId->text(), "5");
    EXPECT_TRUE(form->columnFilter("ANumber").isEmpty());
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 2 and ANumber = 'A-2'"), 1);

    // Where the list shows the new row anyway, nothing is lifted.
    ASSERT_TRUE(form->setFilterText("ID_Device", ">1"));
    status->clearMessage();
    trigger(form, "Same");
    EXPECT_EQ(form->dsMain()->value("ID_Device").toInt(), 6);
    EXPECT_EQ(form->columnFilter("ID_Device"), ">1");
    EXPECT_TRUE(status->currentMessage().isEmpty());
}

TEST_F(KitPanelTest, AddChecksInOrderAndSelectsTheNodeItWentUnder)
{
    run("delete from Complect");
    TDeviceForm* form = devicesWithKits();
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(node(0)->childCount(), 0);

    // A new top-level kit headed by device 1, then device 2 under it.
    ASSERT_TRUE(form->LocateDevice(1));
    select(0);
    trigger(form, "AddComplect");
    const qint64 head = scalar("select ID_Complect from Complect where IRoot = 0 and IDevice = 1").toLongLong();
    ASSERT_GT(head, 0);
    EXPECT_EQ(selected(), node(0));
    select(head);
    ASSERT_TRUE(form->LocateDevice(2));
    trigger(form, "AddComplect");
    const qint64 member = scalar(QString("select ID_Complect from Complect where IRoot = %1").arg(head)).toLongLong();
    EXPECT_EQ(selected(), node(head));
    EXPECT_TRUE(node(head)->isExpanded());
    EXPECT_TRUE(messages.shown().isEmpty());

    // Refusals, each with its box and nothing added.
    struct Case {
        qint64 under;
        int device;
        Str refusal;
    };
    for (const Case& c : {Case{member, 1, Str::KitIntoItself}, // the head under its own member
                          Case{member, 2, Str::KitIntoItself}, // a device under its own node
                          Case{head, 2, Str::KitAlreadyInKit}}) {
        messages.clear();
        select(c.under);
        ASSERT_TRUE(form->LocateDevice(c.device));
        trigger(form, "AddComplect");
        EXPECT_EQ(messages.texts(), QStringList({Text(c.refusal)})) << c.under << " " << c.device;
        EXPECT_EQ(rows(), 2);
    }

    // The same device in a second kit is allowed; every node of the kit it went under is selected.
    select(0);
    ASSERT_TRUE(form->LocateDevice(3));
    trigger(form, "AddComplect");
    const qint64 second = scalar("select ID_Complect from Complect where IRoot = 0 and IDevice = 3").toLongLong();
    select(second);
    ASSERT_TRUE(form->LocateDevice(2));
    trigger(form, "AddComplect");
    EXPECT_EQ(count("select count(*) from Complect where IDevice = 2"), 2);
    EXPECT_EQ(selected(), node(second));

    // A kit view without devices leaves nothing to add.
    select(member);
    trigger(form, "ShowKit"); // no members: the kit's members, device 2
    EXPECT_EQ(listed(form), QList<int>({2}));
    run(QString("delete from Complect where ID_Complect = %1").arg(member));
    trigger(form, "ShowKit"); // the node's row is gone and its kit now empty
    EXPECT_TRUE(form->dsMain()->isEmpty());
    form->updateOnIdle();
    EXPECT_FALSE(child<QAction>(form, "AddComplect")->isEnabled());
}

TEST_F(KitPanelTest, DeleteAsksItsQuestionsAndRemovesMembersWithTheirHead)
{
    TDeviceForm* form = devicesWithKits();

    // A node with members asks first; No keeps everything.
    select(2);
    messages.answerNext(false);
    trigger(form, "DelComplect");
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::KitDeleteKitConfirm)}));
    EXPECT_EQ(rows(), 6);

    messages.clear();
    messages.answerNext(true);
    trigger(form, "DelComplect");
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::KitDeleteKitConfirm)}));
    EXPECT_EQ(kitIds(0), QList<qint64>({0, 1, 3, 5, 6}));
    EXPECT_EQ(selected(), node(1)); // the deleted node's head

    // A node without members goes without a question; its head is selected after.
    messages.clear();
    select(6);
    trigger(form, "DelComplect");
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(kitIds(0), QList<qint64>({0, 1, 3, 5}));
    EXPECT_EQ(selected(), node(5));

    // "Kits": every kit, after its own question.
    select(0);
    messages.answerNext(false);
    trigger(form, "DelComplect");
    EXPECT_EQ(rows(), 3);
    messages.clear();
    messages.answerNext(true);
    trigger(form, "DelComplect");
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::KitDeleteAllConfirm)}));
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(kitIds(0), QList<qint64>({0}));
    EXPECT_EQ(selected(), node(0));
}

TEST_F(KitPanelTest, StoredPanelComesBackWithItsWidth)
{
    TDeviceForm* form = devicesWithKits();
    auto* splitter = child<QSplitter>(form, "TreeSplitter");
    splitter->setSizes({233, splitter->width() - 233});
    main->mdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    ASSERT_FALSE(main->findChildWindow("TDeviceForm"));

    form = open<TDeviceForm>("TDeviceForm");
    tree = child<QTreeWidget>(form, "ComplectTree");
    EXPECT_TRUE(form->ComplectVisible());
    EXPECT_EQ(kitIds(0), QList<qint64>({0, 1, 2, 4, 3, 5, 6}));
    form->updateOnIdle();
    EXPECT_EQ(child<QSplitter>(form, "TreeSplitter")->sizes().value(0), 233);
    main->updateActions();
    EXPECT_TRUE(main->action("CheckComplect")->isChecked());
}

TEST_F(KitPanelTest, AKitUnderItselfEndsWithAMessageAndTheRootsOnly)
{
    run("insert into Complect (ID_Complect, IRoot, IDevice) values (0, 0, 1)");
    TDeviceForm* form = devicesWithKits();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.texts().value(0).contains("ID_Complect = 0")) << messages.texts().value(0).toStdString();
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(node(0)->childCount(), 0);
    QTest::mouseClick(child<QToolButton>(form, "btnCloseKits"), Qt::LeftButton);
    EXPECT_FALSE(form->ComplectVisible());
}
