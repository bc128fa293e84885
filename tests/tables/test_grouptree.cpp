#include "TablesFixture.h"

#include "data/Dataset.h"
#include "tables/GroupTreeBuilder.h"
#include "tables/PasportListFrm.h"
#include "support/TestDatabase.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QTableView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// The tree as indented lines "text" per node, children two blanks deeper.
QStringList lines(const std::vector<GroupNode>& nodes, const QString& indent = {})
{
    QStringList out;
    for (const GroupNode& node : nodes) {
        out.append(indent + GroupTreeBuilder::nodeText(node));
        out += lines(node.children, indent + "  ");
    }
    return out;
}

QStringList lines(const QTreeWidgetItem* parent, const QString& indent = {})
{
    QStringList out;
    for (int i = 0; i < parent->childCount(); ++i) {
        out.append(indent + parent->child(i)->text(0));
        out += lines(parent->child(i), indent + "  ");
    }
    return out;
}

QTreeWidgetItem* findItem(QTreeWidget* tree, const QStringList& path)
{
    QTreeWidgetItem* item = tree->invisibleRootItem();
    for (const QString& text : path) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0).startsWith(text + " ("))
                next = item->child(i);
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

void selectColumn(TBaseForm& form, const QString& field)
{
    QTableView* grid = form.grid();
    grid->setCurrentIndex(grid->model()->index(0, form.dsMain()->fieldIndex(field)));
    form.updateOnIdle();
}

const QStringList kTypeLocationTree = {
    "<нет> (колич.=1)",          // a null parent has its children like any other
    "  Цех 2 (колич.=1)",        //
    "<пусто> (колич.=1)",        //
    "  <нет> (колич.=1)",        //
    "Манометр (колич.=3)",       //
    "  Цех 1 (колич.=2)",        //
    "  Цех 2 (колич.=1)",        //
    "Термометр (колич.=1)",      //
    "  Цех 1 (колич.=1)",
};

} // namespace

TEST(GroupTreeBuilder, LevelStatementsWordForWord)
{
    const GroupTreeBuilder one({"Name_DevType"}, "Pasport");
    EXPECT_EQ(one.levelStatement(0), "select Name_DevType,count(IIf(IsNull(Name_DevType), \"<empty>\", Name_DevType)) "
                                     "from Pasport group by Name_DevType;");
    const GroupTreeBuilder three({"Name_DevType", "Name_Location", "Name_State"}, "Pasport");
    EXPECT_EQ(three.levelStatement(1),
              "select Name_DevType,Name_Location,count(IIf(IsNull(Name_Location), \"<empty>\", Name_Location)) from "
              "Pasport where  (Name_DevType = :Name_DevType Or (IsNull(Name_DevType) And IsNull(:Name_DevType))) "
              " group by Name_DevType,Name_Location;");
    EXPECT_EQ(three.levelStatement(2),
              "select Name_DevType,Name_Location,Name_State,count(IIf(IsNull(Name_State), \"<empty>\", Name_State)) "
              "from Pasport where  (Name_Location = :Name_Location Or (IsNull(Name_Location) And "
              "IsNull(:Name_Location))) and  (Name_DevType = :Name_DevType Or (IsNull(Name_DevType) And "
              "IsNull(:Name_DevType)))  group by Name_DevType,Name_Location,Name_State;");
    EXPECT_EQ(three.allParentsStatement(1),
              "select Name_DevType,Name_Location,count(IIf(IsNull(Name_Location), \"<empty>\", Name_Location)) from "
              "Pasport group by Name_DevType,Name_Location;");
}

TEST(GroupTreeBuilder, NodeConditionsQuoteTextsOnly)
{
    struct Case {
        QVariant value;
        GroupNode::Kind kind;
        ResultSet::ColumnType type;
        QString condition;
    };
    const Case cases[] = {
        {"Манометр", GroupNode::Kind::Value, ResultSet::ColumnType::Text, "C = 'Манометр'"},
        {"O'Neil", GroupNode::Kind::Value, ResultSet::ColumnType::Text, "C = 'O''Neil'"},
        {12.5, GroupNode::Kind::Value, ResultSet::ColumnType::Real, "C = 12.5"},
        {qlonglong(7), GroupNode::Kind::Value, ResultSet::ColumnType::Integer, "C = 7"},
        {QDateTime(QDate(2024, 3, 5), QTime(0, 0)), GroupNode::Kind::Value, ResultSet::ColumnType::DateTime,
         "C = '2024-03-05 00:00:00'"},
        {QVariant(), GroupNode::Kind::Null, ResultSet::ColumnType::Text, "C = NULL"},
        {QVariant(), GroupNode::Kind::Null, ResultSet::ColumnType::Real, "C = NULL"},
        {QVariant(), GroupNode::Kind::Empty, ResultSet::ColumnType::Text, "C = ''"},
    };
    for (const Case& c : cases) {
        GroupNode node;
        node.value = c.value;
        node.kind = c.kind;
        EXPECT_EQ(GroupTreeBuilder::nodeCondition("C", node, c.type), c.condition) << c.condition.toStdString();
    }
}

class GroupTreeTest : public TablesFixture {};

TEST_F(GroupTreeTest, OneStatementPerLevelGivesTheTreeOfTheLevelStatements)
{
    const GroupTreeBuilder builder({"Name_DevType", "Name_Location"}, "Pasport");
    const std::vector<GroupNode> fast = builder.load(connection());
    EXPECT_EQ(lines(fast), kTypeLocationTree);
    EXPECT_EQ(fast, builder.loadPerParent(connection()));

    const GroupTreeBuilder byLocation({"Name_Location", "Price", "SetDate"}, "Pasport");
    EXPECT_EQ(byLocation.load(connection()), byLocation.loadPerParent(connection()));
    EXPECT_EQ(lines(byLocation.load(connection())).first(), "<нет> (колич.=1)");
}

TEST_F(GroupTreeTest, GroupingByTwoColumnsFromTheContextMenu)
{
    TPasportListForm form;
    form.show();
    selectColumn(form, "Name_DevType");
    EXPECT_TRUE(form.action("GroupCol")->isEnabled());
    EXPECT_FALSE(form.action("UngroupCol")->isEnabled());
    form.action("GroupCol")->trigger();
    selectColumn(form, "Name_DevType");
    EXPECT_FALSE(form.action("GroupCol")->isEnabled()); // the same column cannot be grouped twice
    EXPECT_TRUE(form.action("UngroupCol")->isEnabled());
    selectColumn(form, "Name_Location");
    form.action("GroupCol")->trigger();
    form.updateOnIdle();

    EXPECT_FALSE(form.findChild<QWidget*>("GroupBox")->isHidden());
    EXPECT_EQ(form.GroupFields(), QStringList({"Name_DevType", "Name_Location"}));
    EXPECT_EQ(lines(form.groupTree()->invisibleRootItem()), kTypeLocationTree);

    QTreeWidget* tree = form.groupTree();
    struct Click {
        QStringList path;
        QString filter;
        int rows;
    };
    const Click clicks[] = {
        {{"Манометр", "Цех 1"}, "Name_Location = 'Цех 1' and Name_DevType = 'Манометр'", 2},
        {{"Манометр"}, "Name_DevType = 'Манометр'", 3},
        {{"<нет>"}, "Name_DevType = NULL", 1},
        {{"<нет>", "Цех 2"}, "Name_Location = 'Цех 2' and Name_DevType = NULL", 1},
        {{"<пусто>", "<нет>"}, "Name_Location = NULL and Name_DevType = ''", 1},
    };
    for (const Click& click : clicks) {
        QTreeWidgetItem* item = findItem(tree, click.path);
        ASSERT_TRUE(item) << click.path.join('/').toStdString();
        tree->setCurrentItem(item);
        emit tree->itemClicked(item, 0);
        EXPECT_EQ(form.dsMain()->filter(), click.filter);
        EXPECT_TRUE(form.dsMain()->isFiltered());
        EXPECT_EQ(form.dsMain()->recordCount(), click.rows) << click.filter.toStdString();
    }
}

TEST_F(GroupTreeTest, NumberAndDateNodesFilterTheirRows)
{
    TPasportListForm form;
    form.show();
    form.setGroupFields({"SetDate", "Price"});
    form.updateOnIdle();
    QTreeWidget* tree = form.groupTree();
    QTreeWidgetItem* item = findItem(tree, {"05.03.2024", "10"});
    ASSERT_TRUE(item) << lines(tree->invisibleRootItem()).join('\n').toStdString();
    tree->setCurrentItem(item);
    emit tree->itemClicked(item, 0);
    EXPECT_EQ(form.dsMain()->filter(), "Price = 10 and SetDate = '2024-03-05 00:00:00'");
    EXPECT_EQ(form.dsMain()->recordCount(), 1);
    EXPECT_EQ(form.dsMain()->value("ANumber").toString(), "A-1");
    tree->setCurrentItem(item->parent());
    emit tree->itemClicked(item->parent(), 0);
    EXPECT_EQ(form.dsMain()->recordCount(), 2);
}

// A level the database rejects takes its column out of the grouping and leaves the tree as it was;
// the idle step that rebuilds the tree reports the error instead of letting it leave the event loop.
TEST_F(GroupTreeTest, ARejectedGroupingColumnLeavesTheGroupingAndTheTreeStays)
{
    TPasportListForm form;
    form.show();
    form.setGroupFields({"Name_DevType"});
    form.updateOnIdle();
    const QStringList built = lines(form.groupTree()->invisibleRootItem());
    ASSERT_FALSE(built.isEmpty());

    messages.clear();
    EXPECT_THROW(form.setGroupFields({"Name_DevType", "NoSuchColumn"}), DatabaseError);
    EXPECT_EQ(form.GroupFields(), QStringList({"Name_DevType"}));
    EXPECT_EQ(lines(form.groupTree()->invisibleRootItem()), built);
    const int type = form.dsMain()->fieldIndex("Name_DevType");
    EXPECT_EQ(form.grid()->model()->headerData(type, Qt::Horizontal).toString(), "Name_DevType  груп(1)");

    // Grouped while the box is hidden, and the column gone before the idle step shows the box.
    form.findChild<QAbstractButton*>("btnCloseGroupBox")->click();
    form.updateOnIdle();
    form.setGroupFields({"Name_Location"});
    const QStringList byLocation = lines(form.groupTree()->invisibleRootItem());
    connection().execute("alter table Pasport drop column Name_Location");
    messages.clear();
    EXPECT_NO_THROW(emit QAbstractEventDispatcher::instance()->aboutToBlock());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Error);
    EXPECT_TRUE(form.GroupFields().isEmpty());
    EXPECT_EQ(lines(form.groupTree()->invisibleRootItem()), byLocation);
    EXPECT_NO_THROW(emit QAbstractEventDispatcher::instance()->aboutToBlock());
    EXPECT_TRUE(form.findChild<QWidget*>("GroupBox")->isHidden());
    EXPECT_EQ(messages.shown().size(), 1);
}

TEST_F(GroupTreeTest, TitleMarksAreRenumberedWhenTheMiddleColumnGoes)
{
    TPasportListForm form;
    form.show();
    form.setGroupFields({"Name_DevType", "Name_Location", "ANumber"});
    auto* model = form.grid()->model();
    auto title = [&](const char* field) {
        return model->headerData(form.dsMain()->fieldIndex(field), Qt::Horizontal).toString();
    };
    EXPECT_EQ(title("ANumber"), "ANumber  груп(3)");
    const int type = form.dsMain()->fieldIndex("Name_DevType");
    EXPECT_TRUE(model->headerData(type, Qt::Horizontal, Qt::FontRole).value<QFont>().underline());
    EXPECT_EQ(model->headerData(type, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::blue));

    selectColumn(form, "Name_Location");
    form.action("UngroupCol")->trigger();
    EXPECT_EQ(title("Name_DevType"), "Name_DevType  груп(1)");
    EXPECT_EQ(title("ANumber"), "ANumber  груп(2)");
    EXPECT_EQ(title("Name_Location"), "Name_Location");
    EXPECT_FALSE(model->headerData(form.dsMain()->fieldIndex("Name_Location"), Qt::Horizontal, Qt::FontRole)
                     .value<QFont>()
                     .underline());
}

TEST_F(GroupTreeTest, CloseButtonEndsGroupingAndClearsTheFilter)
{
    TPasportListForm form;
    form.show();
    form.setGroupFields({"Name_DevType"});
    form.updateOnIdle();
    QTreeWidget* tree = form.groupTree();
    QTreeWidgetItem* item = findItem(tree, {"Термометр"});
    ASSERT_TRUE(item);
    tree->setCurrentItem(item);
    emit tree->itemClicked(item, 0);
    EXPECT_EQ(form.dsMain()->recordCount(), 1);

    form.findChild<QAbstractButton*>("btnCloseGroupBox")->click();
    form.updateOnIdle();
    EXPECT_TRUE(form.GroupFields().isEmpty());
    EXPECT_TRUE(form.findChild<QWidget*>("GroupBox")->isHidden());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_FALSE(form.dsMain()->isFiltered());
    EXPECT_TRUE(form.dsMain()->filter().isEmpty());
    EXPECT_EQ(form.dsMain()->recordCount(), 6);
}

TEST(GroupTreeOnDemo, EveryNodeFiltersToItsCount)
{
    TempWorkDir dir;
    MessageRecorder messages;
    TestDatabase::createDemoDatabase(dir.path());
    TDM dm;
    TPasportListForm form;
    form.show();
    const GroupTreeBuilder builder({"Name_DevType", "Name_Location"}, "Pasport");
    ASSERT_EQ(builder.load(*dm.ADOConnection()), builder.loadPerParent(*dm.ADOConnection()));

    form.setGroupFields({"Name_DevType", "Name_Location"});
    form.updateOnIdle();
    QTreeWidget* tree = form.groupTree();
    ASSERT_GT(tree->topLevelItemCount(), 1);
    int checked = 0;
    auto countOf = [](const QTreeWidgetItem* item) { return item->text(0).section("=", -1).chopped(1).toInt(); };
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        tree->setCurrentItem(*it);
        form.GroupTreeClick();
        const QString text = (*it)->text(0);
        EXPECT_EQ(form.dsMain()->recordCount(), countOf(*it)) << text.toStdString();
        if ((*it)->parent() == nullptr) { // the children of every node, "<нет>" included, add up to it
            int children = 0;
            for (int i = 0; i < (*it)->childCount(); ++i)
                children += countOf((*it)->child(i));
            EXPECT_EQ(children, countOf(*it)) << text.toStdString();
        }
        ++checked;
    }
    EXPECT_GT(checked, 2);
}
