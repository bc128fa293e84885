#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/ResultSet.h"
#include "support/EngineDatabase.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TestDatabase.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Two types, five devices (one without type, one with an empty inventory number), next dates; on
// each engine.
class DatasetTest : public OnBothEngines {
protected:
    void SetUp() override
    {
        OnBothEngines::SetUp();
        if (setUpStopped())
            return;
        database = makeDatabase(EngineDatabase::Content::Bare, dir.path());
        ASSERT_TRUE(database->ok());
        database->connect(connection);
        for (const char* statement :
             {"create table DevType (ID_DevType int IDENTITY PRIMARY KEY, Name_DevType varchar(50))",
              "create table Device (ID_Device int IDENTITY PRIMARY KEY, IDevType int, "
              "ANumber varchar(80), ZNumber varchar(80), SetDate datetime, Price decimal(18,6))",
              "insert into DevType (Name_DevType) values ('Манометр')",
              "insert into DevType (Name_DevType) values ('Термометр')",
              "insert into Device (IDevType, ANumber, ZNumber, SetDate, Price) values "
              "(1, 'A-1', 'z1', '2024-03-05 00:00:00', 2.15),"
              "(1, 'a-2', 'z2', '2024-03-06 00:00:00', 10),"
              "(2, 'Б-3', NULL, NULL, NULL),"
              "(NULL, '', 'z4', '2024-03-05 00:00:00', 0.5),"
              "(2, 'б-5', 'z5', '2025-01-31 14:05:00', 7)"})
            connection.execute(QString::fromUtf8(statement));
    }

    QStringList column(Dataset& ds, const QString& field)
    {
        QStringList values;
        for (int row = 0; row < ds.recordCount(); ++row)
            values.append(ds.displayText(row, ds.fieldIndex(field)));
        return values;
    }

    TempWorkDir dir;
    std::unique_ptr<EngineDatabase> database;
    SqlConnection connection;
};

TEST_P(DatasetTest, OpensFetchesTypedValuesAndNavigates)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device;");
    ds.open();
    ASSERT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.value("anumber").toString(), "A-1"); // names ignore letter case
    EXPECT_EQ(ds.value("SetDate").toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(ds.value("Price").toDouble(), 2.15);
    EXPECT_EQ(ds.displayText(0, ds.fieldIndex("Price")), "2,15");
    EXPECT_EQ(ds.displayText(4, ds.fieldIndex("SetDate")), "31.01.2025 14:05:00");
    ds.last();
    EXPECT_EQ(ds.recNo(), 5);
    ds.next();
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.recNo(), 5);
    ds.moveBy(-2);
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_TRUE(ds.value("ZNumber").isNull());
    ds.first();
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recNo(), 1);
}

TEST_P(DatasetTest, DetailFollowsMasterThroughCaseInsensitiveParameter)
{
    Dataset master(&connection), detail(&connection);
    master.setSql("select * from DevType order by ID_DevType");
    detail.setSql("select * from Device where IDevType = :id_devtype order by ID_Device");
    detail.setMaster(&master);
    master.open();
    detail.open();
    EXPECT_EQ(column(detail, "ANumber"), QStringList({"A-1", "a-2"}));
    master.next();
    EXPECT_EQ(column(detail, "ANumber"), QStringList({"Б-3", "б-5"}));
}

TEST_P(DatasetTest, MonitorLinesListDatasetParametersInOrder)
{
    Dataset master(&connection), detail(&connection);
    master.setSql("select 1 as A, NULL as B, '' as C");
    master.open();
    detail.setSql("select * from Device where IDevType = :A or ANumber = :B or ZNumber = :C");
    detail.setMaster(&master);
    QSignalSpy spy(&connection, &SqlConnection::willExecute);
    detail.open();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toStringList(),
              QStringList({"select * from Device where IDevType = :A or ANumber = :B or ZNumber = :C", "P[0] A = 1",
                           "P[1] B = Null", "P[2] C = "}));
    spy.clear();
    connection.execute("update Device set ANumber = :N where ID_Device = :K", {{"N", QVariant()}, {"K", 1}});
    EXPECT_EQ(spy[0][0].toStringList(),
              QStringList({"update Device set ANumber = :N where ID_Device = :K", "N = Null", "K = 1"}));
}

TEST_P(DatasetTest, InsertEditDeleteWriteThroughTheKey)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device");
    ds.open();
    ds.append();
    EXPECT_EQ(ds.state(), Dataset::State::Insert);
    ds.setValue("ANumber", "O'Neil; --");
    ds.setValue("SetDate", QDate(2025, 1, 31));
    ds.post();
    const qint64 id = ds.value("ID_Device").toLongLong();
    EXPECT_EQ(id, 6);
    EXPECT_EQ(connection.scalar("select ANumber from Device where ID_Device = 6").toString(), "O'Neil; --");
    EXPECT_EQ(connection.scalar("select SetDate = '2025-01-31 00:00:00' from Device where ID_Device = 6").toInt(), 1);

    ds.first();
    ds.setValue("ZNumber", "изменён"); // editing starts by itself
    EXPECT_EQ(ds.state(), Dataset::State::Edit);
    ds.post();
    EXPECT_EQ(connection.scalar("select ZNumber from Device where ID_Device = 1").toString(), "изменён");

    ds.edit();
    ds.setValue("ZNumber", "отменено");
    ds.cancel();
    EXPECT_EQ(ds.value("ZNumber").toString(), "изменён");

    ds.setRecNo(2);
    ds.deleteRecord();
    EXPECT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(connection.scalar("select count(*) from Device where ID_Device = 2").toInt(), 0);
}

TEST_P(DatasetTest, MovingEndsAPendingEditAndDropsAnUntouchedNewRow)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    ds.setValue("ZNumber", "z1-изм");
    ds.first(); // already on the first row: the edit is posted all the same
    EXPECT_EQ(ds.state(), Dataset::State::Browse);
    EXPECT_EQ(connection.scalar("select ZNumber from Device where ID_Device = 1").toString(), "z1-изм");
    ds.append();
    ds.first();
    EXPECT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(connection.scalar("select count(*) from Device").toInt(), 5);
    ds.append();
    ds.setValue("ANumber", "новый");
    ds.first();
    EXPECT_EQ(connection.scalar("select count(*) from Device").toInt(), 6);
}

TEST_P(DatasetTest, DeletedAndAbandonedRowsStayGoneThroughSortAndFilter)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    ds.setRecNo(2);
    ds.deleteRecord();
    ds.append();
    ds.cancel();
    ds.insert();
    ds.setValue("ANumber", "брошен");
    ds.cancel();
    ds.setSort("ANumber DESC");
    EXPECT_EQ(column(ds, "ANumber"), QStringList({"б-5", "Б-3", "A-1", ""}));
    ds.setFiltered(true);
    ds.setFilter("IDevType = 1");
    EXPECT_EQ(column(ds, "ANumber"), QStringList({"A-1"}));
}

TEST_P(DatasetTest, WritingARowDeletedElsewhereIsReportedNotLost)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    connection.execute("delete from Device where ID_Device = 1");
    ds.setValue("ANumber", "правка");
    EXPECT_THROW(ds.post(), DatabaseError);
    EXPECT_EQ(ds.state(), Dataset::State::Edit); // the edit is still there to save elsewhere or cancel
    ds.cancel();
    EXPECT_THROW(ds.deleteRecord(), DatabaseError);
    EXPECT_EQ(ds.recordCount(), 5);
}

TEST_P(DatasetTest, DetailFollowsAMasterInsertAndItsPost)
{
    Dataset master(&connection), detail(&connection);
    master.setSql("select * from DevType order by ID_DevType");
    detail.setSql("select * from Device where IDevType = :ID_DevType order by ID_Device");
    detail.setMaster(&master);
    master.open();
    detail.open();
    ASSERT_EQ(detail.recordCount(), 2);
    master.append();
    EXPECT_EQ(detail.recordCount(), 0); // the new type has no key yet
    master.setValue("Name_DevType", "Расходомер");
    connection.execute("insert into Device (IDevType, ANumber) values (3, 'Р-1')"); // the key the type will get
    master.post();
    EXPECT_EQ(master.value("ID_DevType").toInt(), 3);
    EXPECT_EQ(column(detail, "ANumber"), QStringList({"Р-1"})); // re-read once the master has its key
}

TEST_P(DatasetTest, DetailEditIsStoredBeforeItsMasterMovesRereadsOrCloses)
{
    Dataset types(&connection);
    types.setSql("select * from DevType order by ID_DevType;");
    Dataset devices(&connection);
    devices.setSql("select * from Device where IDevType = :ID_DevType order by ID_Device;");
    devices.setMaster(&types);
    // What a window's handler reads from the master at the moment the detail is stored.
    QVariantList masterAtPost;
    devices.beforePost.connect([&](Dataset&) { masterAtPost.append(types.value("ID_DevType")); });
    types.open();
    devices.open();

    devices.edit();
    devices.setValue("ZNumber", "moved");
    types.next();
    EXPECT_EQ(connection.scalar("select ZNumber from Device where ID_Device = 1;").toString(), "moved");
    devices.append();
    devices.setValue("ANumber", "new of type 2");
    types.requery();
    devices.edit();
    devices.setValue("ZNumber", "closed");
    types.close();
    EXPECT_EQ(masterAtPost, QVariantList({1, 2, 1}));
    EXPECT_EQ(connection.scalar("select ZNumber from Device where ID_Device = 1;").toString(), "closed");
    EXPECT_EQ(connection.scalar("select count(*) from Device where ANumber = 'new of type 2';").toInt(), 1);
}

TEST_P(DatasetTest, OpenAnnouncesItsRowsOnceActive)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device;");
    QList<bool> activeWhenHeard;
    QObject::connect(&ds, &Dataset::fieldsChanged, [&] { activeWhenHeard.append(ds.isActive()); });
    QObject::connect(&ds, &Dataset::rowsReplaced, [&] { activeWhenHeard.append(ds.isActive()); });
    ds.open();
    ds.close();
    ds.open();
    EXPECT_EQ(activeWhenHeard, QList<bool>({true, false, true}));
}

TEST_P(DatasetTest, BeforeHandlersAbandonSilently)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device");
    ds.open();
    ds.beforeDelete.connect([](Dataset&) { abortOperation(); });
    ds.beforePost.connect([](Dataset& d) {
        if (d.value("ANumber").toString().isEmpty())
            abortOperation();
    });
    EXPECT_THROW(ds.deleteRecord(), AbortOperation);
    EXPECT_EQ(connection.scalar("select count(*) from Device").toInt(), 5);
    ds.setValue("ANumber", QString());
    EXPECT_THROW(ds.post(), AbortOperation);
    EXPECT_EQ(ds.state(), Dataset::State::Edit);
    EXPECT_EQ(connection.scalar("select ANumber from Device where ID_Device = 1").toString(), "A-1");
    ds.cancel();
    EXPECT_EQ(ds.value("ANumber").toString(), "A-1");
}

TEST_P(DatasetTest, RequiredFieldRefusedWithItsLabel)
{
    Dataset ds(&connection);
    ds.setSql("select * from DevType");
    ds.open();
    ds.fieldByName("Name_DevType").setRequired(true);
    ds.fieldByName("Name_DevType").setLabel("Тип");
    ds.append();
    try {
        ds.post();
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("Тип"));
    }
    ds.cancel();
    EXPECT_EQ(ds.recordCount(), 2);
}

TEST(FieldLength, DeclaredSizeOfTextColumns)
{
    const struct {
        const char* declared;
        int chars;
    } cases[] = {{"varchar(50)", 50}, {"VARCHAR( 80 )", 80}, {"text(128)", 128}, {"char(5)", 5},
                 {"nvarchar(10)", 10}, {"text", 0},         {"varchar", 0},     {"decimal(18,6)", 0},
                 {"integer", 0},       {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Field::declaredLength(c.declared), c.chars) << c.declared;
    EXPECT_EQ(Field::characterCount("Манометр"), 8);
    EXPECT_EQ(Field::characterCount(QString::fromUcs4(U"a\U0001D11Eb")), 3);
}

// Halfway cases round away from zero, a negative value too small to show keeps its sign, a
// negative zero does not; dates show their time unless it is midnight.
TEST(FieldText, NumbersAndMomentsAsTheUserReadsThem)
{
    const struct {
        QVariant value;
        const char* format;
        const char* text;
    } cases[] = {
        {2.15, "", "2,15"},          {2.5, "0", "3"},          {-2.5, "0", "-3"},
        {0.125, "0.00", "0,13"},     {0.125, "0.##", "0,13"},  {84.625, "0.00", "84,63"},
        {10.0, "0.00", "10,00"},     {10.5, "0.##", "10,5"},   {-1e-9, "", "-0"},
        {-0.0, "", "0"},             {1e20, "", "100000000000000000000"},
        {9.9999995, "0.##", "10"},   {1234567.0625, "", "1234567,0625"},
        {qlonglong(7), "", "7"},     {qlonglong(7), "0.00", "7,00"},
        {QDateTime(QDate(2024, 3, 5), QTime(0, 0)), "", "05.03.2024"},
        {QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)), "", "05.03.2024 14:05:09"},
        {QDate(999, 1, 2), "", "02.01.0999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Field::formatValue(c.value, c.format), QString::fromUtf8(c.text))
            << c.value.toString().toStdString() << " " << c.format;
    }
}

// SQLite would store any length and a server refuses with its own words; the dataset keeps texts
// within the declared size, counted in characters (50 Cyrillic letters are 100 bytes and fit a
// varchar(50)).
TEST_P(DatasetTest, TextLongerThanItsColumnIsRefusedBeforeTheRowChanges)
{
    Dataset ds(&connection);
    ds.setSql("select * from DevType");
    ds.open();
    Field& name = ds.fieldByName("Name_DevType");
    EXPECT_EQ(name.maxLength(), 50);
    EXPECT_EQ(ds.fieldByName("ID_DevType").maxLength(), 0);
    name.setLabel("Тип");
    ds.edit();
    try {
        ds.setValue("Name_DevType", QString(51, QChar(u'ж')));
        FAIL() << "a text of 51 characters was taken";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("Тип")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("51")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("50")) << e.message().toStdString();
    }
    EXPECT_EQ(ds.value("Name_DevType").toString(), "Манометр");
    ds.setValue("Name_DevType", QString(50, QChar(u'ж')));
    ds.post();
    EXPECT_EQ(connection.scalar("select Name_DevType from DevType where ID_DevType = 1").toString(),
              QString(50, QChar(u'ж')));
}

TEST_P(DatasetTest, ClientFilterTerms)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    struct Case {
        QString filter;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"ANumber = 'a-1'", {"A-1"}},                      // text compares without case
        {"ANumber = 'Б-3'", {"Б-3"}},
        {"ANumber = 'б-3'", {"Б-3"}},                      // Cyrillic too
        {"IDevType = NULL", {""}},
        {"ANumber = ''", {""}},
        {"ZNumber = NULL and IDevType = 2", {"Б-3"}},
        {"IDevType = 1 and SetDate = '2024-03-05 00:00:00'", {"A-1"}},
        {"[SetDate] = '05.03.2024'", {"A-1", ""}},
        {"ANumber = 'нет'", {}},
    };
    ds.setFiltered(true);
    for (const Case& c : cases) {
        ds.setFilter(c.filter);
        EXPECT_EQ(column(ds, "ANumber"), c.expected) << c.filter.toStdString();
    }
    ds.setFiltered(false);
    EXPECT_EQ(ds.recordCount(), 5);
    ds.setFiltered(true);
    EXPECT_THROW(ds.setFilter("Nope = 1"), DatabaseError);
}

TEST_P(DatasetTest, SortByListWithNullsFirst)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    ds.setSort("IDevType DESC, ANumber");
    EXPECT_EQ(column(ds, "ANumber"), QStringList({"Б-3", "б-5", "A-1", "a-2", ""}));
    ds.setSort("ZNumber");
    EXPECT_EQ(column(ds, "ZNumber").first(), "");
    EXPECT_TRUE(ds.value("ZNumber").isNull());
    ds.setSort("SetDate DESC");
    EXPECT_EQ(column(ds, "ANumber").first(), "б-5");
    ds.setSort("[ANumber]");
    EXPECT_EQ(column(ds, "ANumber"), QStringList({"", "A-1", "a-2", "Б-3", "б-5"}));
}

TEST_P(DatasetTest, LocateAndRequeryKeepRow)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    ds.open();
    EXPECT_TRUE(ds.locate("ANumber", "б-5", Dataset::CaseInsensitive));
    EXPECT_EQ(ds.recNo(), 5);
    EXPECT_TRUE(ds.locate("ANumber", "a-", Dataset::CaseInsensitive | Dataset::PartialKey));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_FALSE(ds.locate("ANumber", "zz"));
    EXPECT_EQ(ds.recNo(), 1);

    ds.setRecNo(4);
    connection.execute("insert into Device (ANumber) values ('новый')"); // someone else adds a row
    ds.requeryKeepRow();
    EXPECT_EQ(ds.recordCount(), 6);
    EXPECT_EQ(ds.recNo(), 4);
    ds.last();
    connection.execute("delete from Device where ID_Device > 3");
    ds.requeryKeepRow();
    EXPECT_EQ(ds.recNo(), 3); // fewer rows remain: the last one
}

TEST_P(DatasetTest, LookupAndCalculatedFields)
{
    Dataset types(&connection), ds(&connection);
    types.setSql("select * from DevType");
    types.open();
    ds.setSql("select * from Device order by ID_Device");
    ds.addLookupField("TypeName", {&types, "IDevType", "ID_DevType", "Name_DevType"});
    ds.addCalculatedField("RecN", [](const Dataset&, int row) { return row + 1; });
    ds.open();
    EXPECT_EQ(column(ds, "TypeName"), QStringList({"Манометр", "Манометр", "Термометр", "", "Термометр"}));
    EXPECT_EQ(column(ds, "RecN"), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_THROW(ds.setValue("TypeName", "x"), DatabaseError);
}

TEST_P(DatasetTest, ModelFollowsTheDataset)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device");
    DatasetModel model(&ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ds.open();
    EXPECT_EQ(model.rowCount(), 5);
    ds.fieldByName("ANumber").setLabel("Инвентарный номер");
    EXPECT_EQ(model.headerData(ds.fieldIndex("ANumber"), Qt::Horizontal).toString(), "Инвентарный номер");
    EXPECT_EQ(model.data(model.index(0, ds.fieldIndex("Price"))).toString(), "2,15");
    ds.append();
    EXPECT_EQ(model.rowCount(), 6);
    ds.cancel();
    EXPECT_EQ(model.rowCount(), 5);
    ds.setFiltered(true);
    ds.setFilter("IDevType = 1");
    EXPECT_EQ(model.rowCount(), 2);
    ds.setSort("ANumber DESC");
    EXPECT_EQ(model.data(model.index(0, ds.fieldIndex("ANumber"))).toString(), "a-2");
    ds.setFiltered(false);
    ds.close();
    EXPECT_EQ(model.rowCount(), 0);
    ds.setSql("select ANumber from Device");
    ds.open();
    EXPECT_EQ(model.columnCount(), 1);
}

TEST_P(DatasetTest, FillDistinctValuesKeepsRowAndHonoursClearAndLimit)
{
    TDM dm;
    Dataset ds(&connection);
    ds.setSql("select anumber from device order by anumber");
    ds.open();
    ds.setRecNo(3);
    QStringList list{"A-1", "x"};
    dm.FillDistinctValues(ds, "ANumber", list, 0, 0);
    EXPECT_EQ(list, QStringList({"A-1", "x", "", "a-2", "Б-3", "б-5"}));
    EXPECT_EQ(ds.recNo(), 3);
    dm.FillDistinctValues(ds, "ANumber", list, 1, 3);
    EXPECT_EQ(list, QStringList({"", "A-1", "a-2"}));
}

// Columns without a declared type (Year(...), Month(...) of a view) are stored by the type of their
// first value in a file; each column below reads, row by row, exactly what the engine returned.
TEST(DatasetInAFile, ColumnsWithoutDeclaredTypeKeepEveryValueAsTheEngineGaveIt)
{
    TempWorkDir dir;
    SqlConnection connection;
    connection.setDatabaseFile(TestDatabase::createBlankDatabase(dir.path()));
    const auto rows = connection.select(
        "select column1 as [Year], column2 as LateNull, column3 as IntThenReal, column4 as RealThenInt, "
        "column5 as TextThenInt, column6 as DateThenText, column7 as Texts, column8 as SpacedDate from (values "
        "(2027, NULL, 1, 2.5, 'abc', '2027-01-05', 'Иванов', 'abc'),"
        "(NULL, NULL, 2.5, 3, 5, '2027-01-05 10:30:00', '', ' 2027-01-05'),"
        "(2026, 5, NULL, NULL, '2027-01-05', 'x', '2027-02-30', '2027-01-05 10:30:00.250'));");
    const QDateTime jan5(QDate(2027, 1, 5), QTime(0, 0));
    const QDateTime jan5At(QDate(2027, 1, 5), QTime(10, 30));
    const QVariant null;
    const std::vector<std::vector<QVariant>> expected{
        {qint64(2027), null, qint64(2026)},
        {null, null, qint64(5)},
        {qint64(1), 2.5, null},
        {2.5, qint64(3), null},
        {QString("abc"), qint64(5), jan5},
        {jan5, jan5At, QString("x")},
        {QString("Иванов"), QString(""), QString("2027-02-30")},
        {QString("abc"), jan5, QDateTime(QDate(2027, 1, 5), QTime(10, 30, 0, 250))},
    };
    ASSERT_EQ(rows->rowCount(), 3);
    ASSERT_EQ(rows->columnCount(), int(expected.size()));
    for (int c = 0; c < rows->columnCount(); ++c)
        for (int r = 0; r < 3; ++r) {
            const QVariant got = rows->value(r, c);
            const QVariant& want = expected[size_t(c)][size_t(r)];
            SCOPED_TRACE(rows->column(c).name.toStdString() + " row " + std::to_string(r));
            EXPECT_EQ(got.isNull(), want.isNull());
            EXPECT_EQ(rows->isNull(r, c), want.isNull());
            if (!want.isNull()) {
                EXPECT_EQ(got.typeId(), want.typeId());
                EXPECT_EQ(got, want);
            }
        }
    // One type throughout: the column is typed, so filters, sorts and exports treat it as such.
    EXPECT_EQ(rows->column(0).type, ResultSet::ColumnType::Integer);
    EXPECT_EQ(rows->column(1).type, ResultSet::ColumnType::Integer);
    EXPECT_EQ(rows->column(6).type, ResultSet::ColumnType::Text);
}

class ConnectionTest : public ::testing::Test {
protected:
    TempWorkDir dir;
};

TEST_F(ConnectionTest, MissingFileIsNeitherCreatedNorOpened)
{
    SqlConnection connection;
    QFile old(dir.file("Device.mdb"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    try {
        connection.execute("select 1");
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("Device.db"));
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(QDir(dir.path()).absolutePath())));
        EXPECT_TRUE(e.message().contains("instrel-initdb"));
        EXPECT_TRUE(e.message().contains("Device.mdb"));
        EXPECT_FALSE(e.message().contains("Переместите")) << "nothing is in the way of a new file";
    }
    EXPECT_FALSE(QFile::exists(dir.file("Device.db")));
}

TEST_F(ConnectionTest, FileThatIsNotADatabaseIsLeftUntouched)
{
    const QByteArray garbage("this is a text file, not a database\n");
    for (const QByteArray& content : {QByteArray(), garbage}) {
        QFile file(dir.file("Device.db"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        SqlConnection connection;
        try {
            connection.execute("select 1");
            ADD_FAILURE() << "a file that is not a database was opened";
        } catch (const DatabaseError& e) {
            // The tool that creates a database never overwrites a file: the advice starts with moving it.
            EXPECT_TRUE(e.message().contains("Переместите файл «Device.db»")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("instrel-initdb --demo Device.db"));
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), content);
        file.close();
    }
}

TEST_F(ConnectionTest, EngineErrorsCarryTheEngineText)
{
    createSqliteFile(dir.file("Device.db"), {"create table T (ID_T INTEGER PRIMARY KEY)"});
    SqlConnection connection;
    try {
        connection.select("select Nope from T");
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("no such column: Nope"));
    }
}

} // namespace

TEST_P(DatasetTest, OldValueIsTheValueBeforeEditingBegan)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device;");
    ds.open();
    EXPECT_EQ(ds.oldValue("ANumber").toString(), "A-1"); // browsing: the value itself
    ds.setValue("ANumber", "A-9");
    ds.setValue("ANumber", "A-10");
    EXPECT_EQ(ds.oldValue("anumber").toString(), "A-1");
    ds.post();
    EXPECT_EQ(ds.oldValue("ANumber").toString(), "A-10");
    ds.append();
    ds.setValue("ANumber", "new");
    EXPECT_TRUE(ds.oldValue("ANumber").isNull()); // a new row had nothing before
    ds.cancel();
}

TEST_P(DatasetTest, AtomicWritesKeepWhatHandlersWroteOnlyWithTheRow)
{
    Dataset ds(&connection);
    ds.setSql("select * from Device order by ID_Device;");
    ds.setAtomicWrites(true);
    ds.beforePost.connect([this](Dataset&) { connection.execute("insert into DevType (Name_DevType) values ('log')"); });
    ds.afterDelete.connect([this](Dataset&) {
        connection.execute("insert into DevType (Name_DevType) values ('log')");
        connection.execute("select * from NoSuchTable"); // the clean-up after the delete fails
    });
    ds.open();
    EngineCatalogue::refuseUpdates(connection, "Device");
    ds.setValue("ANumber", "A-9");
    EXPECT_THROW(ds.post(), DatabaseError);
    EXPECT_TRUE(ds.isEditing());
    ds.cancel();

    ds.setRecNo(3);
    EXPECT_THROW(ds.deleteRecord(), DatabaseError);
    EXPECT_EQ(connection.scalar("select count(*) from DevType where Name_DevType = 'log'").toInt(), 0);
    EXPECT_EQ(connection.scalar("select count(*) from Device").toInt(), 5);
    EXPECT_EQ(ds.recordCount(), 5); // the row is back, and current again
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_EQ(ds.value("ANumber").toString(), "Б-3");
}

INSTREL_ON_BOTH_ENGINES(DatasetTest);
