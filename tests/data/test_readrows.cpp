// Reading a statement front to back in batches (SqlConnection::readRows) and the pick-list built on it.
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr int kRows = 1300; // more than two batches

// Columns whose types are settled only late in the read: nulls for the whole first batch, integers
// that turn into a real in the third, dates that stop being dates, texts with tabs and Cyrillic.
class ReadRowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table T (N int, Price decimal(18,6), Moment datetime, Name varchar(80), "
                          "LateNull int, Mixed, DateThenText)",
                          "with recursive k(n) as (select 1 union all select n + 1 from k where n < 1300) "
                          "insert into T select n, n / 8.0, "
                          "case when n % 7 = 0 then null else printf('2025-%02d-%02d %s', n % 12 + 1, n % 28 + 1, "
                          "  case when n % 2 = 0 then '00:00:00' else '14:05:09' end) end, "
                          "case when n % 10 = 0 then 'Б-' || (n / 10) when n % 5 = 0 then 'б-' || (n / 10) "
                          "  else 'a' || char(9) || n end, "
                          "case when n > 700 then n end, "
                          "case when n = 1100 then 2.5 else n end, "
                          "case when n < 1200 then '2027-01-05' else 'x' || n end from k"});
        connection.setDatabaseFile(dir.file("Device.db"));
    }

    TempWorkDir dir;
    SqlConnection connection;
};

TEST_F(ReadRowsTest, BatchesReadEveryValueAsOneWholeReadDoes)
{
    const QString statement = QStringLiteral("select * from T where N >= :from order by N");
    const SqlParams params{{QStringLiteral("FROM"), 2}};
    const auto whole = connection.select(statement, {}, params);
    ASSERT_EQ(whole->rowCount(), kRows - 1);
    int row = 0;
    int batches = 0;
    connection.readRows(statement, params, [&](const ResultSet& batch) {
        ++batches;
        EXPECT_EQ(batch.columnCount(), whole->columnCount());
        for (int r = 0; r < batch.rowCount(); ++r, ++row)
            for (int c = 0; c < batch.columnCount(); ++c) {
                SCOPED_TRACE(batch.column(c).name.toStdString() + " row " + std::to_string(row));
                EXPECT_EQ(batch.isNull(r, c), whole->isNull(row, c));
                EXPECT_EQ(batch.value(r, c), whole->value(row, c));
                EXPECT_EQ(batch.date(r, c), whole->date(row, c));
                QByteArray mine, theirs;
                batch.appendDisplayText(r, c, QStringLiteral("0.00"), mine);
                whole->appendDisplayText(row, c, QStringLiteral("0.00"), theirs);
                EXPECT_EQ(mine, theirs);
            }
        return true;
    });
    EXPECT_EQ(row, kRows - 1);
    EXPECT_GE(batches, 3);
}

TEST_F(ReadRowsTest, StopsWhenToldAndReportsLikeEveryStatement)
{
    QSignalSpy monitor(&connection, &SqlConnection::willExecute);
    // Past row 1000 the statement fails (rows in the order they were stored): a reader that stops
    // early never gets there.
    const QString failingLate =
        QStringLiteral("select N, case when N > 1000 then abs(-9223372036854775807 - 1) else N end as V from T");
    int seen = 0;
    connection.readRows(failingLate, {}, [&](const ResultSet& batch) {
        seen += batch.rowCount();
        return seen < 500;
    });
    EXPECT_GE(seen, 500);
    EXPECT_LT(seen, 1000);
    ASSERT_EQ(monitor.size(), 1);
    EXPECT_TRUE(monitor[0][0].toStringList().value(0).contains("from T"));

    EXPECT_THROW(connection.readRows(failingLate, {}, [](const ResultSet&) { return true; }), DatabaseError);
    EXPECT_THROW(connection.readRows(QStringLiteral("select * from Missing"), {}, [](const ResultSet&) { return true; }),
                 DatabaseError);
    // A taker that throws ends the reading; the connection goes on.
    EXPECT_THROW(connection.readRows(QStringLiteral("select N from T"), {},
                                     [](const ResultSet&) -> bool { throw DatabaseError(QStringLiteral("stop")); }),
                 DatabaseError);
    EXPECT_EQ(connection.scalar(QStringLiteral("select count(*) from T")).toInt(), kRows);
}

// The pick-list read from a statement agrees with the one read from an open dataset, stops reading
// once it has its values, and reports a column that is not there.
TEST_F(ReadRowsTest, DistinctValuesFromAStatementMatchTheDatasetAndStopAtTheLimit)
{
    TDM dm;
    dm.ADOConnection()->setDatabaseFile(dir.file("Device.db"));
    Dataset ds(dm.ADOConnection());
    const QString statement = QStringLiteral("select Name, Price, Moment from T order by N desc");
    ds.setSql(statement);
    ds.open();
    const struct {
        const char* field;
        QStringList start;
        int clear;
        int limit;
    } cases[] = {
        {"name", {}, 1, 0}, {"NAME", {"б-130", "y"}, 0, 0}, {"Name", {"old"}, 1, 3},
        {"Price", {}, 1, 0}, {"Moment", {"x"}, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        QStringList fromDataset = c.start, fromStatement = c.start;
        dm.FillDistinctValues(ds, QString::fromLatin1(c.field), fromDataset, c.clear, c.limit);
        dm.FillDistinctValues(statement, QString::fromLatin1(c.field), fromStatement, c.clear, c.limit);
        EXPECT_EQ(fromStatement, fromDataset);
        EXPECT_FALSE(fromStatement.isEmpty());
    }
    QStringList names;
    dm.FillDistinctValues(statement, QStringLiteral("Name"), names, 1, 0);
    EXPECT_EQ(names.size(), 1040 + 131); // each "Б-n" follows an "б-n" but 130
    EXPECT_TRUE(names.contains("б-129"));
    EXPECT_FALSE(names.contains("Б-129")) << "the first spelling is kept";

    QStringList few;
    dm.FillDistinctValues(QStringLiteral("select N, case when N > 1000 then abs(-9223372036854775807 - 1) end as V "
                                         "from T"),
                          QStringLiteral("N"), few, 1, 20);
    EXPECT_EQ(few.size(), 20);
    EXPECT_EQ(few.first(), "1");
    EXPECT_THROW(dm.FillDistinctValues(statement, QStringLiteral("NoSuch"), few, 1, 0), DatabaseError);
}

} // namespace
