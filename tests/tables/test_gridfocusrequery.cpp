#include "tables/GridFocusRequery.h"

#include "TablesFixture.h"
#include "data/Dataset.h"
#include "tables/DatasetGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A list long enough to scroll in a small window, with an editor beside it that holds the focus
// until a click on the list takes it there.
class GridFocusRequeryTest : public TablesFixture {
protected:
    void SetUp() override
    {
        TablesFixture::SetUp();
        for (int id = 7; id <= 120; ++id)
            connection().execute("insert into Pasport (ID_Device, ANumber) values (:id, :no)",
                                 {{"id", id}, {"no", QStringLiteral("A-%1").arg(id)}});
        dataset = new Dataset(&connection(), &window);
        dataset->setSql("select ID_Device, ANumber from Pasport order by ID_Device");
        dataset->open();
        auto* layout = new QVBoxLayout(&window);
        editor = new QLineEdit(&window);
        grid = new DatasetGrid(dataset, &window);
        grid->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(editor);
        layout->addWidget(grid);
        window.resize(300, 260);
        window.show();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QWidget window;
    Dataset* dataset = nullptr;
    QLineEdit* editor = nullptr;
    DatasetGrid* grid = nullptr;
};

TEST_F(GridFocusRequeryTest, TheClickThatFocusesTheGridMakesTheRowUnderThePointerCurrent)
{
    int requeries = 0;
    GridFocusRequery::install(grid, [&] {
        ++requeries;
        RequeryDataSetKeepRow(*dataset);
    });
    dataset->setRecNo(2); // far above the rows the click will land on
    editor->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), editor);

    QScrollBar* scroll = grid->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    scroll->setValue(scroll->maximum());
    const int scrolled = scroll->value();
    const int row = grid->rowAt(grid->viewport()->height() - grid->rowHeight(0));
    ASSERT_GT(row, 50);
    const QModelIndex clicked = grid->model()->index(row, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(clicked).center());
    QCoreApplication::processEvents();

    EXPECT_EQ(requeries, 1);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(scroll->value(), scrolled);
    EXPECT_EQ(grid->currentIndex().row(), row);
    EXPECT_EQ(dataset->value("ANumber").toString(), clicked.data().toString());
}

} // namespace
