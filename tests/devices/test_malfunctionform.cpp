#include "WindowsFixture.h"

#include "app/ManagerFrm.h"
#include "devices/DeviceFrm.h"
#include "devices/MalfunctionFrm.h"
#include "devices/rules/MalfunctionRules.h"
#include "devices/NextRepFrm.h"
#include "devices/TypeFrm.h"
#include "tables/DatasetGrid.h"
#include "tables/GridFooter.h"
#include "tables/LookupEditor.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"
#include "support/LookupPopup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The small plant with a malfunction log:
// - groups 1 "Утечка" (names 1 "Течь", 2 "Обрыв") and 2 "Дрейф" (name 3 "Уход нуля");
// - parameters 1 "Давление" (МПа), 2 "Температура" (°C), 3 "Ток" (мА); document 1 "Акт";
// - entry 1 on A-1 with three parameter values, entry 2 on A-1 counting 2, entry 3 on A-2, and
//   entry 4 without device or classification.
class MalfunctionFormTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        for (const char* statement : {
                 "insert into RefusalGroupNaimen (ID_GroupNaimen, Name_GroupNaimen) values (1, 'Утечка'), (2, 'Дрейф')",
                 "insert into RefusalNaimen (ID_Naimen, Name_Naimen, IGroupNaimen) values (1, 'Течь', 1), "
                 "(2, 'Обрыв', 1), (3, 'Уход нуля', 2)",
                 "insert into Dimention (ID_Dimention, Name_Dimention) values (1, 'МПа'), (2, '°C'), (3, 'мА')",
                 "insert into RefusalParam (ID_Param, Name_Param, IDimention) values (1, 'Давление', 1), "
                 "(2, 'Температура', 2), (3, 'Ток', 3)",
                 "insert into Document (ID_Document, Name_Document) values (1, 'Акт')",
                 "insert into Refusal (ID_Refusal, NDate, IGroupNaimen, INaimen, ExectNaimen, BriefCase, Action, NCount, "
                 "IDocument, IDevice, Podpis) values "
                 "(1, '2025-05-02 08:15:00', 1, 1, 'Капает', 'Прокладка', 'Замена', 1, 1, 1, 'Иванов'), "
                 "(2, '2025-05-20 00:00:00', 2, 3, null, null, null, 2, null, 1, null), "
                 "(3, '2025-06-01 00:00:00', 1, 2, null, null, null, 1, null, 2, null), "
                 "(4, '2025-06-10 00:00:00', null, null, 'Без прибора', null, null, 1, null, null, null)",
                 "insert into RefusParamValue (ID_RefParVal, IRefusal, IParam, [Value]) values (1, 1, 1, '1,6'), "
                 "(2, 1, 2, '40'), (3, 1, 3, '4,2'), (4, 3, 1, '0,9')",
             })
            run(QString::fromUtf8(statement));
    }
    TMalfunctionForm* malfunctions() { return open<TMalfunctionForm>("TMalfunctionForm"); }
    static QStringList listed(TBaseForm* form)
    {
        QStringList ids;
        for (int row = 0; row < form->dsMain()->recordCount(); ++row)
            ids << form->dsMain()->valueAt(row, form->dsMain()->fieldIndex("ID_Refusal")).toString();
        ids.sort();
        return ids;
    }
    static QTabWidget* pages(QObject* form) { return child<QTabWidget>(form, "FormPanel"); }
    // The form view on `page` of the entry `id`.
    void showEntry(TMalfunctionForm* form, int id, int page)
    {
        ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", id));
        if (!form->isFormView())
            form->Swap();
        pages(form)->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(MalfunctionFormTest, ListsEveryEntryEvenWithoutDeviceAndCountsThemInTheFooter)
{
    TMalfunctionForm* form = malfunctions();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->objectName(), "MalfunctionForm");
    EXPECT_EQ(form->dsMain()->objectName(), "dsRefusals");
    EXPECT_EQ(listed(form), QStringList({"1", "2", "3", "4"}));
    QStringList shown;
    const QHeaderView* header = form->grid()->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!form->grid()->isColumnHidden(column))
            shown << form->dsMain()->fields()[size_t(column)]->name().toLower();
    }
    EXPECT_EQ(shown, QStringList({"idevice", "anumber", "znumber", "name_devtype", "ndate", "name_groupnaimen",
                                  "name_naimen", "exectnaimen", "briefcase", "ncount", "action", "name_document",
                                  "podpis"}));
    // The footer counts rows, not amounts (entry 2 counts two malfunctions).
    EXPECT_EQ(form->footer()->cellText("NCount"), "4");

    // The entry without a device opens on its pages with empty device and classification.
    showEntry(form, 4, 0);
    EXPECT_EQ(child<LookupEditor>(form, "editID_Device")->currentIndex(), -1);
    EXPECT_TRUE(child<QLineEdit>(form, "editAnumber")->text().isEmpty());
    EXPECT_EQ(child<LookupEditor>(form, "editGroup")->currentIndex(), -1);
    EXPECT_EQ(child<QLineEdit>(form, "editComments")->text(), QString::fromUtf8("Без прибора"));
}

TEST_F(MalfunctionFormTest, InsertIsDatedNowCountsOneAndIsStoredAtOnce)
{
    TMalfunctionForm* form = malfunctions();
    trigger(form, "Insert2");
    const int id = count("select max(ID_Refusal) from Refusal");
    EXPECT_EQ(id, 5);
    EXPECT_EQ(stored("NDate", "from Refusal where ID_Refusal = 5").toString(), "2025-06-15 10:30:00");
    EXPECT_EQ(scalar("select NCount from Refusal where ID_Refusal = 5").toInt(), 1);
    EXPECT_EQ(form->dsMain()->value("ID_Refusal").toInt(), 5);
    EXPECT_EQ(ds(form, "dsRefusal")->value("ID_Refusal").toInt(), 5);
    EXPECT_EQ(ds(form, "dsRefusal")->state(), Dataset::State::Browse);
    EXPECT_EQ(form->footer()->cellText("NCount"), "5");
}

// The form corrects the date and the time of an entry; the time is neither shown as midnight nor
// written as it.
TEST_F(MalfunctionFormTest, DateEditorCorrectsDateAndTimeOfDay)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 1, 0);
    auto* date = child<QLineEdit>(form, "editDate");
    Dataset* entry = ds(form, "dsRefusal");
    EXPECT_EQ(date->text(), "02.05.2025 08:15:00");

    date->setFocus();
    date->setCursorPosition(0);
    QTest::keyClicks(date, "03"); // the day only: the time stays
    entry->post();
    EXPECT_EQ(stored("NDate", "from Refusal where ID_Refusal = 1").toString(), "2025-05-03 08:15:00");

    date->setCursorPosition(11);
    QTest::keyClicks(date, "1430");
    entry->post();
    EXPECT_EQ(stored("NDate", "from Refusal where ID_Refusal = 1").toString(), "2025-05-03 14:30:00");
    EXPECT_EQ(date->text(), "03.05.2025 14:30:00");
    QCoreApplication::processEvents(); // the list shows what was stored
    EXPECT_EQ(form->dsMain()->value("NDate").toDateTime(), QDateTime(QDate(2025, 5, 3), QTime(14, 30)));

    trigger(form, "Insert2"); // dated now, and shown so
    EXPECT_EQ(date->text(), "15.06.2025 10:30:00");
}

TEST_F(MalfunctionFormTest, SameCopiesTheEntryButNotItsParameters)
{
    TMalfunctionForm* form = malfunctions();
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 1));
    trigger(form, "Same");
    EXPECT_EQ(form->dsMain()->value("ID_Refusal").toInt(), 5);
    const QString columns = "NDate, IGroupNaimen, INaimen, ExectNaimen, BriefCase, NCount, Action, IDocument, IDevice, "
                            "Podpis";
    EXPECT_EQ(count("select count(*) from (select " + columns + " from Refusal where ID_Refusal = 1 intersect select " +
                    columns + " from Refusal where ID_Refusal = 5)"),
              1);
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 5"), 0);
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 1"), 3);
}

// Without a question; the values go with the entry, and a deletion that fails keeps both.
TEST_F(MalfunctionFormTest, DeleteTakesTheParameterValuesWithTheEntryOrNeither)
{
    TMalfunctionForm* form = malfunctions();
    run("create trigger keep before delete on Refusal begin select raise(abort, 'entry kept'); end");
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 1));
    trigger(form, "Delete");
    EXPECT_EQ(count("select count(*) from Refusal where ID_Refusal = 1"), 1);
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 1"), 3);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains("entry kept"));

    run("drop trigger keep");
    messages.clear();
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 1));
    trigger(form, "Delete");
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(count("select count(*) from Refusal where ID_Refusal = 1"), 0);
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 1"), 0);
    EXPECT_EQ(count("select count(*) from RefusParamValue"), 1); // another entry's value stays
    EXPECT_EQ(listed(form), QStringList({"2", "3", "4"}));
}

TEST_F(MalfunctionFormTest, TheDeviceWindowNarrowsTheListToItsDeviceAndTheFooterCountsThoseRows)
{
    auto* devices = open<TDeviceForm>("TDeviceForm");
    ASSERT_TRUE(devices->LocateDevice(1));
    devices->Swap();
    auto* button = child<QToolButton>(devices, "btnMalfunction");
    ASSERT_TRUE(button->isEnabled());
    button->click();
    auto* form = qobject_cast<TMalfunctionForm*>(main->findChildWindow("TMalfunctionForm"));
    ASSERT_TRUE(form);
    EXPECT_EQ(listed(form), QStringList({"1", "2"}));
    EXPECT_EQ(form->footer()->cellText("NCount"), "2");

    // From another device, the window already open follows.
    main->openOrActivate("TDeviceForm");
    ASSERT_TRUE(devices->LocateDevice(2));
    button->click();
    EXPECT_EQ(main->findChildWindow("TMalfunctionForm"), form);
    EXPECT_EQ(listed(form), QStringList({"3"}));
    EXPECT_EQ(form->footer()->cellText("NCount"), "1");

    // A new entry in the narrowed list is the device's, so it is listed and current.
    trigger(form, "Insert2");
    EXPECT_EQ(scalar("select IDevice from Refusal where ID_Refusal = 5").toInt(), 2);
    EXPECT_EQ(listed(form), QStringList({"3", "5"}));
    EXPECT_EQ(form->dsMain()->value("ID_Refusal").toInt(), 5);
    // A condition typed by the user names no one device: the entry starts without one.
    EXPECT_TRUE(MalfunctionRules::deviceOfFilter("> 2").isNull());
    EXPECT_TRUE(MalfunctionRules::deviceOfFilter("").isNull());
    EXPECT_EQ(MalfunctionRules::deviceOfFilter(" 17 ").toLongLong(), 17);
}

// "Add" and "Del" wait while a value is being typed; a stored value belongs to the entry shown.
TEST_F(MalfunctionFormTest, ParameterButtonsActOnlyWhenNoValueIsBeingEdited)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 3, 1);
    Dataset* values = ds(form, "dsRefusParamValue");
    ASSERT_EQ(values->recordCount(), 1);
    auto* add = child<QToolButton>(form, "btnAdd");
    auto* del = child<QToolButton>(form, "btnDel");
    add->click();
    EXPECT_EQ(values->state(), Dataset::State::Insert);
    ASSERT_EQ(values->recordCount(), 2);
    add->click();
    del->click();
    EXPECT_EQ(values->state(), Dataset::State::Insert);
    EXPECT_EQ(values->recordCount(), 2);

    values->setValue("IParam", 3);
    values->setValue("Value", "12");
    EXPECT_EQ(values->value("Name_Param").toString(), QString::fromUtf8("Ток"));
    EXPECT_EQ(values->value("Name_Dimention").toString(), QString::fromUtf8("мА"));
    values->post();
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 3 and IParam = 3 and [Value] = '12'"), 1);

    // Del at once, without a question.
    ASSERT_TRUE(values->locate("IParam", 1));
    del->click();
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(count("select count(*) from RefusParamValue where IRefusal = 3"), 1);
}

TEST_F(MalfunctionFormTest, EditLandsOnTheEntrysDeviceAndNeverOnAnother)
{
    TMalfunctionForm* form = malfunctions();
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 3));
    trigger(form, "Edit");
    auto* devices = qobject_cast<TDeviceForm*>(main->findChildWindow("TDeviceForm"));
    ASSERT_TRUE(devices);
    EXPECT_TRUE(devices->isFormView());
    EXPECT_EQ(devices->dsMain()->value("ID_Device").toInt(), 2);

    // The device window filtered to A-2, in its table view: A-1 cannot be shown there.
    devices->setColumnFilter("ANumber", "A-2");
    devices->Swap();
    main->openOrActivate("TMalfunctionForm");
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 1));
    messages.clear();
    trigger(form, "Edit");
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::MalfunctionDeviceNotListed)});
    EXPECT_FALSE(devices->isFormView());
    EXPECT_EQ(devices->dsMain()->value("ID_Device").toInt(), 2);

    // An entry without a device has nowhere to go.
    main->openOrActivate("TMalfunctionForm");
    ASSERT_TRUE(form->dsMain()->locate("ID_Refusal", 4));
    messages.clear();
    trigger(form, "Edit");
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::MalfunctionWithoutDevice)});
    EXPECT_EQ(devices->dsMain()->value("ID_Device").toInt(), 2);
}

// The lists are sorted by name; the names are those of the entry's group, also of a group just
// chosen; a name of another group stays stored but is not shown.
TEST_F(MalfunctionFormTest, NamesFollowTheGroupAndListsAreSortedByName)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 1, 0);
    Dataset* groups = ds(form, "dsGroup");
    Dataset* names = ds(form, "dsNaimen");
    ASSERT_EQ(groups->recordCount(), 2);
    EXPECT_EQ(groups->valueAt(0, groups->fieldIndex("Name_GroupNaimen")).toString(), QString::fromUtf8("Дрейф"));
    ASSERT_EQ(names->recordCount(), 2);
    EXPECT_EQ(names->valueAt(0, names->fieldIndex("Name_Naimen")).toString(), QString::fromUtf8("Обрыв"));
    auto* name = child<LookupEditor>(form, "editName");
    EXPECT_EQ(name->currentText(), QString::fromUtf8("Течь"));

    Dataset* entry = ds(form, "dsRefusal");
    entry->setValue("IGroupNaimen", 2);
    EXPECT_EQ(names->recordCount(), 1);
    EXPECT_EQ(name->currentIndex(), -1); // "Течь" is not a name of the drift group
    EXPECT_EQ(entry->value("INaimen").toInt(), 1);
    entry->post();
    EXPECT_EQ(count("select INaimen from Refusal where ID_Refusal = 1"), 1);

    // A group chosen goes on to its names; the list closed without a choice does not.
    auto* group = child<LookupEditor>(form, "editGroup");
    group->showPopup();
    group->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_FALSE(name->view()->isVisible());
    // The next list opens only in the active window, as the user's would be.
    QApplication::setActiveWindow(main.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    ASSERT_TRUE(chooseInPopup(group, group->itemText(0)));
    QCoreApplication::processEvents();
    QTest::qWait(20);
    EXPECT_TRUE(name->view()->isVisible());
    name->hidePopup();
}

TEST_F(MalfunctionFormTest, ActivationReopensThePagesListsAndGoToFieldStoresFirst)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 2, 0);
    run("insert into RefusalGroupNaimen (ID_GroupNaimen, Name_GroupNaimen) values (3, 'Авария')");
    form->FormActivate();
    EXPECT_EQ(ds(form, "dsGroup")->recordCount(), 3);
    pages(form)->setCurrentIndex(1);
    run("insert into RefusalParam (ID_Param, Name_Param, IDimention) values (4, 'Влажность', null)");
    form->FormActivate();
    EXPECT_EQ(ds(form, "dsRefusalParam")->recordCount(), 4);

    // A pending change is stored before the view switches; each name focuses its editor.
    pages(form)->setCurrentIndex(0);
    form->Swap();
    const std::pair<const char*, const char*> map[] = {
        {"IDevice", "editID_Device"},  {"anumber", "editAnumber"},         {"ZNUMBER", "editZnumber"},
        {"name_devtype", "editType"},  {"ndate", "editDate"},              {"name_groupnaimen", "editGroup"},
        {"name_naimen", "editName"},   {"exectnaimen", "editComments"},    {"briefcase", "editReason"},
        {"ncount", "editNCount"},      {"action", "editElimination"},      {"name_document", "editDocument"},
        {"podpis", "editSign"},        {"ID_Refusal", nullptr}};
    for (const auto& [field, editor] : map) {
        ASSERT_FALSE(form->isFormView());
        ds(form, "dsRefusal")->setValue("Podpis", field);
        form->GoToField(field);
        EXPECT_EQ(stored("Podpis", "from Refusal where ID_Refusal = 2").toString(), field);
        EXPECT_TRUE(form->isFormView()) << field;
        if (editor) {
            EXPECT_EQ(pages(form)->currentIndex(), 0);
            EXPECT_EQ(QApplication::focusWidget(), form->findChild<QWidget*>(editor)) << field;
        }
        form->Swap();
    }
}

TEST_F(MalfunctionFormTest, EllipsesOpenTheLinkedTablesOnTheEntrysGroupNameAndDocument)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 1, 0);
    child<QAbstractButton>(form, "editNameEllipsis")->click();
    auto* sprav = qobject_cast<TSpravForm*>(main->findChildWindow("TSpravForm"));
    ASSERT_TRUE(sprav);
    EXPECT_EQ(sprav->currentPage(), 9);
    EXPECT_EQ(child<QWidget>(sprav, "TabSheetRefusal")->isVisible(), true);
    EXPECT_EQ(ds(sprav, "dsRefusalGroupNaimen")->value("ID_GroupNaimen").toInt(), 1);
    EXPECT_EQ(ds(sprav, "dsRefusalNaimen")->value("ID_Naimen").toInt(), 1);

    main->openOrActivate("TMalfunctionForm");
    child<QAbstractButton>(form, "editDocumentEllipsis")->click();
    EXPECT_EQ(sprav->currentPage(), 6);
    EXPECT_EQ(child<QWidget>(sprav, "TabSheetDocument")->isVisible(), true);
    EXPECT_EQ(ds(sprav, "dsDocument")->value("ID_Document").toInt(), 1);
}

// The device drop-down: a view over the device list with four titled columns that sort it, as wide
// as the device box allows.
TEST_F(MalfunctionFormTest, DeviceDropDownHasFourSortableTitledColumnsAndTheBoxWidth)
{
    TMalfunctionForm* form = malfunctions();
    showEntry(form, 1, 0);
    auto* editor = child<LookupEditor>(form, "editID_Device");
    Dataset* list = ds(form, "dsPasport");
    ASSERT_EQ(list->recordCount(), 3);
    QTableView* table = editor->tableView();
    QStringList titles;
    for (int visual = 0; visual < table->horizontalHeader()->count(); ++visual) {
        const int column = table->horizontalHeader()->logicalIndex(visual);
        if (!table->isColumnHidden(column))
            titles << table->model()->headerData(column, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles, QStringList({Text(Str::ColDeviceId), Text(Str::ColAccessCode), Text(Str::ColManufactureCode),
                                   Text(Str::ColType)}));
    table->horizontalHeader()->setSortIndicator(list->fieldIndex("ANumber"), Qt::DescendingOrder);
    EXPECT_EQ(list->valueAt(0, list->fieldIndex("ANumber")).toString(), "A-3");
    EXPECT_EQ(editor->currentText(), "1"); // the entry's device stays shown

    auto* box = child<QWidget>(form, "GroupBoxDevice");
    editor->showPopup();
    EXPECT_EQ(table->minimumWidth(), box->width() - editor->x() - 20);
    editor->hidePopup();
}

// The main window's ways into the data windows, each to its view and page.
TEST_F(MalfunctionFormTest, CommandsSelectorItemsAndManagerCodesReachTheirViewAndPage)
{
    struct Way {
        const char* how;
        std::function<void()> go;
        const char* window;
        bool formView;
        int page; // -1: not looked at
    };
    auto* selector = main->findChild<QComboBox*>("sComboTable");
    ASSERT_TRUE(selector);
    const auto command = [this](const char* name) {
        return [this, name] {
            main->updateActions();
            QAction* a = main->action(QString::fromLatin1(name));
            ASSERT_TRUE(a->isEnabled()) << name;
            a->trigger();
        };
    };
    const auto item = [selector](int index) { return [selector, index] { emit selector->activated(index); }; };
    const auto code = [this](int value) {
        return [this, value] {
            auto* manager = qobject_cast<TManagerForm*>(main->openOrActivate("TManagerForm"));
            ASSERT_TRUE(manager);
            manager->runCode(value);
        };
    };
    const Way ways[] = {
        {"OpenDevice", command("OpenDevice"), "TDeviceForm", false, -1},
        {"OpenDevType", command("OpenDevType"), "TTypeForm", false, -1},
        {"OpenNextRep", command("OpenNextRep"), "TNextRepForm", false, -1},
        {"OpenRefusal", command("OpenRefusal"), "TMalfunctionForm", false, -1},
        {"code 1", code(1), "TDeviceForm", true, 0},
        {"code 2", code(2), "TDeviceForm", true, 1},
        {"code 3", code(3), "TDeviceForm", true, 2},
        {"code 4", code(4), "TDeviceForm", true, 3},
        {"code 5", code(5), "TDeviceForm", true, 4},
        {"item 0", item(0), "TDeviceForm", false, -1},
        {"code 0", code(0), "TDeviceForm", false, -1},
        {"code 11", code(11), "TTypeForm", true, 0},
        {"item 1", item(1), "TTypeForm", false, -1},
        {"code 11 again", code(11), "TTypeForm", true, 0},
        {"code 10", code(10), "TTypeForm", false, -1},
        {"code 21", code(21), "TNextRepForm", true, 0},
        {"item 2", item(2), "TNextRepForm", false, -1},
        {"code 21 again", code(21), "TNextRepForm", true, 0},
        {"code 20", code(20), "TNextRepForm", false, -1},
        {"code 42", code(42), "TMalfunctionForm", true, 1},
        {"code 41", code(41), "TMalfunctionForm", true, 0},
        {"item 4", item(4), "TMalfunctionForm", false, -1},
        {"code 42 again", code(42), "TMalfunctionForm", true, 1},
        {"code 40", code(40), "TMalfunctionForm", false, -1},
    };
    for (const Way& way : ways) {
        way.go();
        QCoreApplication::processEvents();
        auto* window = qobject_cast<TBaseForm*>(main->findChildWindow(QString::fromLatin1(way.window)));
        ASSERT_TRUE(window) << way.how;
        EXPECT_EQ(window->isFormView(), way.formView) << way.how;
        if (way.page >= 0)
            EXPECT_EQ(pages(window)->currentIndex(), way.page) << way.how;
    }
    // One window per class, however often each was asked for.
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 5);
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join('\n').toStdString();
}
