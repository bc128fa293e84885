#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tables/CellEditorDelegate.h"
#include "tables/EditableDatasetModel.h"
#include "tables/EllipsisBox.h"
#include "tables/FieldBinder.h"
#include "tables/LookupEditor.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Intervals of a type per crew, the crews with their departments: a decimal column shown "0.##" and
// a lookup whose list has two crews of the same name in different departments.
class CellEditorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table Depart (ID_Depart integer primary key, Name_Depart varchar(240))",
                          "create table Crew (ID_Crew integer primary key, Name_Crew varchar(240), IDepart int)",
                          "create table DevRep (ID_DevRep integer primary key, ICrew int, RT_Mon decimal(18,6), "
                          "Note varchar(5), Due datetime)",
                          "insert into Depart values (1, 'Цех КИП'), (2, 'Цех АСУ')",
                          "insert into Crew values (1, 'Бригада 1', 1), (2, 'Бригада 1', 2), (3, 'Бригада 3', 1)",
                          "insert into DevRep values (1, 1, 1.256, null, '2027-01-15 00:00:00'), (2, 2, 2.15, 'x', null)"});
        dm = std::make_unique<TDM>();
        crews = std::make_unique<Dataset>(dm->ADOConnection());
        crews->setSql("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON "
                      "Crew.IDepart = Depart.ID_Depart;");
        crews->open();
        intervals = std::make_unique<Dataset>(dm->ADOConnection());
        intervals->setSql("select * from DevRep order by ID_DevRep;");
        intervals->addLookupField("Name_Crew", {crews.get(), "ICrew", "ID_Crew", "Name_Crew"});
        intervals->open();
        intervals->field("RT_Mon")->setDisplayFormat("0.##");
        model = std::make_unique<EditableDatasetModel>(intervals.get());
        grid.setModel(model.get());
        delegate = new CellEditorDelegate(&grid);
        grid.setItemDelegate(delegate);
    }
    void TearDown() override
    {
        grid.setModel(nullptr);
        model.reset();
        intervals.reset();
        crews.reset();
        dm.reset();
    }

    QModelIndex cell(int row, const char* field) { return model->index(row, intervals->fieldIndex(field)); }
    std::unique_ptr<QWidget> editorFor(const QModelIndex& index)
    {
        std::unique_ptr<QWidget> editor(delegate->createEditor(grid.viewport(), {}, index));
        delegate->setEditorData(editor.get(), index);
        return editor;
    }
    double stored(int id)
    {
        return dm->ADOConnection()->scalar(QString("select RT_Mon from DevRep where ID_DevRep = %1").arg(id)).toDouble();
    }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<Dataset> crews;
    std::unique_ptr<Dataset> intervals;
    std::unique_ptr<EditableDatasetModel> model;
    QTableView grid;
    CellEditorDelegate* delegate = nullptr;
};

} // namespace

TEST_F(CellEditorsTest, DecimalCellStartsFromTheStoredValueAndTakesEitherSeparator)
{
    const QModelIndex rt = cell(0, "RT_Mon");
    EXPECT_EQ(rt.data().toString(), "1,26");
    auto editor = editorFor(rt);
    auto* edit = qobject_cast<QLineEdit*>(editor.get());
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text(), "1,256");

    // Leaving the cell untouched, or typing and taking it back, keeps 1.256.
    delegate->setModelData(edit, model.get(), rt);
    EXPECT_FALSE(intervals->isEditing());
    edit->setText("1,2567");
    edit->setText("1,256");
    edit->setModified(true);
    delegate->setModelData(edit, model.get(), rt);
    intervals->post();
    EXPECT_DOUBLE_EQ(stored(1), 1.256);

    struct Case {
        const char* typed;
        double expected;
    };
    for (const Case& c : {Case{"2.15", 2.15}, Case{"0,1", 0.1}, Case{"-", 0.1}, Case{",", 0.1}, Case{"12", 12}}) {
        edit->setText(c.typed);
        edit->setModified(true);
        delegate->setModelData(edit, model.get(), rt);
        intervals->checkBrowseMode();
        EXPECT_DOUBLE_EQ(stored(1), c.expected) << c.typed;
    }
    QString letters = "1x";
    int pos = 0;
    EXPECT_EQ(edit->validator()->validate(letters, pos), QValidator::Invalid);
}

TEST_F(CellEditorsTest, TextCellIsLimitedToTheColumnLength)
{
    auto editor = editorFor(cell(1, "Note"));
    auto* edit = qobject_cast<QLineEdit*>(editor.get());
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->maxLength(), 5);
    EXPECT_EQ(edit->text(), "x");
}

TEST_F(CellEditorsTest, LookupCellShowsTitledColumnsAndWritesTheChosenKey)
{
    delegate->setLookupColumns("name_crew", {{"Name_Depart", "Подразделение"}, {"Name_Crew", "Бригада"}});
    const QModelIndex crew = cell(0, "Name_Crew");
    EXPECT_TRUE(model->flags(crew) & Qt::ItemIsEditable);
    auto editor = editorFor(crew);
    auto* lookup = qobject_cast<LookupEditor*>(editor.get());
    ASSERT_TRUE(lookup);
    EXPECT_EQ(lookup->currentText(), "Бригада 1");
    EXPECT_EQ(lookup->keyValue().toInt(), 1);

    // The pop-up shows the department, then the crew, under the editor's titles; nothing else.
    QTableView* table = lookup->tableView();
    QStringList titles;
    QHeaderView* header = table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!table->isColumnHidden(logical))
            titles << table->model()->headerData(logical, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles, QStringList({"Подразделение", "Бригада"}));
    EXPECT_FALSE(header->isHidden());

    // The second "Бригада 1" is the other department's crew: its key, not the first one's, is written.
    int committed = 0;
    QObject::connect(delegate, &QAbstractItemDelegate::commitData, [&] { ++committed; });
    lookup->setCurrentIndex(1);
    emit lookup->activated(1);
    EXPECT_EQ(committed, 1);
    delegate->setModelData(lookup, model.get(), crew);
    EXPECT_EQ(intervals->value("ICrew").toInt(), 2);
    EXPECT_EQ(crew.data().toString(), "Бригада 1");

    // Delete clears the choice.
    QTest::keyClick(lookup, Qt::Key_Delete);
    EXPECT_TRUE(lookup->keyValue().isNull());
    EXPECT_EQ(lookup->currentIndex(), -1);
    delegate->setModelData(lookup, model.get(), crew);
    intervals->post();
    EXPECT_TRUE(dm->ADOConnection()->scalar("select ICrew from DevRep where ID_DevRep = 1").isNull());
}

TEST_F(CellEditorsTest, ALookupWithoutTitlesShowsNoFieldNameAsTitle)
{
    LookupEditor lookup;
    lookup.setList(crews.get(), "ID_Crew", "Name_Crew");
    const int column = crews->fieldIndex("Name_Crew");
    EXPECT_TRUE(lookup.tableView()->horizontalHeader()->isHidden());
    EXPECT_NE(lookup.tableView()->model()->headerData(column, Qt::Horizontal).toString(), "Name_Crew");

    crews->field("Name_Crew")->setLabel("Бригада"); // a caption given to the list's field is its title
    lookup.setList(crews.get(), "ID_Crew", "Name_Crew");
    EXPECT_FALSE(lookup.tableView()->horizontalHeader()->isHidden());
    EXPECT_EQ(lookup.tableView()->model()->headerData(column, Qt::Horizontal).toString(), "Бригада");
}

TEST_F(CellEditorsTest, LookupKeepsItsKeyWhileTheListIsReread)
{
    LookupEditor lookup;
    lookup.setList(crews.get(), "ID_Crew", "Name_Crew");
    lookup.setKeyValue(3);
    EXPECT_EQ(lookup.currentText(), "Бригада 3");
    crews->close();
    EXPECT_EQ(lookup.currentIndex(), -1);
    crews->open(); // the box would pick the first row by itself
    EXPECT_EQ(lookup.currentText(), "Бригада 3");
    dm->ADOConnection()->execute("update Crew set Name_Crew = 'Бригада 3А' where ID_Crew = 3");
    crews->requery();
    EXPECT_EQ(lookup.currentText(), "Бригада 3А");
    EXPECT_EQ(lookup.keyValue().toInt(), 3);
}

TEST_F(CellEditorsTest, EllipsisButtonIsNamedAfterTheEditorAndReportsTheCell)
{
    QModelIndex clicked;
    delegate->setEllipsis("Name_Crew", [&](const QModelIndex& index) { clicked = index; });
    const QModelIndex crew = cell(1, "Name_Crew");
    auto editor = editorFor(crew);
    auto* box = qobject_cast<EllipsisBox*>(editor.get());
    ASSERT_TRUE(box);
    EXPECT_TRUE(qobject_cast<LookupEditor*>(box->editor()));
    EXPECT_EQ(box->focusProxy(), box->editor());
    QToolButton* button = box->findChild<QToolButton*>(box->editor()->objectName() + "Ellipsis");
    ASSERT_TRUE(button);
    EXPECT_EQ(button->objectName(), "Name_CrewEllipsis");
    button->click();
    EXPECT_EQ(clicked, crew);

    // A form editor gets its box the same way.
    auto* state = new LookupEditor;
    state->setObjectName("editState");
    EllipsisBox formBox(state);
    EXPECT_TRUE(formBox.findChild<QToolButton*>("editStateEllipsis"));
}

TEST_F(CellEditorsTest, FormEditorsEditNumbersFromTheStoredValueAndLookupsByKey)
{
    QLineEdit rt;
    LookupEditor crew;
    crew.setList(crews.get(), "ID_Crew", "Name_Crew", {{"Name_Depart", "Подразделение"}, {"Name_Crew", "Бригада"}});
    FieldBinder binder(intervals.get());
    binder.bind(&rt, "RT_Mon");
    binder.bind(&crew, "ICrew");
    EXPECT_EQ(rt.text(), "1,256");
    EXPECT_EQ(crew.keyValue().toInt(), 1);
    intervals->setRecNo(2);
    EXPECT_EQ(rt.text(), "2,15");
    EXPECT_EQ(crew.keyValue().toInt(), 2);
    EXPECT_FALSE(intervals->isEditing());

    // Typing "3," keeps the comma on screen while 3 is written; "3,5" then writes 3.5.
    rt.selectAll();
    QTest::keyClicks(&rt, "3,");
    EXPECT_EQ(rt.text(), "3,");
    QTest::keyClicks(&rt, "5");
    crew.setCurrentIndex(2);
    emit crew.activated(2);
    intervals->post();
    EXPECT_DOUBLE_EQ(stored(2), 3.5);
    EXPECT_EQ(dm->ADOConnection()->scalar("select ICrew from DevRep where ID_DevRep = 2").toInt(), 3);
    EXPECT_EQ(rt.text(), "3,5");
}

// Typed over the stored 15.01.2027 from its start, as a user corrects a date, or into an emptied cell.
TEST_F(CellEditorsTest, ADateCellRefusesADayThatDoesNotExistAndKeepsTheTextOnTheCell)
{
    grid.show();
    QApplication::setActiveWindow(&grid);
    const QModelIndex due = cell(0, "Due");
    const QString stored = "select Due from DevRep where ID_DevRep = 1";
    const auto editorOnDue = [&] { return qobject_cast<QLineEdit*>(grid.indexWidget(due)); };
    const struct {
        const char* typed;
        bool overStored;
        const char* leave; // how the user tries to leave the cell
    } cases[] = {{"31022027", true, "Enter"}, {"29022027", true, "Tab"},     {"00002027", true, "row"},
                 {"32012027", true, "Enter"}, {"3102", false, "Enter"},     {"3102", false, "row"},
                 {"1501", false, "focus"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " " + c.leave);
        messages.clear();
        grid.setFocus();
        grid.setCurrentIndex(due);
        grid.edit(due);
        QLineEdit* edit = editorOnDue();
        ASSERT_TRUE(edit);
        edit->setFocus();
        if (!c.overStored) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
        }
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, c.typed);
        const QString text = edit->text();

        const std::string leave = c.leave;
        if (leave == "Enter")
            QTest::keyClick(edit, Qt::Key_Return);
        else if (leave == "Tab")
            QTest::keyClick(edit, Qt::Key_Tab);
        else if (leave == "row")
            grid.setCurrentIndex(cell(1, "Due"));
        else
            grid.setFocus();
        QApplication::processEvents();

        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].contains("«" + text + "»")) << messages.texts()[0].toStdString();
        ASSERT_TRUE(editorOnDue());
        EXPECT_EQ(editorOnDue()->text(), text);
        EXPECT_EQ(grid.currentIndex(), due);
        EXPECT_FALSE(intervals->isModified());
        EXPECT_EQ(dm->ADOConnection()->scalar(stored).toDateTime(), QDateTime(QDate(2027, 1, 15), QTime(0, 0)));

        QTest::keyClick(editorOnDue(), Qt::Key_Escape); // given up: the cell shows what it holds
        QApplication::processEvents();
        EXPECT_FALSE(editorOnDue());
        EXPECT_EQ(due.data().toString(), "15.01.2027");
    }

    // Corrected, it is taken.
    messages.clear();
    grid.edit(due);
    editorOnDue()->setCursorPosition(0);
    QTest::keyClicks(editorOnDue(), "28022027");
    QTest::keyClick(editorOnDue(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
    intervals->post();
    EXPECT_EQ(dm->ADOConnection()->scalar(stored).toDateTime(), QDateTime(QDate(2027, 2, 28), QTime(0, 0)));
}
