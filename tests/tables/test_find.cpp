#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tables/FindDialog.h"
#include "tables/GridFind.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using GridFind::Direction;
using GridFind::Match;

TEST(GridFind, MatchingWithUnicodeCaseFolding)
{
    const struct {
        QString cell, text;
        Match match;
        bool caseSensitive, found;
    } cases[] = {
        {"Манометр ДМ-2010", "манометр", Match::AnyPart, false, true},
        {"Манометр ДМ-2010", "МАНОМЕТР", Match::AnyPart, false, true},
        {"Манометр ДМ-2010", "манометр", Match::AnyPart, true, false},
        {"Манометр ДМ-2010", "дм-20", Match::AnyPart, false, true},
        {"Ёмкость", "ёмк", Match::Start, false, true},
        {"Ёмкость", "ёмк", Match::Start, true, false},
        {"Манометр ДМ-2010", "дм-20", Match::Start, false, false},
        {"Манометр", "манометр", Match::Whole, false, true},
        {"Манометр ДМ-2010", "манометр", Match::Whole, false, false},
        {"ABC", "b", Match::AnyPart, false, true},
        {"", "", Match::Whole, false, true},
        {"x", "", Match::Whole, false, false},
    };
    for (const auto& c : cases) {
        GridFind::Options options;
        options.text = c.text;
        options.match = c.match;
        options.caseSensitive = c.caseSensitive;
        EXPECT_EQ(GridFind::matches(c.cell, options), c.found) << c.cell.toStdString() << " / " << c.text.toStdString();
    }
}

TEST(GridFind, DirectionsAndWrapping)
{
    // rows 0..5; the "x" rows are 1 and 4
    const QStringList rows = {"a", "x", "b", "c", "x", "d"};
    auto isX = [&](int row) { return rows[row] == "x"; };
    const struct {
        int current;
        Direction direction;
        int found;
    } cases[] = {
        {0, Direction::Down, 1}, {1, Direction::Down, 4}, {4, Direction::Down, -1},
        {5, Direction::Up, 4},   {4, Direction::Up, 1},   {1, Direction::Up, -1},
        {4, Direction::All, 1},  // wraps round to the top
        {2, Direction::All, 4},  {-1, Direction::All, 1}, {-1, Direction::Up, 1}, // no current row: from the top
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridFind::findRow(int(rows.size()), c.current, c.direction, isX), c.found)
            << "from " << c.current << " direction " << int(c.direction);
    auto only1 = [&](int row) { return row == 1; };
    EXPECT_EQ(GridFind::findRow(6, 1, Direction::All, only1), 1) << "the current row is found last with All";
    EXPECT_EQ(GridFind::findRow(6, 1, Direction::Down, only1), -1);
    EXPECT_EQ(GridFind::findRow(0, -1, Direction::All, only1), -1);
}

class FindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table Device (ID_Device INTEGER PRIMARY KEY AUTOINCREMENT, Name varchar(80), "
                          "ANumber varchar(80), Price decimal(18,6))",
                          "insert into Device (Name, ANumber, Price) values ('Манометр', 'A-1', 2.26), "
                          "('Термометр', 'МАН-7', 3), ('манометр ДМ', 'A-3', 4.5), ('Вольтметр', 'B-9', NULL)"});
        connection.setDatabaseFile(dir.file("Device.db"));
        ds = std::make_unique<Dataset>(&connection);
        ds->setSql("select * from Device order by ID_Device;");
        ds->open();
        ds->fieldByName("ID_Device").setVisible(false);
        ds->fieldByName("Name").setLabel(QStringLiteral("Наименование"));
        ds->fieldByName("Price").setDisplayFormat("0.0");
    }

    TempWorkDir dir;
    SqlConnection connection;
    std::unique_ptr<Dataset> ds;
};

TEST_F(FindTest, SearchesOneFieldOrEveryVisibleField)
{
    GridFind::Options options;
    options.text = "ман";
    EXPECT_EQ(GridFind::findRow(*ds, {"Name"}, options), 2); // from row 0: the next one is row 2
    EXPECT_EQ(GridFind::findRow(*ds, {}, options), 1);       // any visible column: ANumber "МАН-7"
    options.text = "4";
    options.direction = Direction::Down;
    ds->setRecNo(3);
    EXPECT_EQ(GridFind::findRow(*ds, {}, options), -1) << "the hidden ID_Device 4 of the last row is not searched";
    ds->first();
    options.direction = Direction::All;
    options.text = "2,3"; // 2.26 shown with "0.0"
    EXPECT_EQ(GridFind::findRow(*ds, {"price"}, options), 0);
    options.formatSensitive = false;
    EXPECT_EQ(GridFind::findRow(*ds, {"price"}, options), -1);
    options.text = "2,26";
    EXPECT_EQ(GridFind::findRow(*ds, {"price"}, options), 0);
}

TEST_F(FindTest, DialogStartsFromTheCurrentCellAndMovesTheDataset)
{
    FindDialog dialog;
    dialog.setDataset(ds.get());
    EXPECT_EQ(dialog.windowTitle(), Text(Str::FindCaption));
    auto* direction = dialog.findChild<QComboBox*>("cbDirection");
    EXPECT_EQ(direction->currentText(), Text(Str::FindAll));
    auto* columns = dialog.findChild<QComboBox*>("cbFindIn");
    EXPECT_EQ(columns->count(), 4); // all + three visible columns
    EXPECT_EQ(dialog.findChild<QComboBox*>("cbMatching")->currentText(), Text(Str::FindMatchAnyPart));

    dialog.setSearch("МАНОМЕТР", "NAME");
    EXPECT_EQ(columns->currentText(), "Наименование");
    EXPECT_EQ(dialog.fieldName(), "Name");
    EXPECT_TRUE(dialog.findNext());
    EXPECT_EQ(ds->recNo(), 3);
    EXPECT_TRUE(dialog.findNext()); // All wraps round to the first row
    EXPECT_EQ(ds->recNo(), 1);

    dialog.findChild<QComboBox*>("cbMatching")->setCurrentIndex(int(Match::Whole));
    dialog.setSearch("Вольтметр", "Name");
    ds->last();
    EXPECT_TRUE(dialog.findNext());
    EXPECT_EQ(ds->recNo(), 4) << "found again as the last row of the wrap";

    direction->setCurrentIndex(int(Direction::Down));
    EXPECT_FALSE(dialog.findNext());
    EXPECT_EQ(ds->recNo(), 4) << "not found: the dataset stays";

    dialog.setSearch("x", "NoSuchField");
    EXPECT_TRUE(dialog.fieldName().isEmpty());
}

// The dialog stays open for the next search: it moves off the row it found, and says so when a
// search finds nothing more.
TEST_F(FindTest, DialogKeepsTheFoundRowInSightAndSaysWhenNothingIsFound)
{
    QWidget window;
    auto* grid = new QTableView(&window);
    DatasetModel model(ds.get());
    grid->setModel(&model);
    grid->setGeometry(0, 0, 500, 300);
    window.setGeometry(100, 100, 500, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), grid);

    FindDialog dialog(&window);
    dialog.setDataset(ds.get());
    dialog.setSearch("Вольтметр", "Name");
    dialog.show();
    auto rowOnScreen = [&](int row) {
        const QRect cell = grid->visualRect(model.index(row, 1));
        return QRect(grid->viewport()->mapToGlobal(QPoint(0, cell.top())), QSize(grid->viewport()->width(), cell.height()));
    };
    dialog.move(dialog.pos() + rowOnScreen(3).center() - dialog.frameGeometry().center());
    ASSERT_TRUE(dialog.frameGeometry().intersects(rowOnScreen(3)));
    EXPECT_TRUE(dialog.findNext());
    EXPECT_EQ(ds->recNo(), 4);
    EXPECT_FALSE(dialog.frameGeometry().intersects(rowOnScreen(3)));
    auto* result = dialog.findChild<QLabel*>("lbFindResult");
    EXPECT_FALSE(result->isVisible());

    dialog.findChild<QComboBox*>("cbDirection")->setCurrentIndex(int(Direction::Down));
    EXPECT_FALSE(dialog.findNext());
    EXPECT_TRUE(result->isVisible());
    EXPECT_EQ(result->text(), "«Вольтметр» не найдено.");
    dialog.findChild<QLineEdit*>("editFindText")->clear();
    QTest::keyClicks(dialog.findChild<QLineEdit*>("editFindText"), "B-9");
    EXPECT_FALSE(result->isVisible()) << "a new text clears the sign";

    // Opened again over the row it starts from, it leaves that row in sight at once.
    dialog.hide();
    dialog.move(dialog.pos() + rowOnScreen(3).center() - dialog.frameGeometry().center());
    ASSERT_TRUE(dialog.frameGeometry().intersects(rowOnScreen(3)));
    dialog.show();
    EXPECT_FALSE(dialog.frameGeometry().intersects(rowOnScreen(3)));
}

} // namespace
