#include "TablesFixture.h"

#include "tables/BaseFrm.h"
#include "tables/PasportListFrm.h"
#include "tables/TablePropFrm.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

class TablePropTest : public TablesFixture {
protected:
    void SetUp() override
    {
        TablesFixture::SetUp();
        window = std::make_unique<TPasportListForm>();
        window->show();
        dialog = window->OpenPropForm();
    }
    void TearDown() override
    {
        window.reset();
        TablesFixture::TearDown();
    }

    void click(const char* name) { dialog->findChild<QPushButton*>(name)->click(); }
    QListWidgetItem* columnItem(const QString& label)
    {
        const auto found = dialog->ColumnList()->findItems(label, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    QStringList visibleFieldsInOrder() const
    {
        QStringList names;
        const QHeaderView* header = window->grid()->horizontalHeader();
        for (int v = 0; v < header->count(); ++v) {
            const int logical = header->logicalIndex(v);
            if (!header->isSectionHidden(logical))
                names.append(window->dsMain()->fields()[size_t(logical)]->name());
        }
        return names;
    }

    std::unique_ptr<TPasportListForm> window;
    TTablePropForm* dialog = nullptr;
};

TEST_F(TablePropTest, OneDialogPerWindowWithItsCaptionAndLists)
{
    EXPECT_EQ(window->OpenPropForm(), dialog);
    EXPECT_TRUE(dialog->windowTitle().startsWith("Таблица <"));
    EXPECT_TRUE(dialog->windowTitle().endsWith("> - настройка"));
    EXPECT_EQ(dialog->ColumnList()->count(), window->dsMain()->fieldCount());
    EXPECT_EQ(dialog->FieldList()->count(), 0);
    EXPECT_FALSE(dialog->SortList()->isEnabled());
}

TEST_F(TablePropTest, ApplyingHidesMovesGroupsAndSorts)
{
    // Hide ANumber, move Name_Location to the front, group by type, sort by location descending.
    columnItem("ANumber")->setCheckState(Qt::Unchecked);
    QListWidget* columns = dialog->ColumnList();
    columns->setCurrentItem(columnItem("Name_Location"));
    while (columns->currentRow() > 0)
        click("btnColumnUp");
    columns->clearSelection();
    columnItem("Name_DevType")->setSelected(true);
    click("btnGroupAdd");
    click("btnGroupAdd"); // listed once only
    ASSERT_EQ(dialog->FieldList()->count(), 1);
    columns->clearSelection();
    columnItem("Name_Location")->setSelected(true);
    click("btnSortAdd");
    ASSERT_EQ(dialog->SortList()->rowCount(), 1);
    dialog->SortList()->item(0, 1)->setText("убыв.");
    click("btnApply");

    EXPECT_TRUE(dialog->isVisible()); // Ok applies and leaves the dialog open
    EXPECT_EQ(visibleFieldsInOrder().first(), "Name_Location");
    EXPECT_FALSE(visibleFieldsInOrder().contains("ANumber"));
    EXPECT_EQ(window->GroupFields(), QStringList({"Name_DevType"}));
    EXPECT_EQ(window->dsMain()->sort(), "Name_Location DESC");

    // Checking the column again shows it where the list puts it.
    dialog->fillLists();
    columnItem("ANumber")->setCheckState(Qt::Checked);
    click("btnApply");
    EXPECT_TRUE(visibleFieldsInOrder().contains("ANumber"));

    // An empty grouping list removes the grouping.
    click("btnGroupClear");
    click("btnApply");
    EXPECT_TRUE(window->GroupFields().isEmpty());
}

TEST_F(TablePropTest, SortListEditing)
{
    click("btnSortAddAll");
    const int all = dialog->SortList()->rowCount();
    EXPECT_EQ(all, dialog->ColumnList()->count());
    EXPECT_EQ(dialog->SortList()->item(0, 1)->text(), "возр.");
    dialog->SortList()->setCurrentCell(1, 0);
    const QString second = dialog->SortList()->item(1, 0)->text();
    click("btnSortUp");
    EXPECT_EQ(dialog->SortList()->item(0, 0)->text(), second);
    EXPECT_EQ(dialog->SortList()->currentRow(), 0);
    click("btnSortRemove");
    EXPECT_EQ(dialog->SortList()->rowCount(), all - 1);
    click("btnSortClear");
    EXPECT_EQ(dialog->SortList()->rowCount(), 0);
    EXPECT_FALSE(dialog->SortList()->isEnabled());

    // The only row moves nowhere.
    dialog->ColumnList()->item(0)->setSelected(true);
    click("btnSortAdd");
    dialog->SortList()->setCurrentCell(0, 0);
    click("btnSortUp");
    click("btnSortDown");
    EXPECT_EQ(dialog->SortList()->rowCount(), 1);
    EXPECT_EQ(dialog->SortList()->item(0, 0)->text(), dialog->ColumnList()->item(0)->text());
}

TEST_F(TablePropTest, ListsReadAgainFromTheWindow)
{
    window->setGroupFields({"Name_Location"});
    SortMarkers markers;
    markers.setMarker("ANumber", SortMarkers::Marker::Descending);
    window->setSortMarkers(markers);
    window->setColumnVisible(window->dsMain()->fieldIndex("Price"), false);
    dialog->fillLists();
    EXPECT_EQ(dialog->FieldList()->item(0)->text(), "Name_Location");
    ASSERT_EQ(dialog->SortList()->rowCount(), 1);
    EXPECT_EQ(dialog->SortList()->item(0, 1)->text(), "убыв.");
    EXPECT_EQ(columnItem("Price")->checkState(), Qt::Unchecked);
}

TEST_F(TablePropTest, ClosingTheWindowClosesTheDialog)
{
    QPointer<TTablePropForm> watched = dialog;
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull() || !watched->isVisible());
}

} // namespace
