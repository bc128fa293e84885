// The value formatter: what it writes must read back unchanged from a real SQLite database, dates in
// one fixed form that compares like dates, numbers with "." whatever the locale.
#include "data/SqlValue.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <sqlite3.h>
#include <vector>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// An in-memory database with one row per test to write into and read back from.
class MemoryDb {
public:
    MemoryDb()
    {
        sqlite3_open(":memory:", &m_db);
        exec("create table V (t varchar(80), d datetime, n decimal(18,6))");
    }
    ~MemoryDb() { sqlite3_close(m_db); }

    void exec(const QString& sql)
    {
        char* error = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        ASSERT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << sql.toStdString();
    }
    // First column of the first row, as text (null as an empty QString with isNull()).
    QString text(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        QString result;
        if (stmt && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    }
    double real(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        double result = std::nan("");
        if (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            result = sqlite3_column_double(stmt, 0);
        sqlite3_finalize(stmt);
        return result;
    }

private:
    sqlite3* m_db = nullptr;
};

// Sets the default locale to one with a decimal comma for the test's duration.
class CommaLocale {
public:
    CommaLocale() : m_previous(QLocale()) { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    ~CommaLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

TEST(SqlValue, TextLiteralsReadBackAsTyped)
{
    MemoryDb db;
    const std::vector<QString> texts{s("O'Neil; --"), s("Манометр «МП-100» № 5"), s("''"), s("a'b'c'"),
                                     s(""),           s("'); drop table V; --")};
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        db.exec(s("delete from V"));
        db.exec(s("insert into V (t) values (") + SqlValue::literal(text) + s(")"));
        EXPECT_EQ(db.text(s("select t from V")), text);
        EXPECT_EQ(db.text(s("select count(*) from V")), s("1"));
    }
    EXPECT_EQ(SqlValue::quoted(s("O'Neil")), s("'O''Neil'"));
}

TEST(SqlValue, DatesHaveOneFixedForm)
{
    EXPECT_EQ(SqlValue::dateText(QDate(2025, 1, 31)), s("2025-01-31 00:00:00"));
    EXPECT_EQ(SqlValue::dateTimeText(QDateTime(QDate(2025, 1, 31), QTime(14, 5))), s("2025-01-31 14:05:00"));
    EXPECT_EQ(SqlValue::dateTimeText(QDateTime(QDate(2025, 1, 31), QTime(14, 5, 7, 999))), s("2025-01-31 14:05:07"))
        << "fractions are dropped, not rounded into the next second";
    // A pure date and a moment at midnight are the same text, so they compare equal in SQL.
    EXPECT_EQ(SqlValue::dateText(QDate(2025, 3, 10)),
              SqlValue::dateTimeText(QDateTime(QDate(2025, 3, 10), QTime(0, 0))));
    EXPECT_EQ(SqlValue::literal(QDate(2004, 3, 5)), s("'2004-03-05 00:00:00'"));
    EXPECT_EQ(SqlValue::literal(QDateTime(QDate(2004, 3, 5), QTime(9, 0))), s("'2004-03-05 09:00:00'"));
    EXPECT_EQ(SqlValue::literal(QDate()), s("NULL"));
    EXPECT_EQ(SqlValue::literal(QDateTime()), s("NULL"));
    EXPECT_TRUE(SqlValue::dateText(QDate()).isEmpty());
}

TEST(SqlValue, BoundDatesMatchLiteralsAndSortByDate)
{
    MemoryDb db;
    const std::vector<QVariant> moments{QDate(2024, 12, 31), QDateTime(QDate(2025, 1, 1), QTime(0, 0)),
                                        QDateTime(QDate(2025, 1, 1), QTime(9, 30)), QDate(2025, 1, 2)};
    for (const QVariant& moment : moments)
        db.exec(s("insert into V (d) values (") + SqlValue::quoted(SqlValue::toStorage(moment).toString()) + s(")"));
    EXPECT_EQ(db.text(s("select group_concat(d, '|') from (select d from V order by d)")),
              s("2024-12-31 00:00:00|2025-01-01 00:00:00|2025-01-01 09:30:00|2025-01-02 00:00:00"));
    // The filter for a day written as a literal finds the midnight row of that day.
    EXPECT_EQ(db.text(s("select count(*) from V where d = ") + SqlValue::literal(QDate(2025, 1, 1))), s("1"));
    EXPECT_EQ(db.text(s("select count(*) from V where d >= ") + SqlValue::literal(QDate(2025, 1, 1)) + s(" and d < ") +
                      SqlValue::literal(QDate(2025, 1, 2))),
              s("2"));
    // SQLite's own date functions read the form.
    EXPECT_EQ(db.text(s("select strftime('%Y-%m', max(d)) from V")), s("2025-01"));
}

TEST(SqlValue, ToStorageConvertsOnlyDates)
{
    EXPECT_EQ(SqlValue::toStorage(QDate(2025, 1, 31)), QVariant(s("2025-01-31 00:00:00")));
    EXPECT_EQ(SqlValue::toStorage(QDateTime(QDate(2025, 1, 31), QTime(23, 59, 59))),
              QVariant(s("2025-01-31 23:59:59")));
    EXPECT_TRUE(SqlValue::toStorage(QVariant()).isNull());
    EXPECT_TRUE(SqlValue::toStorage(QDate()).isNull());
    EXPECT_EQ(SqlValue::toStorage(42).typeId(), QMetaType::Int);
    EXPECT_EQ(SqlValue::toStorage(s("O'Neil")), QVariant(s("O'Neil")));
}

TEST(SqlValue, ParsesTheFormsSqliteAndQtWrite)
{
    struct Case {
        const char* text;
        QDateTime expected;
    };
    const QDate day(2025, 1, 31);
    const std::vector<Case> cases{
        {"2025-01-31 14:05:00", QDateTime(day, QTime(14, 5))},
        {"2025-01-31", QDateTime(day, QTime(0, 0))},
        {"2025-01-31T14:05:00.000", QDateTime(day, QTime(14, 5))},
        {"2025-01-31T14:05:00.250", QDateTime(day, QTime(14, 5, 0, 250))},
        {"2025-01-31 14:05", QDateTime(day, QTime(14, 5))},
        {" 2025-01-31 00:00:00 ", QDateTime(day, QTime(0, 0))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SqlValue::parseDateTime(s(c.text)), c.expected);
    }
    for (const char* bad : {"", "31.01.2025", "2025-02-30", "2025-01-31X", "2025-01-31 25:00:00", "abcd-ef-gh",
                            "2025-1-31", "2025-01-31 14"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(SqlValue::parseDateTime(s(bad)).isValid());
    }
    // What the formatter writes, the parser reads back.
    const QDateTime moment(QDate(1999, 12, 31), QTime(23, 59, 58));
    EXPECT_EQ(SqlValue::parseDateTime(SqlValue::dateTimeText(moment)), moment);
}

TEST(SqlValue, NumbersUseAPointInACommaLocale)
{
    CommaLocale russian;
    ASSERT_EQ(QLocale().decimalPoint(), s(",")) << "the test needs a locale with a decimal comma";
    struct Case {
        double value;
        const char* text;
    };
    const std::vector<Case> cases{{2.15, "2.15"},        {3, "3"},
                                  {-0.5, "-0.5"},        {0.1 + 0.2, "0.30000000000000004"},
                                  {1e-7, "0.0000001"},   {1e20, "100000000000000000000"},
                                  {-0.0, "0"},           {1758.8, "1758.8"},
                                  {1.127659, "1.127659"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SqlValue::number(c.value), s(c.text));
        EXPECT_EQ(SqlValue::literal(c.value), s(c.text));
    }
    EXPECT_EQ(SqlValue::literal(QVariant(2.5f)), s("2.5"));
    EXPECT_EQ(SqlValue::number(std::numeric_limits<double>::quiet_NaN()), s("NULL"));
    EXPECT_EQ(SqlValue::number(std::numeric_limits<double>::infinity()), s("NULL"));
}

TEST(SqlValue, NumbersReadBackAsTheSameDouble)
{
    CommaLocale russian;
    MemoryDb db;
    for (double value : {2.15, 123456789012.12346, 0.1 + 0.2, -1e-5, 1.256, 1e15 + 0.5}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(SqlValue::number(value).toDouble(), value);
        EXPECT_EQ(db.real(s("select ") + SqlValue::number(value)), value);
    }
}

TEST(SqlValue, OtherLiterals)
{
    EXPECT_EQ(SqlValue::literal(QVariant()), s("NULL"));
    EXPECT_EQ(SqlValue::literal(QVariant(QMetaType(QMetaType::Int))), s("NULL"));
    EXPECT_EQ(SqlValue::literal(42), s("42"));
    EXPECT_EQ(SqlValue::literal(qint64(-9000000000)), s("-9000000000"));
    EXPECT_EQ(SqlValue::literal(true), s("1"));
    EXPECT_EQ(SqlValue::literal(s("")), s("''")) << "an empty text stays an empty text";
    EXPECT_EQ(SqlValue::literal(QByteArray("\x01\xff", 2)), s("X'01ff'"));
}

TEST(SqlValue, SplitIntervalRoundsBeforeTakingTheFractionApart)
{
    struct Case {
        double rtMon;
        int months;
        int days;
    };
    const std::vector<Case> cases{
        {2.15, 2, 15}, {2.149999999999999, 2, 15}, {1.256, 1, 25},    {1.5, 1, 50},    {0.1, 0, 10}, {12, 12, 0},
        {0, 0, 0},     {3.999999, 3, 99},          {1.0099999, 1, 1}, {-1.5, -1, -50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtMon);
        const SqlValue::MonthsDays split = SqlValue::splitInterval(c.rtMon);
        EXPECT_EQ(split.months, c.months);
        EXPECT_EQ(split.days, c.days);
    }
}

TEST(SqlValue, SplitIntervalOfADecimalReadFromSqlite)
{
    MemoryDb db;
    db.exec(s("insert into V (n) values (2.15)"));
    const double stored = db.real(s("select n from V"));
    ASSERT_EQ(db.text(s("select CAST((n - 2) * 100 AS INTEGER) from V")), s("14"))
        << "the engine really does hand back 2.1499999...";
    const SqlValue::MonthsDays split = SqlValue::splitInterval(stored);
    EXPECT_EQ(split.months, 2);
    EXPECT_EQ(split.days, 15);
}

} // namespace
