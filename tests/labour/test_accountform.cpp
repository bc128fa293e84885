#include "AccountFixture.h"

#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "labour/AccountFrm.h"
#include "support/QtPrinters.h"
#include "tables/BaseFrm.h"
#include "tables/GridFooter.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <ostream>

TEST_F(AccountFormTest, TableViewListsTheSharesWithTheirSumAndTheButtonBoxFollowsViewAndPage)
{
    open();
    EXPECT_EQ(form->dsMain()->objectName(), "dsAccount");
    EXPECT_EQ(form->dsMain()->recordCount(), scalar("select count(*) from AccountView").toInt());
    auto* footer = child<GridFooter>("gridPasportFooter");
    EXPECT_DOUBLE_EQ(footer->sum("Value"), 600 + 100 + 1158.8);
    EXPECT_EQ(footer->sumText("Value"), "1858,80"); // hours with two places
    EXPECT_TRUE(form->grid()->isColumnHidden(form->dsMain()->fieldIndex("ID_Crew")));
    EXPECT_EQ(form->dsMain()->field("Value")->label(), "Норма времени");

    const QStringList nav = {"btnFirst", "btnPrior", "btnNext", "btnLast"};
    struct Case {
        int page;
        QStringList shown;
        QString insertAction, deleteAction;
    };
    const Case cases[] = {
        {0, {"btnPrintDevType"}, {}, {}},
        {1, nav + QStringList{"btnInsert", "btnSame", "btnDelete", "btnPrintCrewList"}, "InsertCrewList", "DeleteCrewList"},
        {2, nav + QStringList{"btnInsert", "btnDelete", "btnPrintNormAcc"}, "InsertNormState", "DeleteNormState"},
    };
    settle();
    EXPECT_EQ(shownButtons(), nav + QStringList{"btnPrint"});
    swap();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        tabs()->setCurrentIndex(c.page);
        settle();
        EXPECT_EQ(shownButtons(), c.shown);
        if (!c.insertAction.isEmpty()) {
            EXPECT_EQ(qobject_cast<QToolButton*>(button("btnInsert"))->defaultAction()->objectName(), c.insertAction);
            EXPECT_EQ(qobject_cast<QToolButton*>(button("btnDelete"))->defaultAction()->objectName(), c.deleteAction);
        }
    }
    EXPECT_EQ(qobject_cast<QToolButton*>(button("btnSame"))->defaultAction()->objectName(), "Insert2");
    EXPECT_EQ(button("btnPrintDevType")->property("Tag").toInt(), 1);
    EXPECT_EQ(button("btnPrintNormAcc")->property("Tag").toInt(), 8);
    EXPECT_TRUE(button("btnPrintNormAcc")->isEnabled()); // the page shows a crew whose norms can print
    swap();
    settle();
    EXPECT_EQ(shownButtons(), nav + QStringList{"btnPrint"});
    EXPECT_FALSE(ds("dsNormState")->isActive());
}

TEST_F(AccountFormTest, InformationPageFollowsTheCrewAndKeepsPairsComplete)
{
    const qint64 newType = insert("insert into DevType (Name_DevType) values ('Весы')");
    openPage(0);
    // Showing the page made the missing pairs.
    EXPECT_EQ(scalar("select count(*) from DevTypeCount").toInt(), 3 * 3);
    auto* selector = child<QComboBox>("editCrewDep");
    EXPECT_EQ(selector->count(), 3);
    EXPECT_EQ(selector->itemText(selector->findData(crewAlone)), ""); // no department, no text
    EXPECT_EQ(selector->currentText(), "Цех КИП  ,  Бригада 1");
    Dataset* types = ds("dsDevType");
    EXPECT_EQ(types->recordCount(), 3);
    ASSERT_TRUE(types->locate("ID_DevType", gauge));
    EXPECT_EQ(types->value("RecN").toInt(), types->recNo());
    EXPECT_EQ(ds("dsDevRep")->recordCount(), 2);
    EXPECT_EQ(ds("dsDevRep")->value("Full").toString(), "Поверка");
    EXPECT_EQ(ds("dsRepCath")->recordCount(), 2);
    // The services list was empty when the page opened (the scales have none): it is fitted now.
    const QHeaderView* services = child<QTableView>("GridDevRep")->horizontalHeader();
    for (int c = 0; c < services->count(); ++c)
        if (!services->isSectionHidden(c))
            EXPECT_GE(services->sectionSize(c), services->sectionSizeHint(c)) << "column " << c;
    chooseCrew("editCrewDep", crew2);
    EXPECT_EQ(ds("dsDevRep")->recordCount(), 0);
    EXPECT_FALSE(button("btnAddRepCath")->isEnabled()); // no service row to share
    Q_UNUSED(newType);
}

TEST_F(AccountFormTest, EditsStayWithTheCrewTheyWereMadeIn)
{
    openPage(0);
    Dataset* types = ds("dsDevType");
    ASSERT_TRUE(types->locate("ID_DevType", thermometer));
    types->edit();
    types->setValue("Count", 4);
    chooseCrew("editCrewDep", crew2); // moving the selector stores the edit first
    EXPECT_EQ(scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2")
                         .arg(thermometer).arg(crew1)).toInt(), 4);
    EXPECT_TRUE(scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2")
                           .arg(thermometer).arg(crew2)).isNull());

    tabs()->setCurrentIndex(1);
    settle();
    Dataset* member = ds("dsCrewList");
    ASSERT_EQ(ds("dsCrewListView")->recordCount(), 2);
    member->edit();
    member->setValue("ProfNaimen", "Слесарь КИПиА");
    chooseCrew("editCrewDep2", crew2);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from CrewList where ICrew = %1").arg(crew1)).toInt(), 2);
    EXPECT_EQ(scalar(QStringLiteral("select ProfNaimen from CrewList where [No] = 1")).toString(), "Слесарь КИПиА");
}

TEST_F(AccountFormTest, APostedTypeGetsItsPairsAndCountInTheSelectedCrew)
{
    openPage(0);
    chooseCrew("editCrewDep", crew2);
    click("btnInsertDevType");
    Dataset* types = ds("dsDevType");
    types->setValue("Name_DevType", "Весы");
    types->setValue("Count", 6);
    types->post();
    const qint64 id = scalar("select ID_DevType from DevType where Name_DevType = 'Весы'").toLongLong();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from DevTypeCount where IDevType = %1").arg(id)).toInt(), 3);
    EXPECT_EQ(scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2").arg(id).arg(crew2))
                  .toInt(), 6);
    EXPECT_EQ(types->recordCount(), 3);
    EXPECT_EQ(types->value("ID_DevType").toLongLong(), id);
}

// The count belongs to the crew's pair, not to the type's row, yet another planner's change to it
// stops the save all the same, and writing over it is asked first.
TEST_F(AccountFormTest, ACountAnotherPlannerChangedIsNotWrittenOverUnasked)
{
    openPage(0);
    chooseCrew("editCrewDep", crew1);
    Dataset* types = ds("dsDevType");
    ASSERT_TRUE(types->locate("ID_DevType", gauge));
    types->edit();
    types->setValue("Count", 12);
    const QString pair = QStringLiteral(" where IDevType = %1 and ICrew = %2").arg(gauge).arg(crew1);
    SqlConnection other;
    other.setDatabaseFile(dir.file("Device.db"));
    other.execute("update DevTypeCount set [Count] = 11" + pair);

    // stored as the user leaves the row in the grid
    auto* grid = child<QTableView>("GridDevType");
    const int edited = types->currentRow();
    grid->setCurrentIndex(grid->model()->index(edited == 0 ? 1 : 0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(types->currentRow(), edited);
    EXPECT_EQ(grid->currentIndex().row(), edited) << "the grid goes back to the row being edited";
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().constFirst().contains("Другой пользователь")) << messages.texts().constFirst().toStdString();
    EXPECT_TRUE(messages.texts().constFirst().contains(": 11")) << messages.texts().constFirst().toStdString();
    EXPECT_EQ(types->value("Count").toInt(), 12) << "the planner's value is kept";
    EXPECT_EQ(scalar("select [Count] from DevTypeCount" + pair).toInt(), 11);

    messages.clear();
    messages.answerNext(true);
    InstrelApplication::guarded([types] { types->post(); });
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().constFirst().question);
    EXPECT_EQ(scalar("select [Count] from DevTypeCount" + pair).toInt(), 12);
}

TEST_F(AccountFormTest, AnnualVolumeDivisionAndDeletionRefusals)
{
    openPage(0);
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", gauge));
    Dataset* rows = ds("dsDevRep");
    ASSERT_TRUE(rows->locate("ID_DevRep", gaugeCheck));
    rows->edit();
    rows->setValue("RT", QVariant());
    rows->setValue("RT_Mon", 3);
    rows->setValue("RT_PC", 1.5);
    click("btnRCount"); // the pending edit is stored and counted: 12 / 3 = 4 a year, 10 x 4 x 1.5
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select RT from DevRep where ID_DevRep = %1").arg(gaugeCheck)), 4);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select RCount from DevRep where ID_DevRep = %1").arg(gaugeCheck)), 60);
    EXPECT_TRUE(messages.shown().isEmpty());

    rows->edit();
    rows->setValue("RT", 2);
    rows->setValue("RT_Mon", 4);
    click("btnRCount");
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::AccountIntervalNotLinked) + "\r" + Text(Str::OperationCanceled)});
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select RT from DevRep where ID_DevRep = %1").arg(gaugeCheck)), 2);

    messages.clear();
    rows->edit();
    rows->setValue("RCount", 90);
    rows->post();
    share(gaugeCheck, grade3, 1);
    RequeryDataSetKeepRow(*ds("dsRepCath"));
    click("btnDivide");
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from RepCath where IDevRep = %1 and [Value] = 30").arg(gaugeCheck)).toInt(), 3);
    rows->edit();
    rows->setValue("RCount", 0);
    rows->post();
    click("btnDivide");
    EXPECT_EQ(messages.texts(), QStringList{"Норма времени = 0.Операция отменена."});

    // A service row with shares and a type with service rows stay.
    messages.clear();
    click("btnDelDevRep");
    EXPECT_EQ(rows->recordCount(), 2);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.texts()[0].endsWith(Text(Str::OperationCanceled)));
    messages.clear();
    click("btnDelDevType");
    EXPECT_EQ(ds("dsDevType")->recordCount(), 2);
    EXPECT_TRUE(messages.texts().value(0).endsWith(Text(Str::OperationCanceled)));
}

// The second share cannot be stored: none is divided, and the list shows what the file holds.
TEST_F(AccountFormTest, ADivisionThatFailsPartWayDividesNothing)
{
    run(QStringLiteral("create trigger refuse before update on RepCath when old.ICathegory = %1 "
                       "begin select raise(abort, 'share refused'); end")
            .arg(grade5));
    openPage(0);
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", gauge));
    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeCheck));
    Dataset* shares = ds("dsRepCath");
    ASSERT_EQ(shares->recordCount(), 2);
    click("btnDivide");
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains("share refused")) << messages.texts()[0].toStdString();
    const auto stored = [this](qint64 grade) {
        return number(QStringLiteral("select [Value] from RepCath where IDevRep = %1 and ICathegory = %2").arg(gaugeCheck).arg(grade));
    };
    EXPECT_DOUBLE_EQ(stored(grade4), 600);
    EXPECT_DOUBLE_EQ(stored(grade5), 100);
    EXPECT_EQ(shares->state(), Dataset::State::Browse);
    for (int row = 0; row < shares->recordCount(); ++row) {
        const qint64 grade = shares->valueAt(row, shares->fieldIndex("ICathegory")).toLongLong();
        EXPECT_DOUBLE_EQ(shares->valueAt(row, shares->fieldIndex("Value")).toDouble(), stored(grade)) << grade;
    }
}

namespace {

// Answers Yes to every question and notes whether the connection was inside a transaction meanwhile.
class TransactionProbe final : public MessageService {
public:
    explicit TransactionProbe(SqlConnection& db) : m_db(db) { m_previous = MessageService::install(this); }
    ~TransactionProbe() override { MessageService::install(m_previous); }
    void show(Kind kind, const QString& text, const QString& title) override { m_previous->show(kind, text, title); }
    bool askYesNo(Kind, const QString& text, const QString&) override
    {
        questions.append(text);
        inTransaction.append(m_db.inTransaction());
        return true;
    }
    QStringList questions;
    QList<bool> inTransaction;

private:
    SqlConnection& m_db;
    MessageService* m_previous = nullptr;
};

} // namespace

// While a question of the norm count waits, the program holds no transaction: another planner's
// save goes through.
TEST_F(AccountFormTest, NormCountAsksBeforeItWrites)
{
    openPage(2);
    chooseCrew("editCrewDep3", crew1);
    {
        TransactionProbe probe(db());
        click("btnNormCount");
        EXPECT_EQ(probe.inTransaction, (QList<bool>{false, false}));
        ASSERT_EQ(probe.questions.size(), 2);
        EXPECT_EQ(probe.questions[0], FormatText(Str::AccountMinimalFundConfirm, QString("5,"), 1700.0));
    }
    // The answers still count: grade 5 has no member and takes the smallest fund, grade 4 its member's.
    const auto plan = [this](qint64 grade) {
        return number(QStringLiteral("select PlanP1E from NormState where ICrew = %1 and ICathegory = %2").arg(crew1).arg(grade));
    };
    EXPECT_DOUBLE_EQ(plan(grade5), 1700);
    EXPECT_DOUBLE_EQ(plan(grade4), 1760);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("|").toStdString();
}

// A changed count is stored and followed through every figure of the crew in one command, which is
// offered once the count changed; the page shows the type the planner left when he comes back.
TEST_F(AccountFormTest, RecountAllAfterAChangedCountAndTheTypeKeptOnReturn)
{
    openPage(0);
    chooseCrew("editCrewDep", crew1);
    auto* offer = child<QLabel>("labRecountOffer");
    EXPECT_TRUE(offer->isHidden());
    Dataset* types = ds("dsDevType");
    ASSERT_TRUE(types->locate("ID_DevType", gauge));
    types->edit();
    types->setValue("Name_DevType", "Манометр");
    types->post();
    EXPECT_TRUE(offer->isHidden()) << "a change that is not the count offers nothing";
    types->edit();
    types->setValue("Count", 12);
    types->post();
    EXPECT_FALSE(offer->isHidden());

    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeCheck));
    ds("dsRepCath")->edit();
    ds("dsRepCath")->setValue("Value", 500); // pending: stored before the recount, then scaled
    click("btnRecountAll");
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Information);
    const QString report = messages.texts()[0];
    EXPECT_TRUE(report.startsWith("Пересчитано для бригады")) << report.toStdString();
    EXPECT_TRUE(report.contains("Манометр МП-100, П — Годовой объем: 20 → 24")) << report.toStdString();
    EXPECT_TRUE(offer->isHidden());
    EXPECT_DOUBLE_EQ(ds("dsDevRep")->value("RCount").toDouble(), 24);
    EXPECT_EQ(ds("dsDevRep")->value("ID_DevRep").toLongLong(), gaugeCheck);
    double shares = 0;
    for (int row = 0; row < ds("dsRepCath")->recordCount(); ++row)
        shares += ds("dsRepCath")->valueAt(row, ds("dsRepCath")->fieldIndex("Value")).toDouble();
    EXPECT_NEAR(shares, 24, 1e-5);
    EXPECT_GT(scalar(QStringLiteral("select count(*) from NormState where ICrew = %1").arg(crew1)).toInt(), 0);

    ASSERT_TRUE(types->locate("ID_DevType", thermometer));
    tabs()->setCurrentIndex(1);
    settle();
    tabs()->setCurrentIndex(0);
    settle();
    EXPECT_EQ(ds("dsDevType")->value("ID_DevType").toLongLong(), thermometer);
    swap();
    swap();
    EXPECT_EQ(ds("dsDevType")->value("ID_DevType").toLongLong(), thermometer);
}

TEST_F(AccountFormTest, NewRowsAlwaysBelongSomewhere)
{
    openPage(0);
    chooseCrew("editCrewDep", crewAlone);
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", thermometer));
    click("btnAddDevRep");
    Dataset* rows = ds("dsDevRep");
    EXPECT_EQ(rows->value("ICrew").toLongLong(), crewAlone);
    EXPECT_EQ(rows->value("IDevType").toLongLong(), thermometer);
    EXPECT_FALSE(button("btnAddRepCath")->isEnabled()); // the service row is not stored yet
    rows->setValue("R_No", 1);
    rows->post();
    settle();
    click("btnAddRepCath");
    ds("dsRepCath")->setValue("Value", 5);
    ds("dsRepCath")->post();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from RepCath where IDevRep = %1")
                         .arg(rows->value("ID_DevRep").toLongLong())).toInt(), 1);

    tabs()->setCurrentIndex(2);
    chooseCrew("editCrewDep3", crew2);
    click("btnInsert");
    ds("dsNormState")->setValue("ExtPlan", 12);
    ds("dsNormState")->post();
    EXPECT_EQ(scalar(QStringLiteral("select ICrew from NormState where ExtPlan = 12")).toLongLong(), crew2);
}

TEST_F(AccountFormTest, CrewStructureInsertCopyAndWorkingFund)
{
    const qint64 day = insert("insert into WorkDayLenth (Name_WorkDayLenth, Lenth) values ('8 ч', 8)");
    const qint64 fund = insert("insert into DayFund (Name_DayFund, DayFundNum) values ('Пятидневка', 250)");
    const qint64 holiday = insert("insert into LostDayUsed (Name_LostDayUsed, LostDayUsed) values ('Отпуск', 24)");
    const qint64 losses = insert("insert into LostDayMiscPC (Name_LostDayMiscPC, LostDayMiscPC) values ('Прочие', 4)");
    openPage(1);
    Dataset* view = ds("dsCrewListView");
    Dataset* member = ds("dsCrewList");
    ASSERT_TRUE(view->locate("No", 1));
    member->edit();
    member->setValue("IWorkDayLenth", day);
    member->setValue("IDayFundNom", fund);
    member->setValue("ILostDayUsed", holiday);
    member->setValue("ILostDayMiscPC", losses);
    click("btnCount"); // the pending edit is what is counted
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("|").toStdString();
    EXPECT_DOUBLE_EQ(view->value("LostDayUsedPC").toDouble(), 8);
    EXPECT_DOUBLE_EQ(view->value("LostDaySumPC").toDouble(), 12);
    EXPECT_DOUBLE_EQ(view->value("DayFundRez").toDouble(), 220);
    EXPECT_DOUBLE_EQ(view->value("DayFundP1E").toDouble(), 1760);
    EXPECT_EQ(view->value("No").toInt(), 1);

    chooseCrew("editCrewDep2", crew2);
    swap(); // back and forth keeps the crew chosen
    swap();
    tabs()->setCurrentIndex(1);
    settle();
    chooseCrew("editCrewDep2", crew2);
    click("btnInsert");
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from CrewList where ICrew = %1").arg(crew2)).toInt(), 1);
    EXPECT_EQ(view->recordCount(), 1);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>("EditNo"));
    click("btnCount");
    EXPECT_EQ(messages.texts(),
              QStringList{"Пустое значение продолжительности отпуска.\rПустое значение номинального фонда рабочего "
                          "времени.\rПустое значение прочих потерь рабочего времени.\rПустое значение "
                          "продолжительности рабочего дня\r"});

    // "Same" copies a member of crew 1 into the crew chosen in the selector.
    chooseCrew("editCrewDep2", crew1);
    ASSERT_TRUE(view->locate("No", 1));
    chooseCrew("editCrewDep2", crew1);
    click("btnSame");
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from CrewList where ICrew = %1 and DayFundP1E = 1760").arg(crew1)).toInt(), 2);
    click("btnDelete");
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from CrewList where ICrew = %1").arg(crew1)).toInt(), 2);
}

// The crew list is read again whenever it gets the focus. After "Count" on one member the user
// scrolls the list and clicks a member far below: that member becomes current, the list stays where
// it was scrolled, and the next command acts on the member clicked.
TEST_F(AccountFormTest, AClickThatFocusesTheCrewListMakesTheClickedMemberCurrent)
{
    for (int no = 3; no <= 80; ++no)
        member(crew1, grade4, 1700, no);
    openPage(1);
    Dataset* view = ds("dsCrewListView");
    auto* grid = child<QTableView>("GridCrewList");
    ASSERT_TRUE(view->locate("No", 5)); // the re-read went to the first row on its way back to this one
    click("btnCount");
    messages.clear();
    child<QLineEdit>("EditNo")->setFocus();
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), grid);

    QScrollBar* scroll = grid->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    scroll->setValue(scroll->maximum());
    const int scrolled = scroll->value();
    const int noColumn = view->fieldIndex("No");
    const int row = grid->rowAt(grid->viewport()->height() - grid->rowHeight(0));
    ASSERT_GT(row, 10);
    const QVariant clickedNo = grid->model()->index(row, noColumn).data();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, noColumn)).center());
    QCoreApplication::processEvents();

    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(view->recNo(), row + 1);
    EXPECT_EQ(view->value("No"), clickedNo);
    EXPECT_EQ(scroll->value(), scrolled);
    EXPECT_EQ(ds("dsCrewList")->value("No"), clickedNo); // the editors above show the member clicked
}

TEST_F(AccountFormTest, NormStateCountedOnThePivotPage)
{
    openPage(2);
    messages.answerNext(false);
    messages.answerNext(true);
    click("btnNormCount");
    Dataset* norm = ds("dsNormState");
    ASSERT_EQ(norm->recordCount(), 2);
    EXPECT_EQ(norm->value("Cathegory").toInt(), 4);
    EXPECT_DOUBLE_EQ(norm->value("PlanP1E").toDouble(), 1760);
    EXPECT_EQ(child<QLineEdit>("DBEdit6")->text(), "1760");
    EXPECT_EQ(messages.shown().size(), 2);
}

TEST_F(AccountFormTest, GoToFieldJumpsAndSettings)
{
    open();
    form->GoToField("Name_Reps");
    settle();
    EXPECT_TRUE(form->isFormView());
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(child<QTableView>("GridDevRep")->hasFocus());
    form->GoToField("Comments");
    EXPECT_TRUE(child<QTableView>("GridDevRep")->hasFocus());

    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", gauge));
    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeRepair));
    click("btnEditService");
    auto* sprav = qobject_cast<TSpravForm*>(main->findChildWindow("TSpravForm"));
    ASSERT_TRUE(sprav);
    EXPECT_EQ(sprav->currentPage(), 15);
    EXPECT_EQ(sprav->currentDataset()->value("ID_Reps").toLongLong(), repair);
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    click("btnEditCrewDep");
    EXPECT_EQ(sprav->currentPage(), 3);
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    click("btnEditDevType");
    auto* types = qobject_cast<TBaseForm*>(main->findChildWindow("TTypeForm"));
    ASSERT_TRUE(types);
    EXPECT_EQ(types->dsMain()->value("ID_DevType").toLongLong(), gauge);
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));

    child<QSplitter>("SplitterTypes")->setSizes({150, 500});
    const int width = child<QSplitter>("SplitterTypes")->sizes().value(0);
    form->parentWidget()->close();
    QSettings ini(dir.file("Device.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("TAccountForm/PanelTypes.Width").toInt(), width);
    EXPECT_TRUE(ini.contains("TAccountForm/Width"));
    EXPECT_TRUE(ini.contains("TAccountForm/GridDevRep.Columns"));
    openPage(0);
    QCoreApplication::processEvents();
    EXPECT_NEAR(child<QSplitter>("SplitterTypes")->sizes().value(0), width, 2);
}

TEST_F(AccountFormTest, SelectorItemActivationAndListJumps)
{
    auto* selector = main->findChild<QComboBox*>("sComboTable");
    ASSERT_TRUE(selector);
    emit selector->activated(5);
    form = qobject_cast<TAccountForm*>(main->findChildWindow("TAccountForm"));
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isFormView());

    // Activation re-reads the page shown: a member added elsewhere appears.
    tabs()->setCurrentIndex(1);
    swap();
    EXPECT_EQ(ds("dsCrewListView")->recordCount(), 2);
    member(crew1, grade5, 1650, 3);
    form->FormActivate();
    EXPECT_EQ(ds("dsCrewListView")->recordCount(), 3);
    EXPECT_TRUE(ds("dsCrewList")->isActive());

    // The ellipsis of a list editor opens the linked tables on that list, at the row in use.
    ASSERT_TRUE(ds("dsCrewListView")->locate("No", 2));
    click("DBLookupComboboxEh1Ellipsis");
    auto* sprav = qobject_cast<TSpravForm*>(main->findChildWindow("TSpravForm"));
    ASSERT_TRUE(sprav);
    EXPECT_EQ(sprav->currentPage(), 19);
    EXPECT_EQ(sprav->currentDataset()->value("ID_Cathegory").toLongLong(), grade3);
}
