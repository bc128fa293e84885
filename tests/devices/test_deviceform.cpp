#include "WindowsFixture.h"

#include "data/DatabaseError.h"
#include "data/LogAuthor.h"
#include "devices/DeviceFrm.h"
#include "devices/TypeFrm.h"
#include "tables/DatasetGrid.h"
#include "tables/LookupEditor.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"
#include "support/LookupPopup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace {

class DeviceFormTest : public WindowsFixture {
protected:
    TDeviceForm* devices()
    {
        auto* form = open<TDeviceForm>("TDeviceForm");
        tabs = child<QTabWidget>(form, "FormPanel");
        return form;
    }
    // The form view on page `page`.
    void showPage(TDeviceForm* form, int page)
    {
        if (!form->isFormView())
            form->Swap();
        tabs->setCurrentIndex(page);
    }
    QVariant current(TDeviceForm* form) { return form->dsMain()->value("ID_Device"); }
    QStringList editLog(int id)
    {
        QStringList kinds;
        const auto rows = connection().select(QString("select Victim from EditHistView where IDevice = %1").arg(id));
        for (int r = 0; r < rows->rowCount(); ++r)
            kinds << rows->text(r, 0);
        return kinds;
    }

    QTabWidget* tabs = nullptr;
};

} // namespace

TEST_F(DeviceFormTest, InsertListsAnEmptyDeviceAndSameCopiesTheClassification)
{
    TDeviceForm* form = devices();
    trigger(form, "Insert2");
    const int added = current(form).toInt();
    EXPECT_GT(added, 3);
    EXPECT_TRUE(form->dsMain()->value("Name_DevType").isNull());
    EXPECT_EQ(editLog(added), QStringList({"Добавлен"}));
    EXPECT_EQ(ds(form, "dsDevice")->value("ID_Device").toInt(), added);

    run("update Device set ISystem = 1, IClass = 1 where ID_Device = 1");
    ASSERT_TRUE(form->LocateDevice(1));
    trigger(form, "Same");
    const int copy = current(form).toInt();
    EXPECT_GT(copy, added);
    EXPECT_EQ(count(QString("select count(*) from Device where ID_Device = %1 and IDevType = 1 and ISystem = 1 and "
                            "IClass = 1 and ANumber is null and ZNumber is null and ILocation is null and IState is "
                            "null")
                        .arg(copy)),
              1);
    EXPECT_EQ(count(QString("select count(*) from DevCrew where IDevice = %1").arg(copy)), 0);
    EXPECT_EQ(count(QString("select count(*) from NextRep where IDevice = %1").arg(copy)), 0);
}

TEST_F(DeviceFormTest, DeleteRefusesWithTheReasonsInOrderThenDeletesAndCleansUp)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    trigger(form, "Delete");
    EXPECT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckDeviceCrews, 1) + "\r" +
                                             FormatText(Str::RefCheckDeviceServices, 2) + "\r" +
                                             Text(Str::OperationCanceled)}));
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 1"), 1);

    ASSERT_TRUE(form->LocateDevice(3));
    const int row = form->dsMain()->recNo();
    trigger(form, "Delete"); // no confirmation asked
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 3"), 0);
    EXPECT_EQ(editLog(3), QStringList({"Удален"}));
    EXPECT_EQ(form->dsMain()->recordCount(), 2);
    EXPECT_EQ(form->dsMain()->recNo(), std::min(row, 2));
}

TEST_F(DeviceFormTest, TypeChosenIsSavedAtOnceAndRefusedWhileServicesExist)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(2));
    showPage(form, 0);
    auto* type = child<LookupEditor>(form, "editDevType");
    ASSERT_TRUE(chooseInPopup(type, "Термометр"));
    EXPECT_FALSE(ds(form, "dsDevice")->isEditing());
    EXPECT_EQ(scalar("select IDevType from Device where ID_Device = 2").toInt(), 2);
    EXPECT_EQ(child<QLineEdit>(form, "editMark")->text(), "ТС-1");

    // Device 1 has services: the change is refused as soon as the list closes, not when the page is left.
    ASSERT_TRUE(form->LocateDevice(1));
    ASSERT_TRUE(chooseInPopup(type, "Термометр"));
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::DeviceTypeChangeRefused)}));
    EXPECT_EQ(scalar("select IDevType from Device where ID_Device = 1").toInt(), 1);
    EXPECT_EQ(type->currentText(), "Манометр");

    // Opened and closed without a choice: nothing to store, nothing said.
    messages.clear();
    type->showPopup();
    type->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_FALSE(ds(form, "dsDevice")->isEditing());
}

// Another planner changes the passport meanwhile: the save is stopped with the changes under their
// captions and names, and leaving the window afterwards does not write over them unasked.
TEST_F(DeviceFormTest, AnotherPlannersChangeIsToldByCaptionAndNameAndLeavingAsksBeforeWritingOver)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    child<QPlainTextEdit>(form, "editComments")->setPlainText("мой комментарий");
    Dataset* passport = ds(form, "dsDevice");
    ASSERT_TRUE(passport->isEditing());

    SqlConnection other;
    other.setDatabaseFile(dir.file("Device.db"));
    other.execute("update Device set IState = 2, Comments = 'их комментарий' where ID_Device = 1");
    InstrelApplication::guarded([passport] { passport->post(); });
    ASSERT_EQ(messages.texts().size(), 1);
    const QString told = messages.texts().constFirst();
    EXPECT_TRUE(told.contains("Состояние: В ремонте")) << told.toStdString();
    EXPECT_TRUE(told.contains("Комментарий: их комментарий")) << told.toStdString();
    EXPECT_FALSE(told.contains("IState")) << told.toStdString();
    EXPECT_EQ(child<QPlainTextEdit>(form, "editComments")->toPlainText(), "мой комментарий");
    EXPECT_EQ(child<LookupEditor>(form, "editState")->currentText(), "В ремонте");

    messages.clear();
    messages.answerNext(false);
    qobject_cast<QMdiSubWindow*>(form->parentWidget())->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().constFirst().question);
    EXPECT_TRUE(messages.texts().constFirst().contains("Комментарий: ваше значение «мой комментарий», в базе данных «их "
                                                       "комментарий»"))
        << messages.texts().constFirst().toStdString();
    EXPECT_EQ(scalar("select Comments from Device where ID_Device = 1").toString(), "их комментарий");
    EXPECT_EQ(scalar("select IState from Device where ID_Device = 1").toInt(), 2);
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty()) << "the question settled it: the window goes";
}

TEST_F(DeviceFormTest, LastToNowAndCountNextDate)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    Dataset* services = ds(form, "dsNextRep");
    ASSERT_TRUE(services->locate("ID_NextRep", 1));
    trigger(form, "NowDate");
    EXPECT_FALSE(services->isEditing()); // an existing row is saved at once...
    EXPECT_EQ(stored("LastRep", "from NextRep where ID_NextRep = 1").toString(), "2025-06-15 00:00:00");
    EXPECT_EQ(stored("NextRep", "from NextRep where ID_NextRep = 1").toString(), "2025-03-16 00:00:00"); // ...as is
    EXPECT_EQ(count("select count(*) from RepHist where INextRep = 1"), 1);

    trigger(form, "Move"); // 2.15 months from 15 June
    EXPECT_FALSE(services->isEditing());
    EXPECT_EQ(stored("NextRep", "from NextRep where ID_NextRep = 1").toString(), "2025-08-30 00:00:00");
    EXPECT_EQ(count("select count(*) from RepHist where INextRep = 1"), 2);

    // A row without a last date: the box names what is missing, nothing counted, the row saved as it was.
    ASSERT_TRUE(services->locate("ID_NextRep", 2));
    trigger(form, "Move");
    EXPECT_EQ(messages.texts(), QStringList({messageText(Text(Str::DeviceLastDateNull))}));
    EXPECT_TRUE(scalar("select NextRep from NextRep where ID_NextRep = 2").isNull());

    // A row being edited stays in editing.
    messages.clear();
    ASSERT_TRUE(services->locate("ID_NextRep", 1));
    services->setValue("LastRep", QDateTime(QDate(2005, 1, 31), QTime(0, 0)));
    services->setValue("IDevRep", 2); // interval 12
    trigger(form, "Move");
    EXPECT_TRUE(services->isEditing());
    EXPECT_EQ(services->value("NextRep").toDateTime().date(), QDate(2006, 1, 31));
    services->cancel();
}

// With the list filtered to no device there is nothing for a service or a crew to belong to: the
// commands say so, and a row the grid starts by itself is refused when it would be stored.
TEST_F(DeviceFormTest, ServiceAndCrewRowsNeedADeviceInTheList)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->setColumnFilter("ID_Device", "999"));
    ASSERT_TRUE(form->dsMain()->isEmpty());
    const QStringList refused{messageText(Text(Str::DeviceNoCurrent))};
    for (const auto& [page, command] : {std::pair{0, "InsertNextRep"}, std::pair{0, "NowDate"},
                                        std::pair{1, "InsertDevCrew"}}) {
        showPage(form, page);
        messages.clear();
        trigger(form, command);
        EXPECT_EQ(messages.texts(), refused) << command;
    }
    EXPECT_FALSE(ds(form, "dsNextRep")->isEditing());
    EXPECT_FALSE(ds(form, "dsDevCrew")->isEditing());

    for (const char* rows : {"dsDevCrew", "dsNextRep"}) {
        showPage(form, QString(rows) == "dsDevCrew" ? 1 : 0);
        Dataset* detail = ds(form, rows);
        messages.clear();
        detail->append();
        detail->setValue(QString(rows) == "dsDevCrew" ? "ICrew" : "IDevRep", 1);
        EXPECT_THROW(detail->post(), AbortOperation) << rows;
        EXPECT_EQ(messages.texts(), refused) << rows;
        detail->cancel();
    }
    EXPECT_EQ(count("select count(*) from NextRep where IDevice is null"), 0);
    EXPECT_EQ(count("select count(*) from DevCrew where IDevice is null"), 0);
}

TEST_F(DeviceFormTest, ServicesOfferedAreTheIntervalsOfTheTypeForTheDevicesCrews)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    Dataset* choices = ds(form, "dsDevRep");
    EXPECT_EQ(choices->recordCount(), 2); // crew 1's intervals of type 1; crew 2 is not the device's
    auto* grid = child<DatasetGrid>(form, "gridService");
    const QModelIndex service = grid->model()->index(0, ds(form, "dsNextRep")->fieldIndex("ServiceName"));
    EXPECT_EQ(service.data().toString(), "Поверка");
    EXPECT_EQ(grid->model()->index(0, ds(form, "dsNextRep")->fieldIndex("Depart")).data().toString(), "Цех КИП");

    ASSERT_TRUE(form->LocateDevice(2)); // no crews: nothing to choose
    EXPECT_EQ(choices->recordCount(), 0);
}

TEST_F(DeviceFormTest, CrewsGridAndIntervalsOfTheChosenCrew)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(2));
    showPage(form, 1);
    trigger(form, "InsertInterval"); // no crew yet
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::DeviceIntervalNeedsCrew)}));
    Dataset* crews = ds(form, "dsDevCrew");
    Dataset* intervals = ds(form, "dsInterval");
    trigger(form, "InsertDevCrew");
    crews->setValue("ICrew", 1);
    crews->post();
    EXPECT_EQ(count("select count(*) from DevCrew where IDevice = 2 and ICrew = 1"), 1);
    EXPECT_EQ(intervals->recordCount(), 2); // type 1 in crew 1
    EXPECT_EQ(child<DatasetGrid>(form, "gridCrew")->model()->index(0, crews->fieldIndex("Name_Depart")).data().toString(),
              "Цех КИП");
    trigger(form, "DeleteDevCrew");
    EXPECT_EQ(count("select count(*) from DevCrew where IDevice = 2"), 0);
}

TEST_F(DeviceFormTest, PlaceListFollowsTheDevicesLocation)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    Dataset* places = ds(form, "dsLocSet");
    EXPECT_EQ(places->recordCount(), 2);
    auto* location = child<LookupEditor>(form, "editLocation");
    const int second = location->findText("Цех 2");
    location->setCurrentIndex(second);
    emit location->activated(second);
    EXPECT_EQ(places->recordCount(), 1);
    EXPECT_EQ(places->value("Name_LocSet").toString(), "Щит 3");
    ASSERT_TRUE(form->LocateDevice(3)); // leaving the row stores the move; no location: no places
    EXPECT_EQ(places->recordCount(), 0);
    EXPECT_EQ(count("select count(*) from MovHist where IDevice = 1 and INewLocation = 2 and INewLocSet is null"), 1);
}

// The place list drops down after a location is chosen, and at no other time: not when the window
// comes back to the front, nor when its page is shown again.
TEST_F(DeviceFormTest, ThePlaceListOpensOnlyAfterALocationIsChosen)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    auto* location = child<LookupEditor>(form, "editLocation");
    auto* places = child<LookupEditor>(form, "editLocSet");
    const auto settle = [] {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    };
    const auto placesOpen = [places] { return places->view()->isVisible(); };

    location->showPopup();
    settle();
    location->hidePopup(); // closed without a choice
    settle();
    EXPECT_FALSE(placesOpen());

    ASSERT_TRUE(chooseInPopup(location, "Цех 2"));
    settle();
    EXPECT_TRUE(placesOpen());
    places->hidePopup();
    settle();

    tabs->setCurrentIndex(1);
    settle();
    tabs->setCurrentIndex(0);
    settle();
    EXPECT_FALSE(placesOpen()) << "on showing the page again";
    open<QWidget>("TMalfunctionForm");
    settle();
    open<TDeviceForm>("TDeviceForm");
    settle();
    EXPECT_FALSE(placesOpen()) << "on the window's coming back to the front";
    form->parentWidget()->showMaximized();
    open<QWidget>("TMalfunctionForm");
    settle();
    open<TDeviceForm>("TDeviceForm");
    settle();
    EXPECT_FALSE(placesOpen()) << "maximised";
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
}

TEST_F(DeviceFormTest, DropDownsAreTitledByTheirCaptionsNeverByFieldNames)
{
    TDeviceForm* form = devices();
    showPage(form, 0);
    const QList<std::pair<const char*, QStringList>> lists = {
        {"editState", {Text(Str::ColState)}},
        {"editLocation", {Text(Str::ColLocation)}},
        {"editLocSet", {Text(Str::ColPlace)}},
        {"editDevType", {Text(Str::ColType), Text(Str::ColModel)}},
    };
    for (const auto& [name, expected] : lists) {
        QTableView* table = child<LookupEditor>(form, name)->tableView();
        QStringList titles;
        for (int c = 0; c < table->model()->columnCount(); ++c)
            if (!table->isColumnHidden(c))
                titles << table->model()->headerData(c, Qt::Horizontal).toString();
        QStringList captions;
        for (const QString& text : expected)
            captions << withoutAccelerator(text);
        EXPECT_EQ(titles, captions) << name;
        EXPECT_FALSE(table->horizontalHeader()->isHidden()) << name;
    }
}

// Services are offered from a device's crews: without one the list stays empty whatever the user
// does, and says where to begin.
TEST_F(DeviceFormTest, AnEmptyServiceListOfADeviceWithoutCrewsSaysToAddOneFirst)
{
    TDeviceForm* form = devices();
    trigger(form, "Insert2");
    showPage(form, 0);
    auto* hint = child<QLabel>(form, "labServicesNeedCrew");
    ASSERT_TRUE(hint);
    EXPECT_FALSE(hint->isHidden());
    EXPECT_EQ(hint->text(), FormatText(Str::DeviceServicesNeedCrew, withoutAccelerator(Text(Str::PageExtended))));
    if (languageIndex() == 1)
        EXPECT_EQ(hint->text(), "Сначала добавьте бригаду на вкладке «Дополнительно»");

    ASSERT_TRUE(form->LocateDevice(1)); // crews and services
    EXPECT_TRUE(hint->isHidden());
    ASSERT_TRUE(form->LocateDevice(2)); // neither
    EXPECT_FALSE(hint->isHidden());
    run("insert into DevCrew (IDevice, ICrew) values (2, 1)"); // a crew, no service yet: "Add" can fill it
    tabs->setCurrentIndex(1);
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(hint->isHidden());
}

TEST_F(DeviceFormTest, NumberPickListHoldsEachNumberOnceIgnoringCase)
{
    run("update Device set ANumber = 'Б-1' where ID_Device = 2");
    run("update Device set ANumber = 'б-1' where ID_Device = 3");
    run("insert into Device (ANumber) values ('A-1'), ('a-1')");
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    auto* number = child<QComboBox>(form, "editAnumber");
    child<QLineEdit>(form, "editSetDate")->setFocus();
    number->setFocus();
    QStringList items;
    for (int i = 0; i < number->count(); ++i)
        items << number->itemText(i);
    EXPECT_EQ(items, QStringList({"A-1", "Б-1"})); // in the statement's order, the first spelling kept
    EXPECT_EQ(number->currentText(), "A-1");
    number->lineEdit()->selectAll();
    QTest::keyClicks(number->lineEdit(), "O'Neil; --"); // a new number is taken as typed
    ds(form, "dsDevice")->post();
    EXPECT_EQ(scalar("select ANumber from Device where ID_Device = 1").toString(), "O'Neil; --");

    child<QLineEdit>(form, "editSetDate")->setFocus(); // entered again: read again
    number->setFocus();
    EXPECT_NE(number->findText("O'Neil; --"), -1);
    EXPECT_EQ(number->currentText(), "O'Neil; --");
}

TEST_F(DeviceFormTest, LogPagesShowAllAndClear)
{
    run("insert into EditHist (IDevice, IVictim, ChangeDate) values (1, 2, '2025-06-01 00:00:00'), "
        "(2, 2, '2025-06-02 00:00:00'), (77, 3, '2025-06-03 00:00:00')");
    run("insert into RepHist (INextRep, ChangeDate) values (1, '2025-06-01 00:00:00'), (2, '2025-06-02 00:00:00')");
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 4);
    Dataset* editLog = ds(form, "dsEditHist");
    EXPECT_EQ(editLog->recordCount(), 1);
    child<QCheckBox>(form, "cbShowAll")->click();
    EXPECT_EQ(editLog->recordCount(), 3); // the deleted device's row too
    ASSERT_TRUE(form->LocateDevice(2));
    EXPECT_EQ(editLog->recordCount(), 3); // no longer follows the list
    child<QCheckBox>(form, "cbShowAll")->click();
    EXPECT_EQ(editLog->recordCount(), 1);

    messages.answerNext(false);
    child<QToolButton>(form, "btnEditHistClear")->click();
    EXPECT_EQ(count("select count(*) from EditHist"), 3);
    tabs->setCurrentIndex(3); // "Service log"
    messages.answerNext(true);
    child<QToolButton>(form, "btnRepHistClear")->click();
    EXPECT_EQ(count("select count(*) from RepHist"), 0); // every device's rows, whatever is shown
    EXPECT_EQ(messages.texts().last(), Text(Str::DeviceLogConfirmClear));
}

// A device deleted from the window: its move log rows stay listed, without type and numbers; the
// rows of its service log go with its services.
TEST_F(DeviceFormTest, ADeletedDevicesMovesStayListedAndItsServiceLogGoesWithItsServices)
{
    run("insert into NextRep (ID_NextRep, IDevice, IDevRep, LastRep) values (5, 2, 1, '2025-06-01 00:00:00')");
    run("insert into RepHist (INextRep, ChangeDate) values (5, '2025-06-01 00:00:00'), (1, '2025-06-02 00:00:00')");
    run("insert into MovHist (IDevice, ILastLocation, INewLocation, ChangeDate) values (2, 1, 2, '2025-06-03 00:00:00')");
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(2));
    showPage(form, 0);
    ASSERT_TRUE(ds(form, "dsNextRep")->locate("ID_NextRep", 5));
    trigger(form, "DeleteNextRep");
    trigger(form, "Delete");
    ASSERT_EQ(count("select count(*) from Device where ID_Device = 2"), 0);

    showPage(form, 2);
    child<QCheckBox>(form, "cbShowAll3")->click();
    Dataset* moves = ds(form, "dsMovHist");
    ASSERT_EQ(moves->recordCount(), 1);
    EXPECT_EQ(moves->value("IDevice").toInt(), 2);
    EXPECT_EQ(moves->value("NewLocation").toString(), "Цех 2");
    for (const char* gone : {"Name_DevType", "Mark_DevType", "ANumber", "ZNumber"})
        EXPECT_TRUE(moves->value(gone).isNull()) << gone;

    showPage(form, 3);
    child<QCheckBox>(form, "cbShowAll2")->click();
    Dataset* services = ds(form, "dsRepHist");
    ASSERT_EQ(services->recordCount(), 1); // device 1's row only
    EXPECT_EQ(services->value("IDevice").toInt(), 1);
}

TEST_F(DeviceFormTest, MoveLogNotesAreWrittenToTheirEntry)
{
    run("insert into MovHist (IDevice, INewLocation, ChangeDate) values (1, 2, '2025-06-01 00:00:00'), "
        "(1, 1, '2025-06-02 00:00:00')");
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 2);
    Dataset* moves = ds(form, "dsMovHist");
    ASSERT_EQ(moves->recordCount(), 2);
    ASSERT_TRUE(moves->locate("NewLocation", "Цех 1"));
    auto* sign = child<QLineEdit>(form, "editSign");
    sign->setFocus();
    QTest::keyClicks(sign, "Ivanov");
    child<QLineEdit>(form, "editNotes")->setFocus(); // leaving the editor stores it
    EXPECT_EQ(count("select count(*) from MovHist where Sign = 'Ivanov' and INewLocation = 1"), 1);
    EXPECT_EQ(count("select count(*) from MovHist where Sign is null"), 1);
}

TEST_F(DeviceFormTest, GoToFieldOpensThePageOfTheColumnsEditor)
{
    TDeviceForm* form = devices();
    const std::pair<const char*, std::pair<int, const char*>> map[] = {
        {"ANumber", {0, "editAnumber"}},        {"znumber", {0, "editZnumber"}},
        {"name_devtype", {0, "editDevType"}},   {"mark_devtype", {0, "editMark"}},
        {"name_location", {0, "editLocation"}}, {"name_locset", {0, "editLocSet"}},
        {"name_state", {0, "editState"}},       {"comments", {0, "editComments"}},
        {"setplace", {0, "editSetPlace"}},      {"setdate", {0, "editSetDate"}},
        {"name_system", {1, "editSystem"}},     {"name_class", {1, "editClass"}},
        {"name_mere", {1, "editMere"}},         {"name_dest", {1, "editDest"}},
        {"Name_Naim", {1, "editNaim"}},         {"name_marg", {1, "editMarg"}},
        {"name_scale", {1, "editScale"}},       {"name_grade", {1, "editGrade"}},
        {"name_prec", {1, "editPrec"}},         {"changedate", {1, "editChangeDate"}}};
    for (const auto& [field, target] : map) {
        form->GoToField(field);
        ASSERT_TRUE(form->isFormView()) << field;
        EXPECT_EQ(tabs->currentIndex(), target.first) << field;
        QWidget* focused = QApplication::focusWidget();
        QWidget* editor = form->findChild<QWidget*>(target.second);
        EXPECT_TRUE(focused && (focused == editor || editor->isAncestorOf(focused))) << field;
        form->Swap();
    }
    tabs->setCurrentIndex(1);
    form->GoToField("ID_Device");
    EXPECT_TRUE(form->isFormView());
    EXPECT_EQ(tabs->currentIndex(), 1); // only the view changed
}

TEST_F(DeviceFormTest, EllipsisButtonsLandOnTheirPageAndKey)
{
    run("update Device set ISystem = 1, IGrade = 1 where ID_Device = 1");
    run("insert into System (ID_System, Name_System) values (1, 'АСУ ТП')");
    run("insert into Grade (ID_Grade, Name_Grade) values (1, 'Н'), (2, 'Ш')");
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    const auto sprav = [this] { return qobject_cast<TSpravForm*>(main->findChildWindow("TSpravForm")); };

    child<QToolButton>(form, "editStateEllipsis")->click();
    ASSERT_TRUE(sprav());
    EXPECT_EQ(sprav()->currentPage(), 16);
    EXPECT_EQ(sprav()->currentDataset()->value("ID_State").toInt(), 1);

    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    child<QToolButton>(form, "editLocSetEllipsis")->click();
    EXPECT_EQ(sprav()->currentPage(), 8);
    EXPECT_EQ(ds(sprav(), "dsLocation")->value("ID_Location").toInt(), 1);
    EXPECT_EQ(ds(sprav(), "dsLocSet")->value("ID_LocSet").toInt(), 1);

    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    showPage(form, 1);
    child<QToolButton>(form, "editGradeEllipsis")->click();
    EXPECT_EQ(sprav()->currentPage(), 7);
    EXPECT_EQ(sprav()->currentDataset()->value("ID_Grade").toInt(), 1);

    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    child<QToolButton>(form, "editPrecEllipsis")->click();
    auto* types = qobject_cast<TTypeForm*>(main->findChildWindow("TTypeForm"));
    ASSERT_TRUE(types);
    EXPECT_EQ(types->dsMain()->value("ID_DevType").toInt(), 1);
    EXPECT_TRUE(types->isFormView());
    EXPECT_EQ(QApplication::focusWidget(), types->findChild<QWidget*>("editPrec"));
}

// The titles of a grid's shown columns, left to right.
static QStringList shownTitles(DatasetGrid* grid)
{
    QStringList titles;
    const QHeaderView* header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int section = header->logicalIndex(visual);
        if (!header->isSectionHidden(section))
            titles << grid->model()->headerData(section, Qt::Horizontal).toString();
    }
    return titles;
}

TEST_F(DeviceFormTest, TheLogsShowWhoSaved)
{
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    showPage(form, 0);
    Dataset* device = ds(form, "dsDevice");
    device->edit();
    device->setValue("ILocSet", 2);
    device->post();

    const QString login = LogAuthor::loginName();
    ASSERT_FALSE(login.isEmpty());
    for (const auto& [page, grid] : {std::pair{2, "gridMovHist"}, std::pair{4, "gridEditHist"}}) {
        showPage(form, page);
        auto* shown = child<DatasetGrid>(form, grid);
        EXPECT_EQ(shownTitles(shown).last(), "Изменил") << grid;
        const int author = shown->dataset()->fieldIndex("ChangedBy");
        ASSERT_GE(author, 0) << grid;
        EXPECT_EQ(shown->model()->index(0, author).data().toString(), login) << grid;
    }
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
}

TEST_F(DeviceFormTest, LogsOfAFileThatCannotTakeTheAuthorColumnAreShownWithoutIt)
{
    TestDatabase::removeLogAuthorColumn(dir.file("Device.db"));
    run("insert into EditHist (IDevice, IVictim, ChangeDate) values (1, 2, '2025-06-01 00:00:00')");
    run("PRAGMA query_only = 1"); // as a file the user may only read
    TDeviceForm* form = devices();
    ASSERT_TRUE(form->LocateDevice(1));
    for (const auto& [page, grid] : {std::pair{2, "gridMovHist"}, std::pair{3, "gridRepHist"}, std::pair{4, "gridEditHist"}}) {
        showPage(form, page);
        auto* shown = child<DatasetGrid>(form, grid);
        EXPECT_TRUE(shown->dataset()->isActive()) << grid;
        EXPECT_FALSE(shownTitles(shown).contains("Изменил")) << grid;
        EXPECT_EQ(shownTitles(shown).last(), page == 2 ? "Комментарий" : "Дата изменения") << grid;
    }
    EXPECT_EQ(ds(form, "dsEditHist")->recordCount(), 1);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
    run("PRAGMA query_only = 0");
}

TEST_F(DeviceFormTest, GridLayoutsAndLogPanelsAreKept)
{
    int top = 0;
    {
        TDeviceForm* form = devices();
        showPage(form, 0);
        child<DatasetGrid>(form, "gridService")->setColumnWidth(ds(form, "dsNextRep")->fieldIndex("ServiceName"), 211);
        showPage(form, 1);
        child<DatasetGrid>(form, "gridCrew")->setColumnWidth(ds(form, "dsDevCrew")->fieldIndex("Name_Crew"), 133);
        showPage(form, 2);
        QCoreApplication::processEvents(); // the page's layout gives the splitter its height
        auto* grid = child<DatasetGrid>(form, "gridMovHist");
        grid->horizontalHeader()->moveSection(grid->horizontalHeader()->visualIndex(ds(form, "dsMovHist")->fieldIndex("Sign")), 0);
        auto* splitter = child<QSplitter>(form, "SplitterMovHist");
        const int height = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({height / 3, height - height / 3});
        QCoreApplication::processEvents();
        top = splitter->sizes().value(0);
        main->mdiArea()->closeAllSubWindows();
    }
    TDeviceForm* form = devices();
    EXPECT_EQ(child<DatasetGrid>(form, "gridService")->columnWidth(ds(form, "dsNextRep")->fieldIndex("ServiceName")), 211);
    EXPECT_EQ(child<DatasetGrid>(form, "gridCrew")->columnWidth(ds(form, "dsDevCrew")->fieldIndex("Name_Crew")), 133);
    auto* grid = child<DatasetGrid>(form, "gridMovHist");
    EXPECT_EQ(grid->horizontalHeader()->logicalIndex(0), ds(form, "dsMovHist")->fieldIndex("Sign"));
    showPage(form, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(child<QSplitter>(form, "SplitterMovHist")->sizes().value(0), top);
}

TEST_F(DeviceFormTest, NoGridTitleOfEitherWindowIsCut)
{
    const auto cutTitles = [](QTableView* grid) {
        QStringList cut;
        QHeaderView* header = grid->horizontalHeader();
        for (int c = 0; c < header->count(); ++c)
            if (!header->isSectionHidden(c) && header->sectionSize(c) < header->sectionSizeHint(c))
                cut << grid->objectName() + ":" + grid->model()->headerData(c, Qt::Horizontal).toString();
        return cut;
    };
    TDeviceForm* form = devices();
    EXPECT_EQ(cutTitles(form->grid()), QStringList());
    for (int page = 0; page < tabs->count(); ++page) {
        showPage(form, page);
        for (DatasetGrid* grid : tabs->widget(page)->findChildren<DatasetGrid*>())
            EXPECT_EQ(cutTitles(grid), QStringList()) << page;
    }
    auto* types = open<TTypeForm>("TTypeForm");
    EXPECT_EQ(cutTitles(types->grid()), QStringList());
    types->Swap();
    EXPECT_EQ(cutTitles(child<DatasetGrid>(types, "gridInterval")), QStringList());
}
