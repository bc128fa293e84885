#include "DevicesFixture.h"

#include "devices/rules/KitRules.h"
#include "text/StrList.h"

namespace {

// Two kits of the small plant:
//   1 A-1 (head)          5 A-2 (head)
//   ├ 2 A-2               └ 6 A-3
//   │ └ 4 A-3
//   └ 3 A-3
// Device 3 stands in both kits, device 2 heads one and is a member of the other.
class KitRulesTest : public DevicesFixture {
protected:
    void SetUp() override
    {
        DevicesFixture::SetUp();
        plant();
        run("insert into Complect (ID_Complect, IRoot, IDevice) values (1, 0, 1), (2, 1, 2), (3, 1, 3), (4, 2, 3), "
            "(5, 0, 2), (6, 5, 3)");
    }
    static QList<qint64> ids(const std::vector<KitNode>& nodes)
    {
        QList<qint64> list;
        for (const KitNode& node : nodes) {
            list.append(node.id);
            list.append(ids(node.children));
        }
        return list;
    }
};

} // namespace

TEST_F(KitRulesTest, ForestHasItsLevelsTextsAndEqualsThePerParentForm)
{
    const std::vector<KitNode> forest = KitRules::load(connection());
    EXPECT_EQ(ids(forest), QList<qint64>({1, 2, 4, 3, 5, 6}));
    ASSERT_EQ(forest.size(), 2u);
    EXPECT_EQ(forest[0].text, QString("Манометр (МП-100), Инв.A-1, Зав.Z-1"));
    EXPECT_EQ(forest[0].children[1].text, QString(" (), Инв.A-3, Зав.")); // no type, no serial
    EXPECT_EQ(forest, KitRules::loadPerParent(connection()));
    EXPECT_EQ(KitRules::depth(connection()), 3);

    run("delete from Complect");
    EXPECT_TRUE(KitRules::load(connection()).empty());
    EXPECT_EQ(KitRules::depth(connection()), 0);
}

TEST_F(KitRulesTest, StatementTexts)
{
    EXPECT_EQ(KitRules::depthStatement(2), QString("select ID_Complect from Complect where IRoot in (select ID_Complect "
                                                   "from Complect where IRoot in (select ID_Complect from Complect "
                                                   "where IRoot = 0))"));
    EXPECT_EQ(KitRules::levelStatement(0), QString("select ID_Complect, Name_DevType, Mark_DevType, ANumber, ZNumber "
                                                   "from ComplectView where IRoot = 0;"));
    EXPECT_TRUE(KitRules::levelStatement(3).endsWith("where IRoot = :ID_Complect;"));
    EXPECT_EQ(KitRules::levelQueryName(2), QString("qry2"));
    EXPECT_EQ(KitRules::insertStatement(7, 12), QString("insert into Complect (IRoot,IDevice) values (7,12);"));
    EXPECT_EQ(KitRules::kitViewStatement(KitRules::kitMembers(7)),
              QString("select * from Pasport where ID_Device in (select IDevice from Complect where IRoot = 7) and\r1=1;"));
}

TEST_F(KitRulesTest, CycleThroughAnIdZeroRowStopsEveryWalkAndNamesTheRow)
{
    run("insert into Complect (ID_Complect, IRoot, IDevice) values (0, 0, 1)");
    const auto expectCycle = [](const std::function<void()>& walk) {
        try {
            walk();
            ADD_FAILURE() << "no cycle found";
        } catch (const KitCycleError& error) {
            EXPECT_TRUE(error.message().contains("ID_Complect = 0 (IRoot = 0)")) << error.message().toStdString();
            EXPECT_FALSE(error.message().contains("ID_Complect = 1 ")) << error.message().toStdString();
        }
    };
    expectCycle([&] { KitRules::load(connection()); });
    expectCycle([&] { KitRules::loadPerParent(connection()); });
    expectCycle([&] { KitRules::deleteKit(connection(), 0); });
    EXPECT_EQ(count("select count(*) from Complect"), 7); // nothing deleted
}

TEST_F(KitRulesTest, CycleAboveANodeStopsTheAddWalk)
{
    run("insert into Complect (ID_Complect, IRoot, IDevice) values (7, 8, 1), (8, 7, 2), (9, 7, 3)");
    EXPECT_THROW(KitRules::checkAdd(connection(), 9, 99), KitCycleError);
    EXPECT_THROW(KitRules::deletionOrder(connection(), 7), KitCycleError);
}

TEST_F(KitRulesTest, AddChecksInTheirOrder)
{
    using R = KitRules::AddRefusal;
    const struct {
        qint64 node, device;
        R expected;
    } cases[] = {
        {0, 3, R::None},         // a new top-level kit
        {0, 1, R::AlreadyInKit}, // already a head
        {1, 1, R::IntoItself},   // under its own node
        {4, 1, R::IntoItself},   // under a member of its own kit
        {4, 2, R::IntoItself},   // under its own member
        {4, 3, R::IntoItself},
        {2, 3, R::AlreadyInKit},
        {6, 1, R::None},         // the same device in two kits is allowed
        {99, 1, R::BrokenChain}, // the node is gone
    };
    for (const auto& c : cases)
        EXPECT_EQ(KitRules::checkAdd(connection(), c.node, c.device), c.expected) << c.node << " " << c.device;
    run("update Complect set IRoot = 42 where ID_Complect = 2"); // its head row is missing
    EXPECT_EQ(KitRules::checkAdd(connection(), 4, 1), R::BrokenChain);
}

TEST_F(KitRulesTest, DeletionTakesMembersBeforeTheirHeadAndKeepsTheRest)
{
    EXPECT_EQ(KitRules::deletionOrder(connection(), 1), QList<qint64>({4, 2, 3, 1}));
    EXPECT_EQ(KitRules::deletionOrder(connection(), 0), QList<qint64>({4, 2, 3, 6, 1, 5}));
    EXPECT_TRUE(KitRules::hasMembers(connection(), 2));
    EXPECT_FALSE(KitRules::hasMembers(connection(), 4));

    EXPECT_EQ(KitRules::deleteKit(connection(), 2), 2);
    EXPECT_EQ(ids(KitRules::load(connection())), QList<qint64>({1, 3, 5, 6}));
    EXPECT_EQ(KitRules::deleteKit(connection(), 0), 4);
    EXPECT_EQ(count("select count(*) from Complect"), 0);
    EXPECT_EQ(KitRules::deleteKit(connection(), 0), 0);
}

TEST_F(KitRulesTest, KitViewFallsBackToTheParentForANodeWithoutMembers)
{
    const auto listed = [&](qint64 node, qint64 parent) {
        QString statement = KitRules::kitViewFor(connection(), node, parent);
        statement.replace("\r1=1;", " 1=1 order by ID_Device;");
        QList<int> devices;
        const auto rows = connection().select(statement);
        for (int r = 0; r < rows->rowCount(); ++r)
            devices.append(rows->value(r, rows->indexOf("ID_Device")).toInt());
        return devices;
    };
    EXPECT_EQ(listed(0, 0), QList<int>({1, 2}));  // the heads
    EXPECT_EQ(listed(1, 0), QList<int>({2, 3}));  // direct members, without the head
    EXPECT_EQ(listed(4, 2), QList<int>({3}));     // no members: its kit's members
    EXPECT_EQ(listed(3, 1), QList<int>({2, 3}));  // siblings
}
