#include "app/MainFrm.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "tables/FileDialogs.h"
#include "tables/print/GridPrinter.h"
#include "tables/SaveSelectedRows.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"
#include "support/QtPrinters.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

namespace {

// An upgraded database with no data, the linked tables window on it, shown and active.
class SpravTest : public ::testing::Test {
protected:
    void SetUp() override { TestDatabase::createUpgradedEmptyDatabase(dir.path()); }

    void run(const QString& statement) { dm.ADOConnection()->execute(statement); }
    int scalar(const QString& statement) { return dm.ADOConnection()->scalar(statement).toInt(); }

    TSpravForm& open()
    {
        form = std::make_unique<TSpravForm>();
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    template <class T>
    T* child(const QString& name)
    {
        T* found = form->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    Dataset* ds(const QString& name) { return child<Dataset>(name); }
    QTableView* grid(const QString& name) { return child<QTableView>(name); }
    QPushButton* button(const QString& name) { return child<QPushButton>(name); }

    // A grid takes the focus as if clicked; the window follows it.
    void focus(const QString& gridName)
    {
        grid(gridName)->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }
    void click(const QString& buttonName)
    {
        QTest::mouseClick(button(buttonName), Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    QStringList visibleTitles(const QString& gridName)
    {
        QTableView* g = grid(gridName);
        QStringList titles;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            if (!g->isColumnHidden(c))
                titles.append(g->model()->headerData(c, Qt::Horizontal).toString());
        return titles;
    }

    TempWorkDir dir;
    TDM dm;
    MessageRecorder messages;
    std::unique_ptr<TSpravForm> form;
};

TEST_F(SpravTest, PagesFollowTheListInOrderAndOpenOnlyTheirDatasets)
{
    struct PageCase {
        const char* sheet;
        QStringList datasets;
    };
    const std::vector<PageCase> pages = {
        {"TabSheetPrec", {"dsPrec"}},
        {"TabSheetDest", {"dsDest"}},
        {"TabSheetClass", {"dsClass"}},
        {"TabSheetCrew", {"dsDepart", "dsCrew"}},
        {"TabSheetConstruct", {"dsConstruct"}},
        {"TabSheetDimention", {"dsDimention"}},
        {"TabSheetDocument", {"dsDocument"}},
        {"TabSheetGrade", {"dsGrade"}},
        {"TabSheetLocation", {"dsLocation", "dsLocSet"}},
        {"TabSheetRefusal", {"dsRefusalGroupNaimen", "dsRefusalNaimen"}},
        {"TabSheetMaker", {"dsMaker"}},
        {"TabSheetMere", {"dsMere"}},
        {"TabSheetParameters", {"dsRefusalParam", "dsDimention"}},
        {"TabSheetMarg", {"dsMarg"}},
        {"TabSheetScale", {"dsScale"}},
        {"TabSheetReps", {"dsReps"}},
        {"TabSheetState", {"dsState"}},
        {"TabSheetSystem", {"dsSystem"}},
        {"TabSheetNaim", {"dsNaim"}},
        {"TabSheetCathegory", {"dsCathegory"}},
        {"TabSheetWorkDayLenth", {"dsWorkDayLenth"}},
        {"TabSheetDayFund", {"dsDayFund"}},
        {"TabSheetLostDayUsed", {"dsLostDayUsed"}},
        {"TabSheetLostDayMiscPC", {"dsLostDayMiscPC"}},
    };
    TSpravForm& f = open();
    EXPECT_EQ(f.windowTitle(), "Справочники");
    auto* list = child<QListWidget>("TableList");
    ASSERT_EQ(list->count(), LinkedTableCount);
    const QStringList names = linkedTableNames();
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->item(i)->text(), names[i]);
    auto* stack = child<QStackedWidget>("PageControl1");
    const QList<Dataset*> all = f.findChildren<Dataset*>();
    for (int i = 0; i < int(pages.size()); ++i) {
        SCOPED_TRACE(pages[size_t(i)].sheet);
        list->setCurrentRow(i);
        EXPECT_EQ(f.currentPage(), i);
        EXPECT_EQ(stack->currentWidget()->objectName(), pages[size_t(i)].sheet);
        QStringList open;
        for (Dataset* d : all)
            if (d->isActive())
                open.append(d->objectName());
        open.sort();
        QStringList expected = pages[size_t(i)].datasets;
        expected.sort();
        EXPECT_EQ(open, expected);
    }
}

TEST_F(SpravTest, CaptionsLabelsAndVisibleColumns)
{
    TSpravForm& f = open();
    EXPECT_EQ(button("btnFirst")->text(), "Первая");
    EXPECT_EQ(button("btnInsert")->text(), "Добавить");
    EXPECT_EQ(button("btnInsert")->toolTip(), "Добавить новую строку");
    EXPECT_EQ(button("btnClose")->text(), "Закрыть");
    EXPECT_EQ(child<QLabel>("labPrec")->text(), "Точности");

    f.SelectPage(3);
    EXPECT_EQ(child<QLabel>("labDepart")->text(), "Подразделения");
    EXPECT_EQ(child<QLabel>("labCrew")->text(), "Бригады");
    EXPECT_EQ(visibleTitles("gridCrew"), QStringList({"Наименование"}));
    f.SelectPage(8);
    EXPECT_EQ(child<QLabel>("labLocation")->text(), "Расположения");
    EXPECT_EQ(child<QLabel>("labLocSet")->text(), "Места установки");
    EXPECT_EQ(visibleTitles("gridLocSet"), QStringList({"Наименование"}));
    f.SelectPage(9);
    EXPECT_EQ(visibleTitles("gridRefusalGroupNaimen"), QStringList({"Группа"}));
    f.SelectPage(12);
    EXPECT_EQ(visibleTitles("gridRefusalParam"), QStringList({"Параметр", "Размерность"}));
    f.SelectPage(15);
    EXPECT_EQ(visibleTitles("gridReps"), QStringList({"Наименование обслуживания", "Аббревиатура обслуживания"}));
    f.SelectPage(20);
    EXPECT_EQ(visibleTitles("gridWorkDayLenth"),
              QStringList({"Наименование", "Продолжительность рабочего дня в часах"}));
}

TEST_F(SpravTest, DetailRowGetsTheKeyOfTheCurrentMasterRow)
{
    run("insert into Depart (Name_Depart) values ('Цех 1'), ('Цех 2')");
    run("insert into Crew (Name_Crew, IDepart) values ('Бригада 1-1', 1)");
    TSpravForm& f = open();
    f.SelectPage(3);
    Dataset* departs = ds("dsDepart");
    Dataset* crews = ds("dsCrew");
    ASSERT_TRUE(departs->locate("Name_Depart", "Цех 2"));
    EXPECT_EQ(crews->recordCount(), 0);
    focus("gridCrew");
    click("btnInsert");
    ASSERT_EQ(crews->state(), Dataset::State::Insert);
    crews->setValue("Name_Crew", "Бригада 2-1");
    QTableView* g = grid("gridDepart");
    g->setCurrentIndex(g->model()->index(0, departs->fieldIndex("Name_Depart"))); // the user picks the other department
    EXPECT_EQ(departs->value("Name_Depart").toString(), "Цех 1");
    EXPECT_EQ(scalar("select IDepart from Crew where Name_Crew = 'Бригада 2-1'"), 2);
    EXPECT_EQ(crews->recordCount(), 1);
    EXPECT_EQ(crews->value("Name_Crew").toString(), "Бригада 1-1");
    EXPECT_TRUE(messages.shown().isEmpty());

    // The same with places: the new place stores the current location.
    run("insert into Location (Name_Location) values ('Корпус А'), ('Корпус Б')");
    f.SelectPage(8);
    ASSERT_TRUE(ds("dsLocation")->locate("Name_Location", "Корпус Б"));
    focus("gridLocSet");
    click("btnInsert");
    Dataset* places = ds("dsLocSet");
    ASSERT_EQ(places->state(), Dataset::State::Insert);
    places->setValue("Name_LocSet", "Щит 5");
    f.SelectPage(0); // leaving the page posts
    EXPECT_EQ(scalar("select ILocation from LocSet where Name_LocSet = 'Щит 5'"), 2);
}

TEST_F(SpravTest, ButtonsFollowTheGridThatLastHadTheFocus)
{
    run("insert into Location (Name_Location) values ('Корпус А')");
    TSpravForm& f = open();
    f.SelectPage(8);
    EXPECT_EQ(f.currentDataset(), ds("dsLocation")); // the master list at first

    focus("gridLocSet");
    EXPECT_EQ(f.currentDataset(), ds("dsLocSet"));
    click("btnInsert");
    EXPECT_EQ(ds("dsLocSet")->state(), Dataset::State::Insert);
    EXPECT_EQ(ds("dsLocation")->state(), Dataset::State::Browse);

    // Back to the locations: the empty new place is dropped, and Insert adds a location.
    focus("gridLocation");
    EXPECT_EQ(f.currentDataset(), ds("dsLocation"));
    EXPECT_EQ(ds("dsLocSet")->state(), Dataset::State::Browse);
    EXPECT_EQ(ds("dsLocSet")->recordCount(), 0);
    click("btnInsert");
    EXPECT_EQ(ds("dsLocation")->state(), Dataset::State::Insert);
    EXPECT_EQ(ds("dsLocSet")->recordCount(), 0); // a location being added has no places yet
    ds("dsLocation")->setValue("Name_Location", "Корпус Б");
    click("btnLast");
    EXPECT_EQ(scalar("select count(*) from Location"), 2);
    EXPECT_EQ(scalar("select count(*) from LocSet"), 0);

    // Another page starts again from its master list.
    f.SelectPage(3);
    EXPECT_EQ(f.currentDataset(), ds("dsDepart"));
}

TEST_F(SpravTest, MasterRowsWithDetailRowsAreRefusedWithAnError)
{
    run("insert into Location (Name_Location) values ('Корпус А'), ('Корпус Б')");
    run("insert into LocSet (Name_LocSet, ILocation) values ('Щит 1', 1)");
    run("insert into Depart (Name_Depart) values ('Цех 1')");
    run("insert into Crew (Name_Crew, IDepart) values ('Бригада 1', 1)");
    run("insert into RefusalGroupNaimen (Name_GroupNaimen) values ('Механические')");
    run("insert into RefusalNaimen (Name_Naimen, IGroupNaimen) values ('Заедание стрелки', 1)");
    struct RefusalCase {
        int page;
        const char* dataset;
        const char* table;
        const char* message;
    };
    const RefusalCase cases[] = {
        {8, "dsLocation", "Location", "Удалите места установки этого расположения, прежде чем удалять его."},
        {3, "dsDepart", "Depart", "Удалите бригады этого подразделения, прежде чем удалять его."},
        {9, "dsRefusalGroupNaimen", "RefusalGroupNaimen", "Удалите наименования этой группы, прежде чем удалять её."},
    };
    TSpravForm& f = open();
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.table);
        messages.clear();
        f.SelectPage(c.page);
        ds(c.dataset)->first();
        click("btnDelete");
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Error);
        EXPECT_FALSE(messages.shown()[0].question);
        EXPECT_EQ(messages.shown()[0].text, c.message);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from %1").arg(c.table)), c.page == 8 ? 2 : 1);
        EXPECT_EQ(ds(c.dataset)->state(), Dataset::State::Browse);
    }

    // A location without places goes without a word.
    messages.clear();
    f.SelectPage(8);
    ASSERT_TRUE(ds("dsLocation")->locate("Name_Location", "Корпус Б"));
    click("btnDelete");
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(scalar("select count(*) from Location"), 1);
    EXPECT_EQ(ds("dsLocation")->recordCount(), 1);
}

TEST_F(SpravTest, RefusalsOfMasterRowsKeepTheOriginalEnglishTexts)
{
    setLanguageIndex(0);
    EXPECT_EQ(Text(Str::LinkedDeletePlacesFirst), "Delete appropriate places before deleting location.");
    EXPECT_EQ(Text(Str::LinkedDeleteCrewsFirst), "Delete appropriate crews before deleting department.");
    EXPECT_EQ(Text(Str::LinkedDeleteNamesFirst), "Delete appropriate Names before deleting group.");
    setLanguageIndex(INSTREL_LANGUAGE);
}

// Lists without a rule of their own: a value still used stays, with the referring tables and their
// counts; an unused one goes at once, without a question.
TEST_F(SpravTest, ValuesInUseAreRefusedWithTheirReferencesAndUnusedOnesGo)
{
    run("insert into State (Name_State) values ('В работе'), ('Списан')");
    run("insert into Device (ANumber, IState) values ('ИН-1', 2), ('ИН-2', 2), ('ИН-3', 1)");
    run("insert into MovHist (IDevice, ILastState, INewState) values (3, 2, 1)");
    run("insert into Maker (Name_Maker) values ('Альфа'), ('Бета')");
    run("insert into DevType (Name_DevType, IMaker) values ('Манометр', 2)");
    run("insert into Location (Name_Location) values ('Котельная')");
    run("insert into Device (ANumber, ILocation) values ('ИН-4', 1)");
    TSpravForm& f = open();

    f.SelectPage(16);
    ASSERT_TRUE(ds("dsState")->locate("Name_State", "Списан"));
    click("btnDelete");
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "Есть ссылки ( колич.= 2 ) на это значение в Паспортах.\r"
                                        "Есть ссылки ( колич.= 1 ) на это значение в Журнале передвижений.\r"
                                        "Операция отменена.");
    EXPECT_EQ(scalar("select count(*) from State"), 2);
    EXPECT_EQ(ds("dsState")->state(), Dataset::State::Browse);

    messages.clear();
    f.SelectPage(10);
    ASSERT_TRUE(ds("dsMaker")->locate("Name_Maker", "Бета"));
    click("btnDelete");
    EXPECT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckValueTypes, 1) + "\rОперация отменена."}));
    ASSERT_TRUE(ds("dsMaker")->locate("Name_Maker", "Альфа"));
    click("btnDelete");
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(scalar("select count(*) from Maker"), 1);

    // A location without places is still held by the devices standing there.
    messages.clear();
    f.SelectPage(8);
    click("btnDelete");
    EXPECT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckValueDevices, 1) + "\rОперация отменена."}));
    EXPECT_EQ(scalar("select count(*) from Location"), 1);
}

TEST_F(SpravTest, ReferencedCrewIsRefusedWithEveryReasonAsAWarning)
{
    run("insert into Depart (Name_Depart) values ('Цех 1')");
    run("insert into Crew (Name_Crew, IDepart) values ('Бригада 1', 1)");
    run("insert into DevCrew (IDevice, ICrew) values (1, 1), (2, 1)");
    run("insert into DevRep (IDevType, ICrew, IRep) values (1, 1, 1)");
    run("insert into DevTypeCount (IDevType, ICrew, [Count]) values (1, 1, 3), (2, 1, 0)");
    run("insert into CrewList (ICrew, ProfNum) values (1, 2)");
    TSpravForm& f = open();
    f.SelectPage(3);
    focus("gridCrew");
    click("btnDelete");
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Warning);
    EXPECT_EQ(messages.shown()[0].text, "Есть ссылки ( колич.= 2 ) на данную Бригаду в Паспортах.\r"
                                        "Есть ссылки ( колич.= 1 ) на данную Бригаду в Обслуживаниях.\r"
                                        "Есть ссылки ( колич.= 2 ) на данную Бригаду в Типах устройств (Затраты на "
                                        "обслуживание).\r"
                                        "Есть ссылки ( колич.= 1 ) на данную Бригаду в Составе Бригад (Затраты на "
                                        "обслуживание).\r"
                                        "Операция отменена.");
    EXPECT_EQ(scalar("select count(*) from Crew"), 1);
    EXPECT_EQ(ds("dsCrew")->recordCount(), 1);
}

TEST_F(SpravTest, LabourListsAndServicesAreGuardedByTheirChecks)
{
    run("insert into WorkDayLenth (Name_WorkDayLenth, Lenth) values ('8 часов', 8), ('12 часов', 12)");
    run("insert into CrewList (ICrew, IWorkDayLenth) values (1, 1)");
    run("insert into Reps (Name_Reps, Short_Reps) values ('Поверка', 'П')");
    run("insert into DevRep (IDevType, ICrew, IRep) values (1, 1, 1)");
    TSpravForm& f = open();
    f.SelectPage(20);
    ASSERT_TRUE(ds("dsWorkDayLenth")->locate("Name_WorkDayLenth", "8 часов"));
    click("btnDelete");
    ASSERT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckDayLengthCrewList, 1) + "\rОперация отменена."}));
    ASSERT_TRUE(ds("dsWorkDayLenth")->locate("Name_WorkDayLenth", "12 часов"));
    click("btnDelete");
    EXPECT_EQ(scalar("select count(*) from WorkDayLenth"), 1);

    messages.clear();
    f.SelectPage(15);
    click("btnDelete");
    ASSERT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckServiceServiceRows, 1) + "\rОперация отменена."}));
    EXPECT_EQ(scalar("select count(*) from Reps"), 1);
}

TEST_F(SpravTest, SelectPageAndLocateKeyMoveTheListForOtherWindows)
{
    run("insert into Maker (Name_Maker) values ('Альфа'), ('Бета'), ('Гамма')");
    run("insert into Location (Name_Location) values ('Корпус А'), ('Корпус Б')");
    run("insert into LocSet (Name_LocSet, ILocation) values ('Щит 1', 2), ('Щит 2', 2), ('Щит 3', 1)");
    TSpravForm& f = open();

    // Through the meta-object, the way a window without this header calls it.
    bool found = false;
    ASSERT_TRUE(QMetaObject::invokeMethod(&f, "LocateKey", Q_RETURN_ARG(bool, found), Q_ARG(int, 10),
                                          Q_ARG(QVariant, QVariant(2))));
    EXPECT_TRUE(found);
    EXPECT_EQ(f.currentPage(), 10);
    EXPECT_EQ(ds("dsMaker")->value("Name_Maker").toString(), "Бета");
    EXPECT_EQ(grid("gridMaker")->currentIndex().row(), ds("dsMaker")->currentRow());

    EXPECT_FALSE(f.LocateKey(10, 99)); // not found: the list stays
    EXPECT_EQ(ds("dsMaker")->value("Name_Maker").toString(), "Бета");

    EXPECT_TRUE(f.LocateKey(8, 2));
    EXPECT_TRUE(f.LocateDetailKey(8, 2));
    EXPECT_EQ(ds("dsLocSet")->value("Name_LocSet").toString(), "Щит 2");
    EXPECT_FALSE(f.LocateDetailKey(8, 3)); // a place of the other location
    EXPECT_FALSE(f.LocateDetailKey(10, 1)); // a one-list page

    ASSERT_TRUE(QMetaObject::invokeMethod(&f, "SelectPage", Q_ARG(int, 15)));
    EXPECT_EQ(f.currentPage(), 15);
    f.SelectPage(24); // out of range: nothing happens
    EXPECT_EQ(f.currentPage(), 15);
}

TEST_F(SpravTest, RequiredServiceNamesAreRefusedWithAClearMessage)
{
    TSpravForm& f = open();
    f.SelectPage(15);
    click("btnInsert");
    Dataset* reps = ds("dsReps");
    ASSERT_EQ(reps->state(), Dataset::State::Insert);
    reps->setValue("Name_Reps", "Калибровка");
    f.SelectPage(0); // leaving the page posts, and the post is refused: the page stays
    EXPECT_EQ(f.currentPage(), 15);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Error);
    EXPECT_TRUE(messages.shown()[0].text.contains("Аббревиатура обслуживания")) << messages.shown()[0].text.toStdString();
    EXPECT_EQ(reps->state(), Dataset::State::Insert); // nothing lost: the row is still being added
    EXPECT_EQ(scalar("select count(*) from Reps"), 0);

    reps->setValue("Short_Reps", "К");
    f.SelectPage(0);
    EXPECT_EQ(f.currentPage(), 0);
    EXPECT_EQ(scalar("select count(*) from Reps where Short_Reps = 'К'"), 1);
}

TEST_F(SpravTest, GridEditsTheCurrentRowAndMovingPostsIt)
{
    run("insert into Prec (Name_Prec) values (0.5), (1.5)");
    open();
    QTableView* g = grid("gridPrec");
    Dataset* prec = ds("dsPrec");
    const int column = prec->fieldIndex("Name_Prec");
    ASSERT_TRUE(g->model()->flags(g->model()->index(1, column)) & Qt::ItemIsEditable);
    EXPECT_FALSE(g->model()->flags(g->model()->index(1, prec->fieldIndex("ID_Prec"))) & Qt::ItemIsEditable);
    ASSERT_TRUE(g->model()->setData(g->model()->index(1, column), 2.25, Qt::EditRole));
    EXPECT_EQ(prec->recNo(), 2);
    EXPECT_EQ(prec->state(), Dataset::State::Edit);
    g->setCurrentIndex(g->model()->index(0, column)); // the user moves to another row
    EXPECT_EQ(prec->state(), Dataset::State::Browse);
    EXPECT_EQ(prec->recNo(), 1);
    EXPECT_DOUBLE_EQ(dm.ADOConnection()->scalar("select Name_Prec from Prec where ID_Prec = 2").toDouble(), 2.25);
}

TEST_F(SpravTest, CellEditorsTakeCommaDecimalsAndPickDimensionsByName)
{
    run("insert into DayFund (Name_DayFund, DayFundNum) values ('Пятидневка', 247)");
    run("insert into Dimention (Name_Dimention) values ('кПа'), ('мА')");
    run("insert into RefusalParam (Name_Param, IDimention) values ('Ток', 1)");
    TSpravForm& f = open();
    f.SelectPage(21);
    QTableView* g = grid("gridDayFund");
    const QModelIndex cell = g->model()->index(0, ds("dsDayFund")->fieldIndex("DayFundNum"));
    QAbstractItemDelegate* delegate = g->itemDelegateForIndex(cell);
    std::unique_ptr<QWidget> editor(delegate->createEditor(g->viewport(), {}, cell));
    auto* edit = qobject_cast<QLineEdit*>(editor.get());
    ASSERT_TRUE(edit);
    delegate->setEditorData(edit, cell);
    EXPECT_EQ(edit->text(), "247");
    QString bad = "12x";
    int pos = 0;
    EXPECT_EQ(edit->validator()->validate(bad, pos), QValidator::Invalid); // nothing but a number gets typed
    edit->setText("-");
    edit->setModified(true);
    delegate->setModelData(edit, g->model(), cell);
    EXPECT_DOUBLE_EQ(cell.data(Qt::EditRole).toDouble(), 247); // half a number changes nothing
    edit->setText("246,5");
    edit->setModified(true);
    delegate->setModelData(edit, g->model(), cell);
    f.SelectPage(0);
    EXPECT_DOUBLE_EQ(dm.ADOConnection()->scalar("select DayFundNum from DayFund").toDouble(), 246.5);

    f.SelectPage(12);
    g = grid("gridRefusalParam");
    const QModelIndex dimension = g->model()->index(0, ds("dsRefusalParam")->fieldIndex("Name_Dimention"));
    EXPECT_EQ(dimension.data().toString(), "кПа");
    delegate = g->itemDelegateForIndex(dimension);
    editor.reset(delegate->createEditor(g->viewport(), {}, dimension));
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    ASSERT_TRUE(combo);
    delegate->setEditorData(combo, dimension);
    EXPECT_EQ(combo->currentText(), "кПа");
    const int chosen = combo->findText("мА");
    combo->setCurrentIndex(chosen);
    emit combo->activated(chosen); // what the user's click or key reports
    delegate->setModelData(combo, g->model(), dimension);
    EXPECT_EQ(dimension.data().toString(), "мА");
    f.SelectPage(0);
    EXPECT_EQ(scalar("select IDimention from RefusalParam"), 2);
}

TEST_F(SpravTest, PrintShowsTheGridOfTheCurrentList)
{
    run("insert into Location (Name_Location) values ('Корпус А')");
    run("insert into LocSet (Name_LocSet, ILocation) values ('Щит управления', 1)");
    const QString pdf = dir.file("print.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    TSpravForm& f = open();
    f.SelectPage(8);
    focus("gridLocSet");
    click("btnPrint");
    GridPrinter::setPreviewOutputFile({});
    QProcess text;
    text.start("/usr/bin/pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("Щит управления")) << printed.toStdString();
    EXPECT_EQ(printed.count("Корпус А"), 1) << "in the title only: the locations are not printed";
    EXPECT_TRUE(messages.shown().isEmpty());
}

// What is printed carries the list's name: the page's, or on a two-list page the list's own with the
// row of the first list it belongs to.
TEST_F(SpravTest, PrintedListsAreTitledWithTheirPage)
{
    run("insert into Depart (Name_Depart) values ('Цех КИПиА №1')");
    run("insert into Crew (Name_Crew, IDepart) values ('Бригада котельной', 1)");
    run("insert into Maker (Name_Maker) values ('Альфа')");
    const QString pdf = dir.file("print.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    TSpravForm& f = open();
    auto printed = [&] {
        click("btnPrint");
        QProcess text;
        text.start("/usr/bin/pdftotext", {"-layout", pdf, "-"});
        EXPECT_TRUE(text.waitForFinished(30000));
        return QString::fromUtf8(text.readAllStandardOutput()).section('\n', 0, 0).simplified();
    };
    f.SelectPage(10);
    EXPECT_TRUE(printed().startsWith("Изготовители Напечатано "));
    f.SelectPage(3);
    focus("gridCrew");
    EXPECT_TRUE(printed().startsWith("Бригады — Цех КИПиА №1 Напечатано "));
    GridPrinter::setPreviewOutputFile({});
}

// Rows are saved together: Ctrl+A, "Select All" and Shift+click select several; the save dialog says
// how many rows it will write, so that one current row alone is no surprise.
TEST_F(SpravTest, SeveralRowsAreSelectedAndSavedTogether)
{
    run("insert into Maker (Name_Maker) values ('Альфа'), ('Бета'), ('Гамма'), ('Дельта')");
    TSpravForm& f = open();
    f.SelectPage(10);
    QTableView* makers = grid("gridMaker");
    const int csv = 1;
    auto save = [&](const QString& name) {
        FileDialogs::setNextSaveFileName(dir.file(name), csv);
        EXPECT_TRUE(saveSelectedRows(makers, &f));
        QFile file(dir.file(name + ".csv"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    };
    makers->setFocus();
    QTest::keyClick(makers, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(makers->selectionModel()->selectedRows().size(), 4);
    EXPECT_EQ(save("all").size(), 5) << "the titles and the four rows";
    EXPECT_EQ(FileDialogs::lastDialogCaption(), "Сохранить как: будет записано строк: 4");

    auto rowCentre = [&](int row) { return makers->visualRect(makers->model()->index(row, 1)).center(); };
    QTest::mouseClick(makers->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseClick(makers->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(3));
    EXPECT_EQ(makers->selectionModel()->selectedRows().size(), 3);
    EXPECT_EQ(save("three").mid(1), QStringList({"Бета", "Гамма", "Дельта"}));

    QTest::mouseClick(makers->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(save("one").size(), 2);
    EXPECT_EQ(FileDialogs::lastDialogCaption(), "Сохранить как: будет записано строк: 1");
    EXPECT_TRUE(messages.shown().isEmpty());
}

// A refused change of page leaves the list on the page still shown, also when a click chose the other.
TEST_F(SpravTest, RefusedChangeOfPageKeepsTheListOnThePageShown)
{
    TSpravForm& f = open();
    f.SelectPage(15);
    click("btnInsert");
    ASSERT_EQ(ds("dsReps")->state(), Dataset::State::Insert);
    ds("dsReps")->setValue("Name_Reps", "Калибровка"); // the short name is still missing
    auto* list = child<QListWidget>("TableList");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(16)).center());
    QTest::qWait(20);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(f.currentPage(), 15);
    EXPECT_EQ(child<QStackedWidget>("PageControl1")->currentIndex(), 15);
    EXPECT_EQ(list->currentRow(), 15);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems().first()), 15);
}

TEST_F(SpravTest, NavigationButtonsAndStatusBarFollowTheCurrentList)
{
    run("insert into State (Name_State) values ('В работе'), ('В ремонте'), ('Списан')");
    TSpravForm& f = open();
    f.SelectPage(16);
    auto* status = child<QStatusBar>("StatusBar");
    QCoreApplication::processEvents();
    EXPECT_EQ(status->currentMessage(), "Общ.колич.строк = 3  текущая строка = 1");
    EXPECT_FALSE(button("btnFirst")->isEnabled());
    EXPECT_FALSE(button("btnPrior")->isEnabled());
    EXPECT_TRUE(button("btnNext")->isEnabled());
    click("btnLast");
    EXPECT_EQ(status->currentMessage(), "Общ.колич.строк = 3  текущая строка = 3");
    EXPECT_FALSE(button("btnNext")->isEnabled());
    EXPECT_FALSE(button("btnLast")->isEnabled());
    EXPECT_EQ(grid("gridState")->currentIndex().row(), 2);
    click("btnPrior");
    EXPECT_EQ(ds("dsState")->value("Name_State").toString(), "В ремонте");

    f.SelectPage(3); // no departments: nothing to move to or delete, crews cannot be added
    focus("gridCrew");
    EXPECT_EQ(status->currentMessage(), "Общ.колич.строк = 0  текущая строка = 0");
    EXPECT_FALSE(button("btnDelete")->isEnabled());
    EXPECT_FALSE(button("btnInsert")->isEnabled());
}

TEST_F(SpravTest, InsideTheMainWindowLeavingPostsAndCloseEndsTheFrame)
{
    TMainForm::registerWindow("TSpravForm", [] { return new TSpravForm; });
    TMainForm main;
    main.show();
    QTest::qWait(50);
    QWidget* window = main.openOrActivate("TSpravForm");
    ASSERT_TRUE(window);
    bool existed = false;
    EXPECT_EQ(main.openOrActivate("TSpravForm", &existed), window);
    EXPECT_TRUE(existed);
    ASSERT_TRUE(QMetaObject::invokeMethod(window, "SelectPage", Q_ARG(int, 16)));
    auto* states = window->findChild<Dataset*>("dsState");
    QTest::mouseClick(window->findChild<QPushButton*>("btnInsert"), Qt::LeftButton);
    ASSERT_EQ(states->state(), Dataset::State::Insert);
    states->setValue("Name_State", "На консервации");

    main.openOrActivate("TMonitorForm"); // another window becomes active: the new state is stored
    QCoreApplication::processEvents();
    EXPECT_EQ(states->state(), Dataset::State::Browse);
    EXPECT_EQ(scalar("select count(*) from State where Name_State = 'На консервации'"), 1);

    main.openOrActivate("TSpravForm");
    QPointer<QWidget> alive(window);
    QTest::mouseClick(window->findChild<QPushButton*>("btnClose"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(main.findChildWindow("TSpravForm"), nullptr);
    EXPECT_TRUE(QSettings("Device.ini", QSettings::IniFormat).contains("TSpravForm/TableList.Width"));
}

TEST_F(SpravTest, GeometryAndListWidthAreKeptInTheSettingsFile)
{
    {
        TSpravForm& f = open();
        f.resize(780, 500); // within the test screen (800 x 800): restored windows stay on it
        child<QSplitter>("Splitter1")->setSizes({260, 500});
        QCoreApplication::processEvents();
        f.close();
    }
    QSettings ini("Device.ini", QSettings::IniFormat);
    ini.beginGroup("TSpravForm");
    EXPECT_EQ(ini.value("Width").toInt(), 780);
    EXPECT_EQ(ini.value("TableList.Width").toInt(), 260);
    ini.endGroup();

    form.reset();
    open();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->width(), 780);
    EXPECT_EQ(child<QListWidget>("TableList")->width(), 260);
}

} // namespace
