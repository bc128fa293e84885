#include "AccountFixture.h"

#include "data/DatasetModel.h"
#include "support/QtPrinters.h"
#include "tables/EllipsisBox.h"
#include "tables/LookupEditor.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

namespace {

// The labour window's lists edited where they are shown, as the user types into a cell and moves on.
class AccountGridsTest : public AccountFormTest {
protected:
    QTableView* grid(const char* name) { return child<QTableView>(QString::fromLatin1(name)); }

    // Opens the editor of the cell of `field` in the grid's current row.
    QWidget* editCell(const char* gridName, const char* field)
    {
        QTableView* view = grid(gridName);
        auto* model = qobject_cast<const DatasetModel*>(view->model());
        EXPECT_TRUE(model);
        const Dataset* dataset = model->dataset();
        const QModelIndex cell = view->model()->index(dataset->currentRow(), dataset->fieldIndex(field));
        EXPECT_TRUE(cell.flags() & Qt::ItemIsEditable) << gridName << "." << field;
        view->setCurrentIndex(cell);
        view->edit(cell);
        QWidget* editor = view->indexWidget(cell);
        if (!editor) {
            const auto editors = view->viewport()->findChildren<QWidget*>(QString::fromLatin1(field));
            editor = editors.isEmpty() ? nullptr : editors.last();
        }
        EXPECT_TRUE(editor) << gridName << "." << field;
        return editor;
    }
    // Types `text` into the cell (replacing what it held) and confirms it with Enter.
    void typeInto(const char* gridName, const char* field, const QString& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(EllipsisBox::editorOf(editCell(gridName, field)));
        ASSERT_TRUE(edit) << field;
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Chooses the list row whose display text is `text` in a lookup editor, as a click in its pop-up.
    static void choose(LookupEditor* lookup, const QString& text)
    {
        ASSERT_TRUE(lookup);
        const int row = lookup->findText(text);
        ASSERT_GE(row, 0) << text.toStdString();
        lookup->setCurrentIndex(row);
        emit lookup->activated(row);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(AccountGridsTest, InformationGridsTakeACountAServiceRowAndAShare)
{
    openPage(0);
    Dataset* types = ds("dsDevType");
    ASSERT_TRUE(types->locate("ID_DevType", thermometer));
    EXPECT_FALSE(grid("GridDevType")->model()->index(0, types->fieldIndex("ID_DevType")).flags() & Qt::ItemIsEditable);
    typeInto("GridDevType", "Count", "7");
    chooseCrew("editCrewDep", crew2); // the selector stores the page's edits first
    EXPECT_EQ(scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2")
                         .arg(thermometer).arg(crew1)).toInt(), 7);

    // A new service row of the thermometer: its service chosen from the list, its rate time typed.
    chooseCrew("editCrewDep", crew1);
    ASSERT_TRUE(types->locate("ID_DevType", thermometer));
    click("btnAddDevRep");
    choose(qobject_cast<LookupEditor*>(EllipsisBox::editorOf(editCell("GridDevRep", "Full"))), "Ремонт");
    typeInto("GridDevRep", "RT_PC", "1,5");
    chooseCrew("editCrewDep", crew2);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select RT_PC from DevRep where IDevType = %1 and ICrew = %2 and IRep = %3")
                                .arg(thermometer).arg(crew1).arg(repair)),
                     1.5);

    // A share of the gauge's verification: its category chosen among equal names by its grade.
    chooseCrew("editCrewDep", crew1);
    ASSERT_TRUE(types->locate("ID_DevType", gauge));
    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeCheck));
    ASSERT_TRUE(ds("dsRepCath")->locate("ICathegory", grade5));
    typeInto("GridRepCath", "Value", "150,25");
    auto* category = qobject_cast<LookupEditor*>(EllipsisBox::editorOf(editCell("GridRepCath", "Name_Cathegory")));
    ASSERT_TRUE(category);
    EXPECT_GE(category->tableView()->model()->columnCount(), 2) << "the grade tells the fitters apart";
    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeRepair)); // moving on stores the share
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select [Value] from RepCath where IDevRep = %1 and ICathegory = %2")
                                .arg(gaugeCheck).arg(grade5)),
                     150.25);
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("|").toStdString();
}

TEST_F(AccountGridsTest, NormGridTakesAFigure)
{
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour, ExtPlanPC) values (%1, %2, 100, 10)")
            .arg(crew1)
            .arg(grade4));
    openPage(2);
    chooseCrew("editCrewDep3", crew1);
    ASSERT_EQ(ds("dsNormState")->recordCount(), 1);
    typeInto("DBGridEh1", "ExtPlanPC", "12,5");
    chooseCrew("editCrewDep3", crew2);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select ExtPlanPC from NormState where ICrew = %1").arg(crew1)), 12.5);
}

TEST_F(AccountGridsTest, EnterInTheNormGridMovesToTheNextCell)
{
    for (qint64 grade : {grade4, grade5})
        run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour) values (%1, %2, 100)").arg(crew1).arg(grade));
    openPage(2);
    chooseCrew("editCrewDep3", crew1);
    Dataset* norms = ds("dsNormState");
    ASSERT_EQ(norms->recordCount(), 2);
    QTableView* view = grid("DBGridEh1");
    const auto at = [&] { return std::pair(view->currentIndex().row(), view->currentIndex().column()); };

    // A figure confirmed with Enter is stored and the next cell is current, not being edited.
    norms->first();
    typeInto("DBGridEh1", "ExtPlanPC", "12,5");
    EXPECT_EQ(at(), std::pair(0, norms->fieldIndex("ExtPlan")));
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_DOUBLE_EQ(norms->value("ExtPlanPC").toDouble(), 12.5);

    // From the last cell of a row to the first of the next, hidden columns passed over; the last
    // cell of the last row stays where it is.
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, norms->fieldIndex("Required")));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(at(), std::pair(1, norms->fieldIndex("Cathegory")));
    EXPECT_EQ(norms->recNo(), 2);
    view->setCurrentIndex(view->model()->index(1, norms->fieldIndex("Required")));
    QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(at(), std::pair(1, norms->fieldIndex("Required")));
    EXPECT_EQ(norms->recordCount(), 2);
    chooseCrew("editCrewDep3", crew2);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select ExtPlanPC from NormState where ICrew = %1 and ICathegory = %2")
                                .arg(crew1)
                                .arg(grade4)),
                     12.5);
}

TEST_F(AccountGridsTest, CrewPageListEditorsChooseFromTheirListAndJumpToIt)
{
    const qint64 day = insert("insert into WorkDayLenth (Name_WorkDayLenth, Lenth) values ('8 ч', 8)");
    insert("insert into WorkDayLenth (Name_WorkDayLenth, Lenth) values ('Сокращённый', 7.2)");
    openPage(1);
    chooseCrew("editCrewDep2", crew1);
    ASSERT_TRUE(ds("dsCrewListView")->locate("No", 1));
    auto* length = child<LookupEditor>("DBLookupComboboxEh2");
    choose(length, "8,00"); // hours with two places
    EXPECT_EQ(ds("dsCrewList")->value("IWorkDayLenth").toLongLong(), day);
    chooseCrew("editCrewDep2", crew2); // stores the member's edit
    EXPECT_EQ(scalar(QStringLiteral("select IWorkDayLenth from CrewList where ICrew = %1 and [No] = 1").arg(crew1))
                  .toLongLong(),
              day);
    for (const char* name : {"DBLookupComboboxEh1", "DBLookupComboboxEh2", "DBLookupComboboxEh3", "DBLookupComboboxEh4",
                             "DBLookupComboboxEh5"}) {
        auto* editor = child<LookupEditor>(QString::fromLatin1(name));
        ASSERT_TRUE(editor) << name;
        EXPECT_TRUE(qobject_cast<EllipsisBox*>(editor->parentWidget())) << name;
        EXPECT_TRUE(child<QToolButton>(QString::fromLatin1(name) + "Ellipsis")) << name;
    }
}

namespace {

// A click on the title of `field`, as the user makes it, and the rows' `key` values afterwards.
QVariantList clickTitle(QTableView* view, const char* field, const char* key)
{
    auto* model = qobject_cast<const DatasetModel*>(view->model());
    Dataset* dataset = model->dataset();
    QHeaderView* header = view->horizontalHeader();
    const int section = dataset->fieldIndex(QString::fromLatin1(field));
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    QVariantList keys;
    for (int row = 0; row < dataset->recordCount(); ++row)
        keys.append(dataset->valueAt(row, dataset->fieldIndex(QString::fromLatin1(key))));
    return keys;
}

} // namespace

TEST_F(AccountGridsTest, TitlesSortTheTypesTheCrewAndTheNormState)
{
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour) values (%1, %2, 5), (%1, %3, 1)")
            .arg(crew1)
            .arg(grade4)
            .arg(grade5));
    openPage(0);
    chooseCrew("editCrewDep", crew1);
    EXPECT_EQ(clickTitle(grid("GridDevType"), "ID_DevType", "ID_DevType"), (QVariantList{gauge, thermometer}));
    EXPECT_EQ(clickTitle(grid("GridDevType"), "ID_DevType", "ID_DevType"), (QVariantList{thermometer, gauge}));

    tabs()->setCurrentIndex(1);
    chooseCrew("editCrewDep2", crew1);
    EXPECT_EQ(clickTitle(grid("GridCrewList"), "DayFundP1E", "No"), (QVariantList{2, 1}));

    tabs()->setCurrentIndex(2);
    chooseCrew("editCrewDep3", crew1);
    EXPECT_EQ(clickTitle(grid("DBGridEh1"), "PlanHour", "ICathegory"), (QVariantList{grade5, grade4}));
    EXPECT_EQ(clickTitle(grid("DBGridEh1"), "PlanHour", "ICathegory"), (QVariantList{grade4, grade5}));
    EXPECT_EQ(clickTitle(grid("DBGridEh1"), "Cathegory", "ICathegory"), (QVariantList{grade4, grade5}))
        << "the first title does not sort";
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("|").toStdString();
}

// Widths the user gave the page grids are there again after a restart, and a page that was not
// shown keeps what the file holds.
TEST_F(AccountGridsTest, PageGridWidthsSurviveARestart)
{
    struct Width {
        int page;
        const char* grid;
        const char* field;
        int width;
    };
    const Width widths[] = {{0, "GridDevType", "Count", 137}, {0, "GridDevRep", "RT_PC", 141},
                            {0, "GridRepCath", "Value", 143},  {1, "GridCrewList", "Tarif", 147},
                            {2, "DBGridEh1", "YearPlan", 149}};
    auto columnOf = [this](const Width& w) {
        auto* model = qobject_cast<const DatasetModel*>(grid(w.grid)->model());
        return model->dataset()->fieldIndex(QString::fromLatin1(w.field));
    };
    openPage(0);
    for (const Width& w : widths) {
        tabs()->setCurrentIndex(w.page);
        settle();
        grid(w.grid)->horizontalHeader()->resizeSection(columnOf(w), w.width);
    }
    form->parentWidget()->close();
    QCoreApplication::processEvents();

    for (int restart = 0; restart < 2; ++restart) {
        SCOPED_TRACE(restart);
        main.reset();
        main = std::make_unique<TMainForm>();
        main->show();
        QTest::qWait(20);
        main->updateActions();
        openPage(0);
        // The first time only the first page is shown: the others keep their stored widths for the
        // second.
        for (const Width& w : widths) {
            if (restart == 0 && w.page != 0)
                continue;
            tabs()->setCurrentIndex(w.page);
            settle();
            EXPECT_EQ(grid(w.grid)->horizontalHeader()->sectionSize(columnOf(w)), w.width) << w.grid;
        }
        tabs()->setCurrentIndex(0);
        form->parentWidget()->close();
        QCoreApplication::processEvents();
    }
}
