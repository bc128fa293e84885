#include "TablesFixture.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SqlValue.h"
#include "tables/DateRangeExpression.h"
#include "data/JetDialect.h"
#include "tables/FilterHeader.h"
#include "tables/FilterRowQuery.h"
#include "tables/PasportListFrm.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <sqlite3.h>

using Kind = FilterRowQuery::ColumnKind;

TEST(FilterRowQuery, TypedTextBecomesAConditionOnTheColumn)
{
    Clock::fix(QDateTime(QDate(2025, 6, 1), QTime(12, 0)));
    struct Case {
        Kind kind;
        QString typed;
        QString condition;
    };
    const Case cases[] = {
        {Kind::Text, "", ""},
        {Kind::Text, "   ", ""},
        {Kind::Text, "Манометр", "[C] = 'Манометр' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "  Цех 1 ", "[C] = 'Цех 1' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "O'Neil; --", "[C] = 'O''Neil; --' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "'O''Neil'", "[C] = 'O''Neil' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "ab%", "[C] Like 'ab%'"},
        {Kind::Text, "ab*", "[C] Like 'ab%'"},
        {Kind::Text, "NULL", "[C] Is Null"},
        {Kind::Text, "<> null", "[C] Is Not Null"},
        {Kind::Text, "'NULL'", "[C] = 'NULL' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "''", "[C] = '' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "<> x", "[C] <> 'x' COLLATE UNICODE_NOCASE"},
        {Kind::Text, "not like М*", "[C] Not Like 'М%'"},
        {Kind::Text, "in ('a', 'b''c')", "[C] COLLATE UNICODE_NOCASE IN ('a', 'b''c')"},
        {Kind::Text, "= a or = b", "([C] = 'a' COLLATE UNICODE_NOCASE OR [C] = 'b' COLLATE UNICODE_NOCASE)"},
        {Kind::Number, "12", "[C] = 12"},
        {Kind::Number, "2,15", "[C] = 2.15"},
        {Kind::Number, ">= 10 and < 20.5", "([C] >= 10 AND [C] < 20.5)"},
        {Kind::Number, "in (1, 2)", "[C] IN (1, 2)"},
        {Kind::Number, "1%", "[C] Like '1%'"},
        {Kind::Date, "05.03.2024", "([C] >= #03/05/2024# AND [C] < #03/06/2024#)"}, // the whole day
        {Kind::Date, "05.03.04", "([C] >= #03/05/2004# AND [C] < #03/06/2004#)"},
        {Kind::Date, "05.03.80", "([C] >= #03/05/1980# AND [C] < #03/06/1980#)"},
        {Kind::Date, "<> 31.12.2024", "([C] < #12/31/2024# OR [C] >= #01/01/2025#)"},
        {Kind::Date, "> 31.12.2024", "[C] >= #01/01/2025#"},
        {Kind::Date, "< 01.03.2024", "[C] < #03/01/2024#"},
        // The date dialog's forms.
        {Kind::Date, "= '05.03.04'", "([C] >= #03/05/2004# AND [C] < #03/06/2004#)"},
        {Kind::Date, ">= '01.03.04' and  <='05.03.04'", "([C] >= #03/01/2004# AND [C] < #03/06/2004#)"},
        {Kind::Date, "<= '05.03.04'", "[C] < #03/06/2004#"},
    };
    for (const Case& c : cases) {
        const auto parsed = FilterRowQuery::parse("C", c.kind, c.typed);
        EXPECT_TRUE(parsed.ok()) << c.typed.toStdString() << ": " << parsed.error.toStdString();
        EXPECT_EQ(parsed.condition, c.condition) << c.typed.toStdString();
    }
    Clock::fix({});
}

TEST(FilterRowQuery, BadInputIsRefusedWithAReason)
{
    struct Case {
        Kind kind;
        QString typed;
    };
    const Case cases[] = {
        {Kind::Number, "abc"}, {Kind::Date, "31.02.2024"}, {Kind::Date, "yesterday"}, {Kind::Text, "'open"},
        {Kind::Text, "in (a, b"}, {Kind::Text, "in a"},    {Kind::Text, ">="},
    };
    for (const Case& c : cases) {
        const auto parsed = FilterRowQuery::parse("C", c.kind, c.typed);
        EXPECT_FALSE(parsed.ok()) << c.typed.toStdString();
        EXPECT_TRUE(parsed.condition.isEmpty());
    }
}

// Values the parser used to accept and the engine then refused or misread: the last day dates can
// be written for (the whole-day rule wrote its next midnight as 01/01/10000, a syntax error), and
// "inf" or "nan" in a number column (written as NULL, they silently found nothing).
TEST(FilterRowQuery, TheLastDayIsAWholeDayAndInfinitiesAreNotNumbers)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    SqliteExtensions::registerAll(db);
    ASSERT_EQ(sqlite3_exec(db,
                           "create table T ( C datetime null );"
                           "insert into T values ('9999-12-30 12:00:00'), ('9999-12-31 00:00:00'), "
                           "('9999-12-31 23:59:59'), (NULL);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const auto rowsMatching = [&](const QString& condition) {
        const QByteArray sql =
            JetDialect::toSqlite(FilterRowQuery::rebuild("select count(*) from T\rWHERE\r1=1;", {condition})).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql.constData();
            return -1;
        }
        sqlite3_step(stmt);
        const int count = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return count;
    };
    const struct {
        const char* typed;
        int rows;
    } lastDay[] = {
        {"31.12.9999", 2}, {"= 31.12.9999", 2}, {"<> 31.12.9999", 1}, {"<= 31.12.9999", 3},
        {"> 31.12.9999", 0}, {"< 31.12.9999", 1}, {">= '31.12.9999'", 2}, {"> 30.12.9999", 2},
    };
    for (const auto& c : lastDay) {
        const auto parsed = FilterRowQuery::parse("C", Kind::Date, c.typed);
        ASSERT_TRUE(parsed.ok()) << c.typed << ": " << parsed.error.toStdString();
        EXPECT_EQ(rowsMatching(parsed.condition), c.rows) << c.typed << ": " << parsed.condition.toStdString();
    }
    sqlite3_close(db);

    for (const char* typed : {"inf", "-inf", "nan", "= INF", "<> NaN", "> 1 and < infinity", "in (1, nan)", "1e999"}) {
        const auto parsed = FilterRowQuery::parse("C", Kind::Number, typed);
        EXPECT_FALSE(parsed.ok()) << typed << " gave " << parsed.condition.toStdString();
        EXPECT_TRUE(parsed.error.contains("не число")) << typed << ": " << parsed.error.toStdString();
    }
    // The engine would stop reading the statement inside the value.
    EXPECT_FALSE(FilterRowQuery::parse("C", Kind::Text, QString("a") + QChar(0) + "b").ok());
}

TEST(FilterRowQuery, RebuildsTheMainQueryAtItsAnchorLine)
{
    const QString main = "select * from Pasport\rWHERE\r1=1;";
    EXPECT_EQ(FilterRowQuery::rebuild(main, {}), "select * from Pasport\rWHERE\r1=1");
    EXPECT_EQ(FilterRowQuery::rebuild(main, {"[A] = 'x'", "[B] = 2"}),
              "select * from Pasport\rWHERE\r1=1 and [A] = 'x' AND [B] = 2");
    // Rebuilding a rebuilt query replaces the anchor line again; what followed it is dropped.
    EXPECT_EQ(FilterRowQuery::rebuild("select * from Pasport\rWHERE\r1=1 and [A] = 'x'\rorder by A", {"[B] = 2"}),
              "select * from Pasport\rWHERE\r1=1 and [B] = 2");
    EXPECT_EQ(FilterRowQuery::rebuild("select a\nfrom t\nwhere\n1=1 AND x\n", {}), "select a\nfrom t\nwhere\n1=1");
    // Only a line that begins with the anchor counts; no anchor leaves the statement alone.
    EXPECT_EQ(FilterRowQuery::rebuild("select * from t where 1=1;", {"[A] = 1"}), "select * from t where 1=1;");
    EXPECT_FALSE(FilterRowQuery::hasAnchor("select * from t where 1=1;"));
    EXPECT_TRUE(FilterRowQuery::hasAnchor(main));
    EXPECT_EQ(FilterRowQuery::valueListStatement("Name_DevType", "Pasport"),
              "select Name_DevType from Pasport where Name_DevType is not null group by Name_DevType;");
}

TEST(FilterRowQuery, ConditionsComeInColumnOrderAndBadTextKeepsThePreviousOne)
{
    FilterRowQuery query;
    query.setCell(5, "E", Kind::Number, "5");
    query.setCell(1, "A", Kind::Text, "x");
    EXPECT_EQ(query.conditions(), QStringList({"[A] = 'x' COLLATE UNICODE_NOCASE", "[E] = 5"}));
    EXPECT_FALSE(query.setCell(5, "E", Kind::Number, "five").ok());
    EXPECT_EQ(query.conditions(), QStringList({"[A] = 'x' COLLATE UNICODE_NOCASE", "[E] = 5"}));
    query.setCell(1, "A", Kind::Text, "");
    EXPECT_EQ(query.conditions(), QStringList({"[E] = 5"}));
}

class FilterRowTest : public TablesFixture {};

TEST_F(FilterRowTest, TypingIsDebouncedIntoOneSignal)
{
    FilterHeader header;
    header.generateFilters(3);
    QSignalSpy spy(&header, &FilterHeader::filterChanged);
    QLineEdit* edit = header.editor(1)->lineEdit();
    QTest::keyClicks(edit, "Ceh");
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(spy.wait(FilterHeader::DebounceMs * 4));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(0).at(1).toString(), "Ceh");
    header.setFilterText(2, "quiet"); // set by the program: no signal
    header.flush();
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(FilterRowTest, TheWindowRequeriesWithTheConditionsAndListsColumnValues)
{
    TPasportListForm form;
    form.show();
    QTableView* grid = form.grid();
    const int type = form.dsMain()->fieldIndex("Name_DevType");
    const int price = form.dsMain()->fieldIndex("Price");
    grid->setCurrentIndex(grid->model()->index(0, type));
    QComboBox* typeFilter = form.filterHeader()->editor(type);
    ASSERT_TRUE(typeFilter);
    EXPECT_EQ(typeFilter->count(), 0) << "moving about the list reads no column's values";
    typeFilter->showPopup(); // the list is read as it opens
    typeFilter->hidePopup();
    QStringList values;
    for (int i = 0; i < typeFilter->count(); ++i)
        values.append(typeFilter->itemText(i));
    EXPECT_EQ(values, QStringList({"", "Манометр", "Термометр"}));

    typeFilter->setCurrentIndex(1);
    emit typeFilter->activated(1); // a value picked from the list applies at once
    EXPECT_EQ(form.dsMain()->sql(),
              "select * from Pasport\rWHERE\r1=1 and [Name_DevType] = 'Манометр' COLLATE UNICODE_NOCASE");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);

    form.filterHeader()->setFilterText(price, ">= 20");
    emit form.filterHeader()->filterChanged(price, ">= 20");
    EXPECT_EQ(form.dsMain()->sql(),
              "select * from Pasport\rWHERE\r1=1 and [Name_DevType] = 'Манометр' COLLATE UNICODE_NOCASE AND [Price] >= 20");
    EXPECT_EQ(form.dsMain()->recordCount(), 2);


    emit form.filterHeader()->filterChanged(type, "");
    emit form.filterHeader()->filterChanged(price, "");
    EXPECT_EQ(form.dsMain()->sql(), "select * from Pasport\rWHERE\r1=1");
    EXPECT_EQ(form.dsMain()->recordCount(), 6);
}

// Half-typed conditions are shown as errors in the row itself: no box interrupts the typing, the
// previous condition stays until the text parses, and then it applies.
TEST_F(FilterRowTest, TextThatDoesNotParseIsMarkedInTheRowWithoutABox)
{
    TPasportListForm form;
    form.show();
    FilterHeader* header = form.filterHeader();
    auto* statusBar = form.findChild<QStatusBar*>("StatusBar");
    const int price = form.dsMain()->fieldIndex("Price");
    emit header->filterChanged(price, ">= 20");
    ASSERT_EQ(form.dsMain()->recordCount(), 3);
    messages.clear();
    const struct {
        const char* field;
        const char* typed;
    } halfTyped[] = {{"SetDate", "05.03"}, {"Price", ">"}, {"Name_DevType", "'Ман"}, {"Price", "lots"}};
    for (const auto& c : halfTyped) {
        const int column = form.dsMain()->fieldIndex(c.field);
        emit header->filterChanged(column, QString::fromUtf8(c.typed));
        EXPECT_TRUE(messages.shown().isEmpty()) << c.typed;
        EXPECT_FALSE(header->cellError(column).isEmpty()) << c.typed;
        EXPECT_EQ(header->editor(column)->toolTip(), header->cellError(column));
        EXPECT_EQ(statusBar->currentMessage(), header->firstError()) << c.typed;
        EXPECT_EQ(form.dsMain()->recordCount(), 3) << c.typed;
        emit header->filterChanged(column, column == price ? ">= 20" : "");
        EXPECT_TRUE(header->cellError(column).isEmpty()) << c.typed;
    }
    EXPECT_TRUE(statusBar->currentMessage().isEmpty());
    emit header->filterChanged(price, "> 20");
    EXPECT_EQ(form.dsMain()->recordCount(), 1);
    EXPECT_TRUE(header->editor(price)->toolTip().isEmpty());
}

// A value picked from a column's list is that value, not an expression to read.
TEST_F(FilterRowTest, APickedValueFindsExactlyTheRowsHoldingIt)
{
    const QStringList values = {"50%", "In stock", "Gas or liquid", ">100 bar", "'Метран'"};
    const QStringList decoys = {"500%", "In", "Gas", "100 bar", "Метран", "stock"};
    int id = 10;
    for (const QString& text : values + decoys)
            connection().execute(QStringLiteral("insert into Pasport (ID_Device, ANumber) values (%1, %2)")
                                     .arg(id++)
                                     .arg(SqlValue::quoted(text)));
    TPasportListForm form;
    form.show();
    QTableView* grid = form.grid();
    auto pick = [&](const char* field, const QString& text) {
        const int column = form.dsMain()->fieldIndex(field);
        grid->setCurrentIndex(grid->model()->index(0, column));
        QComboBox* list = form.filterHeader()->editor(column);
        list->showPopup(); // the user opens the cell's list
        list->hidePopup();
        const int index = list->findText(text);
        EXPECT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
        EXPECT_TRUE(form.filterHeader()->cellError(column).isEmpty());
        return form.dsMain()->recordCount();
    };
    for (const QString& value : values) {
        EXPECT_EQ(pick("ANumber", value), 1) << value.toStdString();
        EXPECT_EQ(form.dsMain()->value("ANumber").toString(), value);
    }
    emit form.filterHeader()->filterChanged(form.dsMain()->fieldIndex("ANumber"), "");
    EXPECT_EQ(pick("Price", "10"), 2);
    EXPECT_EQ(pick("SetDate", "05.03.2024"), 1); // with Price = 10 still applied
}

TEST(FilterRowQuery, PickedValuesAreComparedAsTheyStand)
{
    EXPECT_EQ(FilterRowQuery::valueCondition("C", QString("50%")), "[C] = '50%' COLLATE UNICODE_NOCASE");
    EXPECT_EQ(FilterRowQuery::valueCondition("C", QString("'O'Neil'")), "[C] = '''O''Neil''' COLLATE UNICODE_NOCASE");
    EXPECT_EQ(FilterRowQuery::valueCondition("C", 12.5), "[C] = 12.5");
    EXPECT_EQ(FilterRowQuery::valueCondition("C", qlonglong(7)), "[C] = 7");
    EXPECT_EQ(FilterRowQuery::valueCondition("C", QDateTime(QDate(2024, 3, 5), QTime(14, 5))),
              "[C] = #03/05/2024 14:05:00#");
    EXPECT_EQ(FilterRowQuery::valueCondition("C", QVariant()), "[C] Is Null");
}

// The date dialog's results, read by the filter row, select exactly the moments of the days chosen.
TEST_F(FilterRowTest, DateDialogRangesSelectWholeDays)
{
    connection().execute("delete from Pasport");
    const QStringList stored = {"2004-02-29 23:59:59", "2004-03-01 00:00:00", "2004-03-05 14:05:00",
                                "2004-03-05 23:59:59", "2004-03-06 00:00:00"};
    for (int i = 0; i < stored.size(); ++i)
        connection().execute(
            QStringLiteral("insert into Pasport (ID_Device, SetDate) values (%1, '%2')").arg(i).arg(stored[i]));
    auto selected = [&](const QString& from, const QString& to) {
        const auto parsed = FilterRowQuery::parse("SetDate", Kind::Date, DateRangeExpression::fromTexts(from, to));
        EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
        const auto rows = connection().select(
            FilterRowQuery::rebuild("select ID_Device from Pasport\rWHERE\r1=1;", {parsed.condition}) +
            " order by ID_Device");
        QStringList ids;
        for (int r = 0; r < rows->rowCount(); ++r)
            ids << rows->text(r, 0);
        return ids.join(' ');
    };
    EXPECT_EQ(selected("01.03.04", "05.03.04"), "1 2 3");
    EXPECT_EQ(selected("05.03.04", "01.03.04"), "1 2 3");
    EXPECT_EQ(selected("05.03.04", "05.03.04"), "2 3");
    EXPECT_EQ(selected("  .  .  ", "29.02.04"), "0");
    EXPECT_EQ(selected("06.03.04", "  .  .  "), "4");
}

TEST_F(FilterRowTest, DateConditionsReachTheEngineInStorageForm)
{
    TPasportListForm form;
    const int setDate = form.dsMain()->fieldIndex("SetDate");
    emit form.filterHeader()->filterChanged(setDate, ">= '01.03.24' and  <='31.03.24'");
    EXPECT_EQ(form.dsMain()->recordCount(), 2);
    emit form.filterHeader()->filterChanged(setDate, "01.04.2024");
    EXPECT_EQ(form.dsMain()->recordCount(), 2);
    emit form.filterHeader()->filterChanged(setDate, "null");
    EXPECT_EQ(form.dsMain()->recordCount(), 2);
    emit form.filterHeader()->filterChanged(form.dsMain()->fieldIndex("ANumber"), "A'5");
    EXPECT_EQ(form.dsMain()->recordCount(), 0);
}

// Texts match without regard to letter case, Cyrillic included.
TEST_F(FilterRowTest, TextMatchesWithoutLetterCase)
{
    TPasportListForm form;
    emit form.filterHeader()->filterChanged(form.dsMain()->fieldIndex("Name_DevType"), "МАНОМЕТР");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);
    emit form.filterHeader()->filterChanged(form.dsMain()->fieldIndex("Name_DevType"), "in ('термометр', 'x')");
    EXPECT_EQ(form.dsMain()->recordCount(), 1);
}

// "A-1" is taken as the whole value; the status bar says nothing matched and how to match a part.
TEST_F(FilterRowTest, AFilterThatFindsNothingSaysSoWithTheStarHint)
{
    TPasportListForm form;
    const QString hint = Text(Str::StatusFilterFoundNothing);
    EXPECT_TRUE(form.setFilterText("ANumber", "A-"));
    form.updateOnIdle();
    EXPECT_EQ(form.dsMain()->recordCount(), 0);
    EXPECT_TRUE(form.statusText().contains(hint)) << form.statusText().toStdString();
    EXPECT_TRUE(hint.contains("*"));

    EXPECT_TRUE(form.setFilterText("ANumber", "A-*"));
    form.updateOnIdle();
    EXPECT_EQ(form.dsMain()->recordCount(), 5);
    EXPECT_FALSE(form.statusText().contains(hint));

    // An empty table without a filter is no search that failed.
    form.clearFilterRow();
    connection().execute("delete from Pasport");
    form.dsMain()->requery();
    form.updateOnIdle();
    EXPECT_FALSE(form.statusText().contains(hint)) << form.statusText().toStdString();
}

// A day typed or chosen means the whole day: a device set at 14:05 is found too.
TEST_F(FilterRowTest, ADateMeansTheWholeDay)
{
    connection().execute("insert into Pasport values (7, 'A-7', 'Манометр', 'Цех 1', 10, '2024-04-01 14:05:00')");
    TPasportListForm form;
    const int setDate = form.dsMain()->fieldIndex("SetDate");
    emit form.filterHeader()->filterChanged(setDate, "01.04.2024");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);
    emit form.filterHeader()->filterChanged(setDate, ">= '05.03.24' and  <='01.04.24'");
    EXPECT_EQ(form.dsMain()->recordCount(), 5);
    emit form.filterHeader()->filterChanged(setDate, "> 31.03.2024");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);
}

// A command that narrows the list (the due services, say) goes through the same conditions as
// typing: the cell shows them, and the user can change or clear them in the row.
TEST_F(FilterRowTest, TheProgramSetsConditionsAUserCouldHaveTyped)
{
    connection().execute("insert into Pasport values (7, 'A-7', 'Манометр', 'Цех 1', 10, '2024-04-01 14:05:00')");
    TPasportListForm form;
    const int setDate = form.dsMain()->fieldIndex("SetDate");
    EXPECT_TRUE(form.setFilterText("SetDate", ">= '01.04.2024' and <= '01.04.2024'"));
    EXPECT_EQ(form.filterHeader()->filterText(setDate), ">= '01.04.2024' and <= '01.04.2024'");
    EXPECT_EQ(form.dsMain()->recordCount(), 3);
    EXPECT_TRUE(form.setFilterText("Name_DevType", "Манометр"));
    const int both = form.dsMain()->recordCount();
    EXPECT_LE(both, 3);

    EXPECT_FALSE(form.setFilterText("SetDate", "< 'yesterday'"));
    EXPECT_FALSE(form.filterHeader()->cellError(setDate).isEmpty());
    EXPECT_EQ(form.dsMain()->recordCount(), both); // the previous condition stays
    EXPECT_FALSE(form.setFilterText("NoSuchColumn", "1"));

    form.clearFilterRow();
    EXPECT_EQ(form.dsMain()->sql(), "select * from Pasport\rWHERE\r1=1");
    EXPECT_EQ(form.dsMain()->recordCount(), 7);
    EXPECT_TRUE(form.filterHeader()->filterText(setDate).isEmpty());
    EXPECT_TRUE(form.filterHeader()->cellError(setDate).isEmpty());
}

TEST_F(FilterRowTest, AColumnTheTableDoesNotHaveGivesAnErrorAndAnEmptyList)
{
    TPasportListForm form;
    form.dsMain()->addCalculatedField("RecN", [](const Dataset&, int row) { return row + 1; });
    form.RequeryKeepRow();
    const int recN = form.dsMain()->fieldIndex("RecN");
    ASSERT_GE(recN, 0);
    ASSERT_GT(form.grid()->model()->columnCount(), recN);
    ASSERT_GT(form.filterHeader()->filterCount(), recN);
    messages.clear();
    form.grid()->setCurrentIndex(form.grid()->model()->index(0, recN));
    EXPECT_TRUE(messages.shown().isEmpty());
    form.filterHeader()->editor(recN)->showPopup(); // the cell's list opened
    form.filterHeader()->editor(recN)->hidePopup();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(form.filterHeader()->editor(recN)->count(), 0);
}

TEST_F(FilterRowTest, EditorsLieUnderTheirTitlesAndFollowMovesAndHiding)
{
    TPasportListForm form;
    form.show();
    QHeaderView* header = form.filterHeader();
    auto check = [&](int column) {
        QComboBox* combo = form.filterHeader()->editor(column);
        EXPECT_EQ(combo->geometry().top(), header->viewport()->geometry().bottom() + 1);
        EXPECT_EQ(combo->geometry().left(), header->sectionViewportPosition(column));
        EXPECT_EQ(combo->width(), header->sectionSize(column));
    };
    const int location = form.dsMain()->fieldIndex("Name_Location");
    check(location);
    header->moveSection(header->visualIndex(location), 0);
    check(location);
    header->resizeSection(location, 150);
    check(location);
    form.grid()->setColumnHidden(location, true);
    EXPECT_TRUE(form.filterHeader()->editor(location)->isHidden());
}

TEST_F(FilterRowTest, WrappedTitlesTakeTheLinesTheirColumnNeeds)
{
    QStandardItemModel model(1, 2);
    model.setHorizontalHeaderLabels({"Аббревиатура обслуживания", "Год"});
    QTableView view;
    auto* header = new FilterHeader(&view);
    view.setHorizontalHeader(header);
    view.setModel(&model);
    header->generateFilters(2);
    view.resize(700, 300);
    view.show();
    header->resizeSection(0, 400);
    const int oneLine = header->viewport()->height();
    header->setWrappedTitles(true);
    auto titlesAndEditorsInPlace = [&] {
        EXPECT_EQ(header->editor(0)->geometry().top(), header->viewport()->geometry().bottom() + 1);
        EXPECT_EQ(view.viewport()->geometry().top(), header->geometry().bottom() + 1);
    };
    EXPECT_EQ(header->viewport()->height(), oneLine); // wide enough: one line
    header->resizeSection(0, header->fontMetrics().horizontalAdvance("Аббревиатура") + 20);
    EXPECT_GE(header->viewport()->height(), oneLine + header->fontMetrics().lineSpacing());
    titlesAndEditorsInPlace();
    header->resizeSection(0, 400);
    EXPECT_EQ(header->viewport()->height(), oneLine);
    model.setHeaderData(1, Qt::Horizontal, "Год\nплана");
    // A line break given in the title holds at any width, and a changed title is measured again.
    EXPECT_GE(header->viewport()->height(), oneLine + header->fontMetrics().lineSpacing());
    titlesAndEditorsInPlace();
}
