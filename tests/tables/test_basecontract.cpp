#include "TablesFixture.h"

#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "tables/BaseFrm.h"
#include "tables/FilterHeader.h"
#include "tables/FindDialog.h"
#include "tables/PasportListFrm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// A data window as the device and labour windows are built: two form pages with datasets of their
// own opened by the page handlers, a page list that the navigation commands follow, buttons shown
// per page, and more work on activation.
class TContractProbe : public TBaseForm {
public:
    explicit TContractProbe(QWidget* parent = nullptr) : TBaseForm(TPasportListForm::mainQuery(), parent)
    {
        dsList = new Dataset(this);
        dsList->setObjectName("dsList");
        dsList->setSql("select * from Pasport where Price = 10;");
        auto* page2 = new QWidget;
        page2->setObjectName("TabSheet2");
        auto* layout = new QVBoxLayout(page2);
        listGrid = new QTableView(page2);
        listGrid->setObjectName("gridList");
        listGrid->setModel(new DatasetModel(dsList, listGrid));
        layout->addWidget(listGrid);
        FormPanel()->addTab(page2, "Page 2");
        setPageHandlers(FormPanel()->widget(0), [this] { calls << "show1"; }, [this] { calls << "hide1"; });
        setPageHandlers(page2, [this] { showList(true); }, [this] { showList(false); });
        setCommand("Insert2", [this] { ++inserts; });
    }

    using TBaseForm::addButton;
    using TBaseForm::addCommand;
    using TBaseForm::bindButton;
    using TBaseForm::button;
    using TBaseForm::FormPanel;
    using TBaseForm::hideButton;
    using TBaseForm::showButton;

    void FormActivate() override
    {
        TBaseForm::FormActivate();
        calls << "activated";
        ReopenPage();
    }

    void showList(bool on)
    {
        if (!on && failLeaving)
            throw DatabaseError("the list keeps its edit");
        calls << (on ? "show2" : "hide2");
        dsList->setActive(on);
        setNavigationDataset(on ? dsList : nullptr);
        setButtonVisible("btnInsert", on);
    }

    Dataset* dsList = nullptr;
    QTableView* listGrid = nullptr;
    QStringList calls;
    int inserts = 0;
    bool failLeaving = false;
};

class BaseContractTest : public TablesFixture {};

} // namespace

TEST_F(BaseContractTest, PageHandlersFollowSwapTabsAndClosingOnceEach)
{
    TContractProbe form;
    form.show();
    EXPECT_EQ(form.dsMain()->objectName(), "dsMain");
    form.FormPanel()->setCurrentIndex(1); // table view: no page is shown to the user yet
    EXPECT_TRUE(form.calls.isEmpty());
    form.FormPanel()->setCurrentIndex(0);
    form.Swap();
    form.FormPanel()->setCurrentIndex(1);
    form.FormPanel()->setCurrentIndex(1);
    form.Swap();
    form.Swap();
    EXPECT_EQ(form.calls, QStringList({"show1", "hide1", "show2", "hide2", "show2"}));
    EXPECT_EQ(form.visiblePage(), form.FormPanel()->widget(1));
    form.close();
    EXPECT_EQ(form.calls.last(), "hide2");
    EXPECT_EQ(form.visiblePage(), nullptr);
}

TEST_F(BaseContractTest, APageThatCannotBeLeftStaysShown)
{
    TContractProbe form;
    form.show();
    form.Swap();
    form.FormPanel()->setCurrentIndex(1);
    form.failLeaving = true;
    form.FormPanel()->setCurrentIndex(0); // the user clicks the other tab
    EXPECT_EQ(form.FormPanel()->currentIndex(), 1);
    EXPECT_EQ(form.visiblePage(), form.FormPanel()->widget(1));
    EXPECT_EQ(messages.texts(), QStringList({"the list keeps its edit"}));
    EXPECT_THROW(form.Swap(), DatabaseError);
    EXPECT_TRUE(form.isFormView());
    form.failLeaving = false;
}

TEST_F(BaseContractTest, NavigationAndStatusBarFollowTheChosenDataset)
{
    TContractProbe form;
    form.show();
    form.updateOnIdle();
    EXPECT_EQ(form.navigationDataset(), form.dsMain());
    EXPECT_TRUE(form.statusText().contains("= 6"));
    form.Swap();
    form.FormPanel()->setCurrentIndex(1);
    form.updateOnIdle();
    EXPECT_EQ(form.navigationDataset(), form.dsList);
    EXPECT_TRUE(form.statusText().contains("= 2 ")) << form.statusText().toStdString();
    form.action("Next")->trigger();
    EXPECT_EQ(form.dsList->recNo(), 2);
    EXPECT_EQ(form.dsMain()->recNo(), 1);
    form.updateOnIdle();
    EXPECT_FALSE(form.action("Next")->isEnabled());
    form.Swap();
    form.updateOnIdle();
    EXPECT_EQ(form.navigationDataset(), form.dsMain());
    EXPECT_TRUE(form.action("Next")->isEnabled());
}

TEST_F(BaseContractTest, ButtonsShownAgainAndBoundToAnotherAction)
{
    TContractProbe form;
    form.show();
    form.updateOnIdle();
    const int nextTop = form.button("btnNext")->y();
    form.hideButton("btnPrior");
    form.updateOnIdle();
    EXPECT_LT(form.button("btnNext")->y(), nextTop);
    form.showButton("btnPrior");
    form.updateOnIdle();
    EXPECT_FALSE(form.button("btnPrior")->isHidden());
    EXPECT_EQ(form.button("btnNext")->y(), nextTop);

    form.bindButton("btnSame", "Insert2");
    form.updateOnIdle();
    EXPECT_TRUE(form.button("btnSame")->isEnabled());
    EXPECT_EQ(form.button("btnSame")->text(), form.action("Insert2")->text());
    form.button("btnSame")->click();
    EXPECT_EQ(form.inserts, 1);
}

TEST_F(BaseContractTest, AWindowsOwnCommandsServeBaseButtonsAndNewOnes)
{
    TContractProbe form;
    int added = 0;
    bool allowed = false;
    form.addCommand("InsertList", "Add", "Add a row|Adds a row to the list", [&] { ++added; }, [&] { return allowed; });
    form.addButton(form.addCommand("PrintList", "Print", "Print"), 8); // no handler yet
    form.show();
    form.bindButton("btnInsert", "InsertList");
    form.updateOnIdle();
    EXPECT_EQ(form.action("InsertList")->toolTip(), "Add a row");
    EXPECT_FALSE(form.button("btnInsert")->isEnabled());
    allowed = true;
    form.updateOnIdle();
    form.button("btnInsert")->click();
    EXPECT_EQ(added, 1);
    EXPECT_EQ(form.button("btnInsert")->text(), "Add");
    ASSERT_TRUE(form.button("btnPrintList"));
    EXPECT_FALSE(form.button("btnPrintList")->isEnabled());
    form.bindButton("btnInsert", "Insert2"); // given back
    form.button("btnInsert")->click();
    EXPECT_EQ(added, 1);
    EXPECT_EQ(form.inserts, 1);
}

TEST_F(BaseContractTest, ActivationRunsTheDerivedStepAfterTheBase)
{
    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    auto* other = new TPasportListForm;
    auto* form = new TContractProbe;
    QMdiSubWindow* otherSub = area.addSubWindow(other);
    QMdiSubWindow* sub = area.addSubWindow(form);
    otherSub->show();
    sub->show();
    area.setActiveSubWindow(sub);
    form->Swap();
    form->FormPanel()->setCurrentIndex(1);
    form->calls.clear();
    area.setActiveSubWindow(otherSub);
    connection().execute("update Pasport set Price = 10 where ID_Device = 2;");
    area.setActiveSubWindow(sub);
    // The page's datasets are opened again and so show what changed meanwhile.
    EXPECT_EQ(form->calls, QStringList({"activated", "hide2", "show2"}));
    EXPECT_EQ(form->dsList->recordCount(), 3);
    area.closeAllSubWindows();
}

TEST_F(BaseContractTest, ReplacedMainStatementKeepsTheFilterRow)
{
    TContractProbe form;
    form.show();
    const int column = form.dsMain()->fieldIndex("Name_DevType");
    form.filterHeader()->setFilterText(column, "Манометр");
    emit form.filterHeader()->filterChanged(column, "Манометр");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);

    form.setMainQuery("select * from Pasport where ID_Device in (1, 3, 4, 5) and\r1=1;");
    EXPECT_EQ(form.dsMain()->recordCount(), 2); // devices 1 and 4
    EXPECT_EQ(form.filterHeader()->filterText(column), "Манометр");

    form.filterHeader()->setFilterText(column, "");
    emit form.filterHeader()->filterChanged(column, "");
    EXPECT_EQ(form.dsMain()->recordCount(), 4); // the replaced statement stays
    form.resetMainQuery();
    EXPECT_EQ(form.dsMain()->recordCount(), 6);
    EXPECT_EQ(form.dsMain()->sql(), "select * from Pasport\rWHERE\r1=1");
}

TEST_F(BaseContractTest, FindSearchesTheFocusedGridOfAPage)
{
    QWidget top;
    top.resize(900, 500);
    auto* form = new TContractProbe(&top);
    auto* layout = new QVBoxLayout(&top);
    layout->addWidget(form);
    top.show();
    top.activateWindow();
    form->Swap();
    form->FormPanel()->setCurrentIndex(1);
    form->listGrid->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(form->focusedGrid(), form->listGrid);
    form->updateOnIdle();
    form->action("Find")->trigger();
    EXPECT_EQ(FindDialog::shared(form)->dataset(), form->dsList);
    form->Swap();
    form->grid()->setFocus();
    QCoreApplication::processEvents();
    form->action("Find")->trigger();
    EXPECT_EQ(FindDialog::shared(form)->dataset(), form->dsMain());
}

TEST_F(BaseContractTest, CommandsWorkAsSoonAsTheWindowShows)
{
    // The manager opens a window and swaps it to its form view before the program was ever idle.
    QMdiArea area;
    area.show();
    auto* form = new TContractProbe;
    area.addSubWindow(form)->show();
    form->action("Swap")->trigger();
    EXPECT_TRUE(form->isFormView());
    area.closeAllSubWindows();
}

TEST_F(BaseContractTest, ColumnFilterFromAnotherWindowNarrowsTheList)
{
    TContractProbe form;
    form.show();
    EXPECT_TRUE(form.setColumnFilter("ID_Device", "5"));
    EXPECT_EQ(form.dsMain()->recordCount(), 1);
    EXPECT_EQ(form.filterHeader()->filterText(form.dsMain()->fieldIndex("ID_Device")), "5"); // shown where typed
    EXPECT_FALSE(form.setColumnFilter("NoSuchColumn", "1"));
    EXPECT_TRUE(form.setColumnFilter("ID_Device", ""));
    EXPECT_EQ(form.dsMain()->recordCount(), 6);
}
