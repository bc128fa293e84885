#include "TablesFixture.h"

#include "data/Dataset.h"
#include "data/SqlConnection.h"
#include "tables/BaseFrm.h"
#include "tables/CurrentRowDelegate.h"
#include "tables/FindDialog.h"
#include "tables/FormSettings.h"
#include "tables/GridColumns.h"
#include "tables/InputDateFrm.h"
#include "tables/MainQueryText.h"
#include "tables/PasportListFrm.h"
#include "text/StrList.h"
#include "support/TestServer.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollArea>
#include <QSplitter>
#include <QEventLoop>
#include <QTimer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

namespace {

// A derived window as later windows will be: own buttons, hidden buttons, handlers, page handlers.
class TProbeForm : public TBaseForm {
public:
    explicit TProbeForm(QWidget* parent = nullptr) : TBaseForm(makeDataset(), TPasportListForm::mainQuery(), parent)
    {
        EXPECT_EQ(dsMain()->parent(), this);
        setCommand(QStringLiteral("Insert2"), [this] { ++inserts; });
        setPageHandlers(FormPanel()->widget(0), [this] { ++shown; }, [this] { ++hidden; });
    }
    using TBaseForm::addButton;
    using TBaseForm::ArrangeButtons;
    using TBaseForm::hideButton;
    using TBaseForm::ScrollBox1;
    void GoToField(const QString& field) override { goneTo.append(field); }

    int inserts = 0;
    int shown = 0;
    int hidden = 0;
    QStringList goneTo;

private:
    static Dataset* makeDataset() { return new Dataset; }
};

QStringList buttonOrder(const QWidget& form)
{
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* b : form.findChild<QWidget*>("ButtonBoxContents")->findChildren<QAbstractButton*>())
        if (!b->isHidden())
            buttons.append(b);
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    QStringList names;
    for (auto* b : buttons)
        names.append(b->objectName());
    return names;
}

// Drags the right edge of a column's title by `by` pixels, as the user widens a column.
void dragColumnEdge(QHeaderView* header, int logical, int by)
{
    const int edge = header->sectionViewportPosition(logical) + header->sectionSize(logical) - 1;
    const int y = header->height() - 3;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + by, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + by, y));
}

} // namespace

TEST(MainQueryText, TableNameAndHeadFollowTheCutRule)
{
    struct Case {
        QString statement;
        QString table;
        bool defined;
    };
    const Case cases[] = {
        {"select * from type;", "type", true},
        {"select * from Pasport;", "Pasport", true},
        {"select  * from AccountView;", "AccountView", true},
        // A blank or carriage return ends the name and stays with it.
        {"select * from type order by x;", "type ", true},
        {"select * from nextrepview\rorder by x;", "nextrepview\r", true},
        {"SELECT * FROM Refusals;", "Refusals", true},
    };
    for (const Case& c : cases) {
        const auto result = MainQueryText::tableName(c.statement);
        EXPECT_EQ(result.name, c.table) << c.statement.toStdString();
        EXPECT_EQ(result.defined, c.defined) << c.statement.toStdString();
    }
    EXPECT_FALSE(MainQueryText::tableName("select * from type").defined);
    EXPECT_EQ(MainQueryText::queryHead("select * from type;"), "select * from type");
    EXPECT_EQ(MainQueryText::queryHead("select 1"), "select 1");
    EXPECT_EQ(MainQueryText::anchoredQuery("select * from type;"), "select * from type\rWHERE\r1=1;");
}

class BaseFormTest : public TablesFixture {};

TEST_F(BaseFormTest, LayoutNamesSizeAndAnchoredQuery)
{
    TPasportListForm form;
    EXPECT_EQ(form.size(), QSize(884, 452));
    for (const char* name : {"GridPanel", "GroupBox", "GroupTree", "PanelGroupBox", "btnCloseGroupBox", "Splitter1",
                             "gridPasport", "FormPanel", "TabSheet1", "ScrollBox1", "ButtonBox", "StatusBar",
                             "TreePanel", "GroupBox2", "ComplectTree", "TreeSplitter", "lbStore1", "PopupMenu1"})
        EXPECT_TRUE(form.findChild<QObject*>(name)) << name;
    EXPECT_EQ(form.TableName(), "Pasport");
    EXPECT_EQ(form.QueryHead(), "select * from Pasport");
    EXPECT_EQ(form.dsMain()->sql(), "select * from Pasport\rWHERE\r1=1;");
    EXPECT_TRUE(form.dsMain()->isActive());
    EXPECT_TRUE(form.findChild<QWidget*>("GroupBox")->isHidden());
    EXPECT_TRUE(form.findChild<QWidget*>("FormPanel")->isHidden());
    EXPECT_TRUE(form.findChild<QWidget*>("TreePanel")->isHidden());
    EXPECT_EQ(form.findChild<QGroupBox*>("GroupBox")->title(), "Группировка");
    EXPECT_EQ(form.action("Swap")->text(), "Таб/Фор");
    EXPECT_EQ(form.action("Swap")->toolTip(), "Переключить таб/фор");
    EXPECT_EQ(form.action("OpenPropForm")->statusTip(), "Открыть окно настройки таблицы");
    EXPECT_EQ(form.action("GroupCol")->toolTip(), "Группировать по этой колонке");
    EXPECT_EQ(form.findChild<QAbstractButton*>("btnClose")->text(), "Закрыть");
}

TEST_F(BaseFormTest, ContextMenuInItsOrder)
{
    TPasportListForm form;
    QStringList names;
    for (QAction* a : form.findChild<QMenu*>("PopupMenu1")->actions())
        names.append(a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(names, QStringList({"SortAsc", "SortDesc", "SortNone", "-", "GroupCol", "UngroupCol", "-", "HideColumn1",
                                  "Find", "CustFilter", "-", "-", "SelectAll", "-", "Save", "-", "Print", "-",
                                  "OpenPropForm"}));
}

TEST_F(BaseFormTest, StatusBarTextsOpenClosedAndEmpty)
{
    TPasportListForm form;
    form.updateOnIdle();
    EXPECT_EQ(form.statusText(), "Общ.колич.строк = 6  текущая строка = 1");
    form.dsMain()->last();
    form.updateOnIdle();
    EXPECT_EQ(form.statusText(), "Общ.колич.строк = 6  текущая строка = 6");
    form.dsMain()->close();
    form.updateOnIdle();
    EXPECT_EQ(form.statusText(), "нет данных");

    connection().execute("delete from Pasport;");
    TPasportListForm empty;
    empty.updateOnIdle();
    EXPECT_EQ(empty.statusText(), "Общ.колич.строк = 0  текущая строка = 0");
    for (const char* name : {"First", "Prior", "Next", "Last", "Delete"})
        EXPECT_FALSE(empty.action(name)->isEnabled()) << name;
}

TEST_F(BaseFormTest, NavigationEnablingFollowsTheRow)
{
    TPasportListForm form;
    auto enabled = [&form] {
        form.updateOnIdle();
        QString s;
        for (const char* name : {"First", "Prior", "Next", "Last"})
            s += form.action(name)->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(enabled(), "0011");
    form.action("Next")->trigger();
    EXPECT_EQ(form.dsMain()->recNo(), 2);
    EXPECT_EQ(form.grid()->currentIndex().row(), 1); // the grid follows the dataset
    EXPECT_EQ(enabled(), "1111");
    form.action("Last")->trigger();
    EXPECT_EQ(enabled(), "1100");
    form.action("Prior")->trigger();
    EXPECT_EQ(form.dsMain()->recNo(), 5);
    form.action("First")->trigger();
    EXPECT_EQ(form.dsMain()->recNo(), 1);
    // And the dataset follows the grid.
    form.grid()->setCurrentIndex(form.grid()->model()->index(3, 1));
    EXPECT_EQ(form.dsMain()->recNo(), 4);
}

TEST_F(BaseFormTest, ActionsWithoutHandlerStayDisabled)
{
    TPasportListForm plain;
    TProbeForm probe;
    plain.updateOnIdle();
    probe.updateOnIdle();
    for (const char* name : {"Insert2", "Same", "Twice", "Undo", "Move"})
        EXPECT_FALSE(plain.action(name)->isEnabled()) << name;
    EXPECT_TRUE(probe.action("Insert2")->isEnabled());
    EXPECT_FALSE(probe.action("Same")->isEnabled());
    probe.action("Insert2")->trigger();
    EXPECT_EQ(probe.inserts, 1);
    plain.action("Same")->trigger(); // disabled: nothing happens
    EXPECT_TRUE(plain.action("SelectAll")->isEnabled());
    EXPECT_TRUE(plain.action("HideColumn1")->isEnabled());
}

TEST_F(BaseFormTest, ArrangeButtonsStacksVisibleButtonsByTag)
{
    TProbeForm form;
    form.show();
    form.ArrangeButtons();
    EXPECT_EQ(buttonOrder(form), QStringList({"btnSwap", "btnFirst", "btnPrior", "btnNext", "btnLast", "btnInsert",
                                              "btnSame", "btnDelete", "btnPrint", "btnClose"}));
    auto* extra = new QAction(&form);
    extra->setObjectName("Count");
    auto* later = new QAction(&form);
    later->setObjectName("Jump");
    form.addButton(later, 20);
    form.addButton(extra, 5); // equal tag: after btnInsert, which was there first
    form.hideButton("btnSame");
    form.hideButton("btnFirst");
    form.ArrangeButtons();
    EXPECT_EQ(buttonOrder(form), QStringList({"btnSwap", "btnPrior", "btnNext", "btnLast", "btnInsert", "btnCount",
                                              "btnDelete", "btnPrint", "btnClose", "btnJump"}));
    // Stacked without gaps, one pixel apart.
    auto* first = form.findChild<QWidget*>("btnSwap");
    auto* second = form.findChild<QWidget*>("btnPrior");
    EXPECT_EQ(second->y() - first->y(), first->height() + 1);
}

TEST_F(BaseFormTest, RequeryKeepRowKeepsTheNumberNotTheRow)
{
    TPasportListForm form;
    form.dsMain()->setRecNo(3);
    EXPECT_EQ(form.dsMain()->value("ANumber").toString(), "A-3");
    connection().execute("delete from Pasport where ID_Device = 1;");
    form.RequeryKeepRow();
    EXPECT_EQ(form.dsMain()->recNo(), 3);
    EXPECT_EQ(form.dsMain()->value("ANumber").toString(), "A-4");
    EXPECT_FALSE(form.dsMain()->controlsDisabled());
    EXPECT_EQ(form.grid()->currentIndex().row(), 2);
}

// On a server the rows come back in whatever order the server finds them (an updated row moves to the
// end of its table) and other users insert and delete meanwhile: the list returns to the same device
// while it is listed, and to the same row number once it is gone.
TEST(BaseFormOnServer, RequeryKeepRowReturnsToTheSameRow)
{
    INSTREL_REQUIRE_TEST_SERVER();
    TempWorkDir dir;
    MessageRecorder messages;
    TestServer::ScratchDatabase scratch;
    ASSERT_FALSE(scratch.connectionString().isEmpty()) << scratch.error().toStdString();
    SqlConnection other;
    other.setServer(scratch.connectionString());
    other.execute("create table Pasport (ID_Device integer primary key, ANumber varchar(50))");
    for (int id = 1; id <= 6; ++id)
        other.execute(QString("insert into Pasport values (%1, 'A-%1')").arg(id));
    TDM dm;
    dm.ADOConnection()->setServer(scratch.connectionString());
    TPasportListForm form;
    form.dsMain()->setRecNo(3);
    ASSERT_EQ(form.dsMain()->value("ID_Device").toInt(), 3);

    struct Case {
        const char* byTheOtherUser;
        int device; // current afterwards
    };
    const Case cases[] = {
        {"delete from Pasport where ID_Device = 1", 3},
        {"update Pasport set ANumber = 'A-3 (moved)' where ID_Device = 3", 3},
        {"update Pasport set ANumber = 'A-2 (moved)' where ID_Device = 2", 3},
        {"delete from Pasport where ID_Device = 3", 0}, // gone: whatever row has its number now
    };
    for (const Case& c : cases) {
        const int row = form.dsMain()->recNo();
        other.execute(c.byTheOtherUser);
        form.RequeryKeepRow();
        if (c.device != 0)
            EXPECT_EQ(form.dsMain()->value("ID_Device").toInt(), c.device) << c.byTheOtherUser;
        else
            EXPECT_EQ(form.dsMain()->recNo(), row) << c.byTheOtherUser;
        EXPECT_EQ(form.grid()->currentIndex().row(), form.dsMain()->recNo() - 1) << c.byTheOtherUser;
    }
}

TEST_F(BaseFormTest, SwapPostsAPendingEditAndRunsPageHandlers)
{
    TProbeForm form;
    form.show();
    form.Swap();
    EXPECT_TRUE(form.isFormView());
    EXPECT_EQ(form.shown, 1);
    form.dsMain()->setRecNo(2);
    form.dsMain()->edit();
    form.dsMain()->setValue("ANumber", "B-2");
    form.updateOnIdle();
    form.action("Swap")->trigger();
    EXPECT_FALSE(form.isFormView());
    EXPECT_EQ(form.hidden, 1);
    EXPECT_FALSE(form.dsMain()->isEditing());
    EXPECT_EQ(connection().scalar("select ANumber from Pasport where ID_Device = 2;").toString(), "B-2");
    EXPECT_EQ(form.dsMain()->recNo(), 2);
}

TEST_F(BaseFormTest, SwapKeepsTheFormViewWhenThePostFails)
{
    TProbeForm form;
    form.show();
    form.Swap();
    form.dsMain()->beforePost.connect([](Dataset&) { throw DatabaseError("refused"); });
    form.dsMain()->edit();
    form.dsMain()->setValue("ANumber", "B-1");
    EXPECT_THROW(form.Swap(), DatabaseError);
    EXPECT_TRUE(form.isFormView());
    EXPECT_TRUE(form.dsMain()->isEditing());
}

TEST_F(BaseFormTest, DoubleClickAndEnterGoToTheCurrentField)
{
    TProbeForm form;
    form.show();
    QTableView* grid = form.grid();
    grid->setCurrentIndex(grid->model()->index(1, form.dsMain()->fieldIndex("Name_DevType")));
    QTest::keyClick(grid, Qt::Key_Return);
    emit grid->doubleClicked(grid->currentIndex());
    EXPECT_EQ(form.goneTo, QStringList({"Name_DevType", "Name_DevType"}));
}

TEST_F(BaseFormTest, CurrentRowIsPaintedGreenExceptTheFocusedCell)
{
    TPasportListForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    QTableView* grid = form.grid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 2));
    auto* delegate = qobject_cast<CurrentRowDelegate*>(grid->itemDelegate());
    ASSERT_TRUE(delegate);
    if (!grid->hasFocus())
        GTEST_SKIP() << "no keyboard focus on this platform";
    EXPECT_TRUE(delegate->highlights(grid->model()->index(1, 0)));
    EXPECT_FALSE(delegate->highlights(grid->model()->index(1, 2)));
    EXPECT_FALSE(delegate->highlights(grid->model()->index(0, 0)));
    EXPECT_EQ(CurrentRowDelegate::rowColor(), QColor("#C0DCC0"));
}

// Columns are as wide as the values in sight (up to a limit, so that one long text does not push the
// rest away) at every first showing, until the user sets a width himself: his widths are then kept.
TEST_F(BaseFormTest, ColumnsFitTheirValuesUntilTheUserSetsAWidth)
{
    const auto expectFitted = [](const QTableView& grid) {
        const QHeaderView* header = grid.horizontalHeader();
        const int limit = GridColumns::fitLimit(grid);
        int widened = 0;
        for (int c = 0; c < header->count(); ++c) {
            if (header->isSectionHidden(c))
                continue;
            const int values = static_cast<const QAbstractItemView&>(grid).sizeHintForColumn(c);
            EXPECT_LE(header->sectionSize(c), limit) << c;
            EXPECT_GE(header->sectionSize(c), std::min(values, limit)) << c;
            widened += header->sectionSize(c) > header->defaultSectionSize() ? 1 : 0;
        }
        EXPECT_GT(widened, 0);
    };
    {
        TPasportListForm form;
        form.show();
        expectFitted(*form.grid());
        form.grid()->horizontalHeader()->resizeSection(form.dsMain()->fieldIndex("Name_Location"), 30); // not the user
        form.close();
    }
    {
        TPasportListForm form;
        form.show();
        expectFitted(*form.grid());
        dragColumnEdge(form.grid()->horizontalHeader(), form.dsMain()->fieldIndex("Name_Location"), -10);
        form.close();
    }
    EXPECT_TRUE(FormSettings("TPasportListForm").value("gridPasport.UserWidths").toBool());
}

TEST_F(BaseFormTest, SettingsAreWrittenAndReadBackWithFieldNamesInAnyCase)
{
    int userWidth = 0;
    {
        TPasportListForm form;
        form.show();
        QHeaderView* header = form.grid()->horizontalHeader();
        const int location = form.dsMain()->fieldIndex("Name_Location");
        header->moveSection(header->visualIndex(location), 0);
        dragColumnEdge(header, location, 40);
        userWidth = header->sectionSize(location);
        form.grid()->setCurrentIndex(form.grid()->model()->index(0, form.dsMain()->fieldIndex("Price")));
        form.updateOnIdle();
        form.action("HideColumn1")->trigger();
        form.setComplectVisible(true);
        form.close();
    }
    FormSettings stored("TPasportListForm");
    ASSERT_TRUE(stored.isReadable());
    EXPECT_EQ(stored.value("gridPasport.Column0.FieldName").toString(), "Name_Location");
    EXPECT_EQ(stored.value("lbStore1.Caption").toString(), "True");
    EXPECT_EQ(stored.value("Width").toInt(), 884);
    stored.setValue("gridPasport.Column0.FieldName", "NAME_LOCATION"); // edited by hand
    stored.sync();

    TPasportListForm again;
    again.show();
    QHeaderView* header = again.grid()->horizontalHeader();
    const int location = again.dsMain()->fieldIndex("Name_Location");
    EXPECT_EQ(header->visualIndex(location), 0);
    EXPECT_EQ(header->sectionSize(location), userWidth);
    EXPECT_TRUE(header->isSectionHidden(again.dsMain()->fieldIndex("Price")));
    EXPECT_FALSE(again.dsMain()->field("Price")->isVisible());
    EXPECT_TRUE(again.ComplectVisible());
    again.updateOnIdle();
    EXPECT_FALSE(again.findChild<QWidget*>("TreePanel")->isHidden());
}

TEST_F(BaseFormTest, BrokenSettingsFileIsReportedNotFatal)
{
    QFile file(dir.file("Device.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TPasportListForm\nWidth=\x01\x02\n");
    file.close();
    FormSettings settings("TPasportListForm");
    EXPECT_EQ(settings.isReadable(), settings.status() == QSettings::NoError);
    TPasportListForm form;
    form.show(); // loads whatever can be read and goes on
    EXPECT_TRUE(form.dsMain()->isActive());
}

TEST_F(BaseFormTest, ClickOnTheEmptyAreaAsksToSelectATab)
{
    TPasportListForm form;
    form.show();
    messages.clear();
    // A click on the status bar, which passes the click up to the window, asks nothing.
    auto* status = form.findChild<QStatusBar*>("StatusBar");
    ASSERT_TRUE(status);
    QTest::mouseClick(status, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(messages.texts().isEmpty());

    // The panels cover the whole window; with them out of the way the click reaches its empty area.
    for (QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->hide();
    QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_EQ(messages.texts().last(), "Выберите закладку");
}

TEST_F(BaseFormTest, EveryGridSharesOneFindDialog)
{
    QWidget top;
    auto* first = new TPasportListForm(&top);
    auto* second = new TPasportListForm(&top);
    top.show();
    first->updateOnIdle();
    second->updateOnIdle();
    first->action("Find")->trigger();
    second->action("Find")->trigger();
    EXPECT_EQ(top.findChildren<FindDialog*>().size(), 1);
    EXPECT_EQ(FindDialog::shared(first), FindDialog::shared(second));
}

TEST_F(BaseFormTest, ClosingPostsAPendingEditOrStaysOpen)
{
    QMdiArea area;
    area.show();
    auto* form = new TPasportListForm;
    form->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = area.addSubWindow(form);
    sub->show();
    // A dataset of the window on a table, as the derived windows have for their pages.
    auto* device = new Dataset(&connection(), form);
    device->setSql("select * from Pasport where ID_Device = 1");
    device->setUpdateTable("Pasport", "ID_Device");
    device->open();
    device->setValue("ANumber", "изменён при закрытии");
    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(connection().scalar("select ANumber from Pasport where ID_Device = 1").toString(), "изменён при закрытии");

    // An edit the database refuses keeps the window open, with the edit and the error.
    auto* second = new TPasportListForm;
    second->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* secondSub = area.addSubWindow(second);
    secondSub->show();
    auto* refused = new Dataset(&connection(), second);
    refused->setSql("select * from Pasport where ID_Device = 2");
    refused->setUpdateTable("Pasport", "ID_Device");
    refused->open();
    refused->setValue("ID_Device", 1); // the key of another row
    messages.clear();
    secondSub->close();
    EXPECT_FALSE(messages.texts().isEmpty());
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_TRUE(refused->isEditing());
    refused->cancel();
}

TEST_F(BaseFormTest, ActivationRequeriesAndDeactivationPosts)
{
    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    auto* first = new TPasportListForm;
    auto* second = new TProbeForm;
    QMdiSubWindow* firstSub = area.addSubWindow(first);
    QMdiSubWindow* secondSub = area.addSubWindow(second);
    firstSub->show();
    secondSub->show();
    area.setActiveSubWindow(firstSub);
    first->dsMain()->setRecNo(2);
    first->dsMain()->edit();
    first->dsMain()->setValue("ANumber", "C-2");
    area.setActiveSubWindow(secondSub); // leaving the first window posts its edit
    EXPECT_FALSE(first->dsMain()->isEditing());
    EXPECT_EQ(connection().scalar("select ANumber from Pasport where ID_Device = 2;").toString(), "C-2");

    connection().execute("update Pasport set ANumber = 'D-2' where ID_Device = 2;");
    area.setActiveSubWindow(firstSub); // coming back shows fresh data on the same row number
    EXPECT_EQ(first->dsMain()->recNo(), 2);
    EXPECT_EQ(first->dsMain()->value("ANumber").toString(), "D-2");
    area.closeAllSubWindows();
}

TEST_F(BaseFormTest, CloseClosesTheMainDataset)
{
    TPasportListForm form;
    form.show();
    form.findChild<QAbstractButton*>("btnClose")->click();
    EXPECT_FALSE(form.dsMain()->isActive());
    EXPECT_TRUE(QFile::exists(dir.file("Device.ini")));
}

TEST_F(BaseFormTest, TitleClicksAndSortCommandsSortTheRows)
{
    TPasportListForm form;
    form.show();
    QTableView* grid = form.grid();
    const int price = form.dsMain()->fieldIndex("Price");
    const int number = form.dsMain()->fieldIndex("ANumber");
    emit grid->horizontalHeader()->sectionClicked(price);
    emit grid->horizontalHeader()->sectionClicked(number);
    emit grid->horizontalHeader()->sectionClicked(number);
    EXPECT_EQ(form.dsMain()->sort(), form.sortMarkers().sortText());
    EXPECT_EQ(form.sortMarkers().fields(), QStringList({"Price", "ANumber"}));
    form.dsMain()->last();
    EXPECT_EQ(form.dsMain()->value("ANumber").toString(), "A-4"); // the dearest
    EXPECT_FALSE(grid->horizontalHeader()->grab().isNull()); // titles painted with their markers
    emit grid->horizontalHeader()->sectionClicked(number); // third click: unmarked
    EXPECT_EQ(form.sortMarkers().fields(), QStringList({"Price"}));

    grid->setCurrentIndex(grid->model()->index(0, price));
    form.updateOnIdle();
    EXPECT_FALSE(form.action("SortNone")->isEnabled() && form.sortMarkers().isEmpty());
    form.action("SortNone")->trigger();
    EXPECT_TRUE(form.sortMarkers().isEmpty());
    EXPECT_TRUE(form.dsMain()->sort().isEmpty());
    form.updateOnIdle();
    EXPECT_FALSE(form.action("SortNone")->isEnabled());
    EXPECT_TRUE(form.action("SortDesc")->isEnabled());
}

TEST_F(BaseFormTest, CustomDateFilterOnlyOnDateColumns)
{
    TPasportListForm form;
    form.show();
    QTableView* grid = form.grid();
    grid->setCurrentIndex(grid->model()->index(0, form.dsMain()->fieldIndex("ANumber")));
    form.updateOnIdle();
    EXPECT_FALSE(form.action("CustFilter")->isEnabled());
    const int setDate = form.dsMain()->fieldIndex("SetDate");
    grid->setCurrentIndex(grid->model()->index(0, setDate));
    form.updateOnIdle();
    ASSERT_TRUE(form.action("CustFilter")->isEnabled());
    TInputDateForm::setNextAnswer("05.04.24", "01.03.24"); // swapped into a forward range
    form.action("CustFilter")->trigger();
    EXPECT_EQ(form.dsMain()->recordCount(), 4);
    form.updateOnIdle();
    EXPECT_EQ(form.currentFieldName(), "SetDate"); // the column survives the new rows
    TInputDateForm::setNextAnswer("  .  .  ", "  .  .  "); // both blank: the filter goes
    form.action("CustFilter")->trigger();
    EXPECT_EQ(form.dsMain()->recordCount(), 6);
}

namespace {
// A window whose layout gives it no main dataset.
class TNoDataForm : public TBaseForm {
public:
    TNoDataForm() : TBaseForm(nullptr, "select * from Pasport;") {}
};
} // namespace

TEST_F(BaseFormTest, AWindowWithoutMainDatasetSaysSoAndClosesOnActivation)
{
    messages.clear();
    QMdiArea area;
    area.show();
    auto* form = new TNoDataForm;
    EXPECT_TRUE(messages.texts().contains("no dsMain"));
    form->updateOnIdle();
    EXPECT_EQ(form->statusText(), "нет данных");
    QMdiSubWindow* sub = area.addSubWindow(form);
    sub->show();
    area.setActiveSubWindow(sub);
    QTest::qWait(20);
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(BaseFormTest, TableNameNotDefinedIsReported)
{
    messages.clear();
    struct TOddForm : TBaseForm {
        explicit TOddForm(Dataset* ds) : TBaseForm(ds, "select * from Pasport") {}
    };
    TOddForm form(new Dataset); // nothing ends the name after "from "
    EXPECT_TRUE(messages.texts().contains("Table name not defined."));
    EXPECT_TRUE(form.dsMain()->isActive()); // the window still shows its rows
}

TEST_F(BaseFormTest, DeleteRemovesTheCurrentRowOfItsDataset)
{
    TPasportListForm form;
    form.dsMain()->setRecNo(2);
    form.updateOnIdle();
    ASSERT_TRUE(form.action("Delete")->isEnabled());
    form.action("Delete")->trigger();
    EXPECT_EQ(connection().scalar("select count(*) from Pasport where ID_Device = 2;").toInt(), 0);
    EXPECT_EQ(form.dsMain()->recordCount(), 5);
}

TEST_F(BaseFormTest, IdleTimeRefreshesWithoutBeingAsked)
{
    TPasportListForm form;
    form.show();
    form.dsMain()->setRecNo(4);
    QEventLoop loop; // a real loop that waits, so it goes idle
    QTimer::singleShot(30, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(form.statusText(), "Общ.колич.строк = 6  текущая строка = 4");
    EXPECT_TRUE(form.action("First")->isEnabled());
}

TEST_F(BaseFormTest, GroupBoxHeightAndTreeWidthAreKept)
{
    {
        TPasportListForm form;
        form.show();
        form.setComplectVisible(true);
        form.setGroupFields({"Name_DevType"});
        form.updateOnIdle();
        form.findChild<QSplitter*>("Splitter1")->setSizes({150, 300});
        form.findChild<QSplitter*>("TreeSplitter")->setSizes({140, 600});
        form.close();
    }
    FormSettings stored("TPasportListForm");
    EXPECT_EQ(stored.value("GroupBox.Height").toInt(), 150);
    EXPECT_EQ(stored.value("TreePanel.Width").toInt(), 140);
    TPasportListForm again;
    again.show();
    again.updateOnIdle();
    EXPECT_EQ(again.findChild<QSplitter*>("TreeSplitter")->sizes().value(0), 140);
    EXPECT_TRUE(again.GroupFields().isEmpty()); // every window opens ungrouped
    again.setGroupFields({"Name_Location"});
    again.updateOnIdle();
    EXPECT_EQ(again.findChild<QSplitter*>("Splitter1")->sizes().value(0), 150);
}
