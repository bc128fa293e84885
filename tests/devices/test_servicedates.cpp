#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "devices/rules/ServiceDates.h"
#include "support/QtPrinters.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using ServiceDates::CountNextDate;
using ServiceDates::Refusal;

namespace {
QDateTime at(int y, int m, int d, int h = 0, int min = 0) { return QDateTime(QDate(y, m, d), QTime(h, min)); }
} // namespace

TEST(CountNextDate, MonthsFirstThenTheDaysOfTheFirstTwoDecimals)
{
    struct Case {
        QDateTime last;
        double rtMon;
        QDateTime next;
    };
    const Case cases[] = {
        {at(2005, 1, 1), 2.15, at(2005, 3, 16)},
        {at(2005, 1, 1), 1.5, at(2005, 3, 23)},  // one month and fifty days
        {at(2005, 1, 1), 1.256, at(2005, 2, 26)}, // the third decimal is ignored
        {at(2005, 1, 30), 1.02, at(2005, 3, 2)},  // 28 February, then two days
        {at(2005, 1, 31), 1, at(2005, 2, 28)},
        {at(2024, 2, 29), 12, at(2025, 2, 28)},
        {at(2005, 3, 10), 12, at(2006, 3, 10)},
        {at(2005, 1, 1), 0.1, at(2005, 1, 11)},
        {at(2005, 1, 1), 0, at(2005, 1, 1)},
        {at(2005, 1, 31, 14, 30), 1.01, at(2005, 3, 1, 14, 30)}, // the time of day stays
    };
    for (const Case& c : cases) {
        const auto counted = CountNextDate(c.last, c.rtMon);
        EXPECT_TRUE(counted.ok()) << c.rtMon;
        EXPECT_EQ(counted.next, c.next) << c.last.toString().toStdString() << " + " << c.rtMon;
    }
}

TEST(CountNextDate, IntervalAsTheDatabaseStoresIt)
{
    TempWorkDir dir;
    createSqliteFile(dir.file("t.db"), {"create table DevRep (RT_Mon decimal(18,6))",
                                        "insert into DevRep values (2.15), (1.256), (0.29)"});
    SqlConnection connection;
    connection.setDatabaseFile(dir.file("t.db"));
    const auto rows = connection.select("select RT_Mon from DevRep");
    // 2.15 comes back as 2.1499999...: still fifteen days, not fourteen.
    EXPECT_EQ(CountNextDate(at(2005, 1, 1), rows->value(0, 0)).next, at(2005, 3, 16));
    EXPECT_EQ(CountNextDate(at(2005, 1, 1), rows->value(1, 0)).next, at(2005, 2, 26));
    EXPECT_EQ(CountNextDate(at(2005, 1, 1), rows->value(2, 0)).next, at(2005, 1, 30));
}

TEST(CountNextDate, NothingIsCountedFromEmptyOrImpossibleValues)
{
    struct Case {
        QVariant last;
        QVariant rtMon;
        Refusal refusal;
    };
    const Case cases[] = {
        {at(2005, 1, 1), QVariant(), Refusal::EmptyInterval},
        {QVariant(), 2.15, Refusal::NoLastDate}, // never from a zero date
        {QDateTime(), 2.15, Refusal::NoLastDate},
        {QVariant(), QVariant(), Refusal::EmptyInterval}, // the interval is named first
        {at(2005, 1, 1), -1.0, Refusal::NegativeInterval},
        {at(9999, 12, 1), 1.0, Refusal::BeyondCalendar},
        {at(9999, 12, 1), 0.31, Refusal::BeyondCalendar},
        {at(2005, 1, 1), 1e15, Refusal::BeyondCalendar},
    };
    for (const Case& c : cases) {
        const auto counted = CountNextDate(c.last, c.rtMon);
        EXPECT_EQ(counted.refusal, c.refusal) << c.rtMon.toString().toStdString();
        EXPECT_FALSE(counted.next.isValid());
    }
    EXPECT_TRUE(CountNextDate(at(9999, 11, 30), 1.0).ok()); // 30.12.9999
}
