#include "WindowsFixture.h"

#include "devices/TypeFrm.h"
#include "tables/DatasetGrid.h"
#include "tables/FormSettings.h"
#include "tables/LookupEditor.h"
#include "tables/SpravFrm.h"
#include "text/StrList.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace {

class TypeFormTest : public WindowsFixture {
protected:
    TTypeForm* types() { return open<TTypeForm>("TTypeForm"); }
    QVariant currentType(TTypeForm* form) { return form->dsMain()->value("ID_DevType"); }
};

} // namespace

TEST_F(TypeFormTest, InsertAndSameLandOnTheNewTypeStoredAtOnce)
{
    TTypeForm* form = types();
    run("update DevType set INaim = 1, IPrec = 2, IConstruct = 3, IMaker = 4, Srok = 10, Otkaz = 5000, "
        "Comments = 'старый' where ID_DevType = 1");
    form->RequeryKeepRow();
    trigger(form, "Insert2");
    const int inserted = currentType(form).toInt();
    EXPECT_EQ(scalar(QString("select Name_DevType from DevType where ID_DevType = %1").arg(inserted)).toString(),
              "New type");
    EXPECT_EQ(form->dsMain()->value("Name_DevType").toString(), "New type");

    ASSERT_TRUE(form->LocateType(1));
    trigger(form, "Same");
    const int copy = currentType(form).toInt();
    EXPECT_GT(copy, inserted);
    EXPECT_EQ(count(QString("select count(*) from DevType where ID_DevType = %1 and Name_DevType = 'Манометр' and "
                            "Mark_DevType = 'МП-100' and INaim = 1 and IPrec = 2 and IConstruct = 3 and IMaker = 4 "
                            "and Srok = 10 and Otkaz = 5000 and Comments is null")
                        .arg(copy)),
              1);
    EXPECT_EQ(count(QString("select count(*) from DevRep where IDevType = %1").arg(copy)), 0);
    EXPECT_EQ(ds(form, "dsDevType")->value("ID_DevType").toInt(), copy); // the record follows the list again
}

TEST_F(TypeFormTest, InsertInAFilteredListShowsTheNewTypeNotTheOneThatWasCurrent)
{
    TTypeForm* form = types();
    ASSERT_TRUE(form->setColumnFilter("ID_DevType", "1"));
    trigger(form, "Insert2");
    EXPECT_EQ(form->dsMain()->value("Name_DevType").toString(), "New type");
    EXPECT_EQ(ds(form, "dsDevType")->value("Name_DevType").toString(), "New type");
    EXPECT_TRUE(form->columnFilter("ID_DevType").isEmpty()); // the filter left it out: lifted
    EXPECT_EQ(scalar("select Name_DevType from DevType where ID_DevType = 1").toString(), "Манометр");
}

TEST_F(TypeFormTest, DeleteRefusesAReferencedTypeAndLandsOnThePreviousRow)
{
    TTypeForm* form = types();
    ASSERT_TRUE(form->LocateType(1));
    trigger(form, "Delete");
    EXPECT_EQ(messages.texts(),
              QStringList({FormatText(Str::RefCheckTypeDevices, 2) + "\r" + FormatText(Str::RefCheckTypeIntervals, 3) +
                           "\r" + Text(Str::OperationCanceled)}));
    EXPECT_EQ(count("select count(*) from DevType"), 2);

    run("insert into DevType (ID_DevType, Name_DevType) values (3, 'Датчик')");
    form->RequeryKeepRow();
    ASSERT_TRUE(form->LocateType(3));
    trigger(form, "Delete");
    EXPECT_EQ(currentType(form).toInt(), 2);

    // The first row goes: the list lands on whatever is first afterwards.
    run("delete from NextRep");
    run("delete from DevRep");
    run("update Device set IDevType = 2");
    form->RequeryKeepRow();
    ASSERT_TRUE(form->LocateType(1));
    ASSERT_EQ(form->dsMain()->recNo(), 1);
    trigger(form, "Delete");
    EXPECT_EQ(count("select count(*) from DevType where ID_DevType = 1"), 0);
    EXPECT_EQ(form->dsMain()->recNo(), 1);
    EXPECT_EQ(currentType(form).toInt(), 2);
}

TEST_F(TypeFormTest, BlankNameIsRefusedAndTheRecordStaysInEditing)
{
    TTypeForm* form = types();
    form->Swap();
    auto* name = child<QLineEdit>(form, "editType");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, " ");
    Dataset* record = ds(form, "dsDevType");
    ASSERT_TRUE(record->isEditing());
    EXPECT_THROW(form->Swap(), DatabaseError);
    EXPECT_TRUE(record->isEditing());
    EXPECT_TRUE(form->isFormView());
    EXPECT_EQ(scalar("select Name_DevType from DevType where ID_DevType = 1").toString(), "Манометр");
    record->cancel();
}

TEST_F(TypeFormTest, IntervalWithoutCrewTakesTheCurrentCrew)
{
    TTypeForm* form = types();
    ASSERT_TRUE(form->LocateType(2));
    form->Swap();
    trigger(form, "InsertInterval");
    Dataset* intervals = ds(form, "dsInterval");
    ASSERT_EQ(intervals->state(), Dataset::State::Insert);
    intervals->setValue("RT_Mon", 6);
    intervals->setValue("IRep", 1);
    form->Swap(); // leaving the form stores the row
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::TypeCrewRequired)}));
    EXPECT_EQ(count("select count(*) from DevRep where IDevType = 2 and ICrew = 1 and IRep = 1 and RT_Mon = 6"), 1);

    // The grid shows the crew's department, the crew, the service and the interval as "0.##".
    form->Swap();
    auto* grid = child<DatasetGrid>(form, "gridInterval");
    QStringList shown;
    for (int visual = 0; visual < grid->horizontalHeader()->count(); ++visual) {
        const int column = grid->horizontalHeader()->logicalIndex(visual);
        if (!grid->isColumnHidden(column))
            shown << grid->model()->index(0, column).data().toString();
    }
    EXPECT_EQ(shown, QStringList({"Цех КИП", "Бригада 1", "Поверка", "П", "6"}));
}

TEST_F(TypeFormTest, GoToFieldFocusesTheEditorOfTheColumn)
{
    TTypeForm* form = types();
    const std::pair<const char*, const char*> map[] = {
        {"Name_DevType", "editType"}, {"MARK_DEVTYPE", "editModel"},     {"name_naim", "editNaim"},
        {"name_prec", "editPrec"},    {"name_construct", "editConstruct"}, {"name_maker", "editMaker"},
        {"srok", "editSrok"},         {"otkaz", "editOtkaz"}};
    for (const auto& [field, editor] : map) {
        form->GoToField(field);
        EXPECT_TRUE(form->isFormView()) << field;
        EXPECT_EQ(QApplication::focusWidget(), form->findChild<QWidget*>(editor)) << field;
        form->Swap();
    }
    form->GoToField("ID_DevType");
    EXPECT_TRUE(form->isFormView()); // only the view changes
    form->GoToField("ID_DevType");
    EXPECT_FALSE(form->isFormView());
}

TEST_F(TypeFormTest, EllipsisOpensTheLinkedListOnTheTypesKey)
{
    run("insert into Naim (ID_Naim, Name_Naim) values (1, 'Прибор'), (2, 'Манометр показывающий')");
    run("update DevType set INaim = 2 where ID_DevType = 1");
    TTypeForm* form = types();
    ASSERT_TRUE(form->LocateType(1));
    form->Swap();
    child<QToolButton>(form, "editNaimEllipsis")->click();
    auto* sprav = qobject_cast<TSpravForm*>(main->findChildWindow("TSpravForm"));
    ASSERT_TRUE(sprav);
    EXPECT_EQ(sprav->currentPage(), 18);
    EXPECT_EQ(sprav->currentDataset()->value("ID_Naim").toInt(), 2);
}

TEST_F(TypeFormTest, IntervalGridLayoutIsKept)
{
    {
        TTypeForm* form = types();
        form->Swap();
        auto* grid = child<DatasetGrid>(form, "gridInterval");
        grid->setColumnWidth(ds(form, "dsInterval")->fieldIndex("Name_Crew"), 173);
        main->mdiArea()->closeAllSubWindows();
    }
    TTypeForm* form = types();
    auto* grid = child<DatasetGrid>(form, "gridInterval");
    EXPECT_EQ(grid->columnWidth(ds(form, "dsInterval")->fieldIndex("Name_Crew")), 173);
    EXPECT_TRUE(grid->isColumnHidden(ds(form, "dsInterval")->fieldIndex("ID_DevRep")));
}
