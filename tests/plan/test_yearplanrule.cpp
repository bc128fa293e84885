// When a next-service record recurs in a planned year: the direct computation against the month walk
// it replaces, on the cases that trip month arithmetic up.
#include "plan/rules/YearPlanRule.h"
#include "support/QtPrinters.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

// Readable failures for lists of dates.
void PrintTo(const QDate& day, std::ostream* os) { *os << day.toString("dd.MM.yyyy").toStdString(); }

namespace {

QDate d(const char* text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("dd.MM.yyyy")); }

QList<QDate> dates(std::initializer_list<const char*> texts)
{
    QList<QDate> list;
    for (const char* t : texts)
        list.append(d(t));
    return list;
}

// The walk as it was first written: every month from the current one to December of the year, the
// next date moved on by k months whenever the walk meets it. Kept as the reference.
QList<QDate> literalWalk(const QDate& today, int year, const QDate& next, int k)
{
    QList<QDate> rows;
    if (year < today.year() || !next.isValid())
        return rows;
    const qint64 n = (qint64(year) * 12 + 12) - (qint64(today.year()) * 12 + today.month());
    QDate N = next;
    for (qint64 m = 0; m <= n; ++m) {
        const QDate D = today.addMonths(int(m));
        if (N.year() == D.year() && N.month() == D.month()) {
            if (D.year() == year)
                rows.append(D);
            N = N.addMonths(k);
        }
    }
    return rows;
}

struct Case {
    const char* what;
    const char* today;
    int year;
    const char* next;
    QVariant rtMon;
    QList<QDate> expected;
};

} // namespace

TEST(YearPlanRule, OccurrencesOfTheCasesThatMatter)
{
    const QList<QDate> everyOtherMonthFromLeapDay = dates({"29.02.2024", "30.04.2024", "30.06.2024", "31.08.2024",
                                                           "31.10.2024", "31.12.2024"});
    const Case cases[] = {
        {"next in May, k 3", "10.03.2025", 2025, "20.05.2025", 3, dates({"10.05.2025", "10.08.2025", "10.11.2025"})},
        {"the same record a year on", "10.03.2025", 2026, "20.05.2025", 3,
         dates({"10.02.2026", "10.05.2026", "10.08.2026", "10.11.2026"})},
        {"next in the current month", "10.03.2025", 2025, "05.03.2025", 3,
         dates({"10.03.2025", "10.06.2025", "10.09.2025", "10.12.2025"})},
        {"overdue: never met", "10.03.2025", 2025, "28.02.2025", 3, {}},
        {"overdue, later year", "10.03.2025", 2026, "28.02.2025", 3, {}},
        {"1.15 steps by one month", "10.10.2025", 2025, "01.10.2025", 1.15,
         dates({"10.10.2025", "10.11.2025", "10.12.2025"})},
        {"today the 31st", "31.03.2025", 2025, "15.04.2025", 1,
         dates({"30.04.2025", "31.05.2025", "30.06.2025", "31.07.2025", "31.08.2025", "30.09.2025", "31.10.2025",
                "30.11.2025", "31.12.2025"})},
        {"31 December: December only", "31.12.2025", 2025, "05.12.2025", 1, dates({"31.12.2025"})},
        {"31 December: November missed", "31.12.2025", 2025, "10.11.2025", 1, {}},
        {"2.5 rounds to 2", "31.01.2024", 2024, "29.02.2024", 2.5, everyOtherMonthFromLeapDay},
        {"1.5 rounds to 2", "31.01.2024", 2024, "29.02.2024", 1.5, everyOtherMonthFromLeapDay},
        {"2.15 is 2 months", "31.01.2024", 2024, "29.02.2024", 2.15, everyOtherMonthFromLeapDay},
        {"3.5 rounds to 4", "31.01.2024", 2024, "29.02.2024", 3.5, dates({"29.02.2024", "30.06.2024", "31.10.2024"})},
        {"6.6 rounds to 7", "31.01.2024", 2024, "29.02.2024", 6.6, dates({"29.02.2024", "30.09.2024"})},
        {"0.5 rounds to 0: once", "31.01.2024", 2024, "29.02.2024", 0.5, dates({"29.02.2024"})},
        {"empty interval: once", "31.01.2024", 2024, "29.02.2024", QVariant(), dates({"29.02.2024"})},
        {"negative interval: once", "31.01.2024", 2024, "29.02.2024", -1, dates({"29.02.2024"})},
        {"leap day, k 12, next year", "29.02.2024", 2025, "29.02.2024", 12, dates({"28.02.2025"})},
        {"leap day, k 12, next leap year", "29.02.2024", 2028, "29.02.2024", 12, dates({"29.02.2028"})},
        {"next in the year's December", "10.03.2025", 2025, "15.12.2025", 1, dates({"10.12.2025"})},
        {"next in the January after", "10.03.2025", 2025, "15.01.2026", 1, {}},
        {"empty next date", "10.03.2025", 2025, nullptr, 1, {}},
        {"past year", "10.03.2025", 2024, "20.05.2024", 1, {}},
        {"year 7500 from December 2026", "15.12.2026", 7500, "15.12.2026", 12, dates({"15.12.7500"})},
        {"year 9999", "15.12.2026", 9999, "01.12.2026", 12, dates({"15.12.9999"})},
    };
    for (const Case& c : cases) {
        const QDate today = d(c.today);
        const QDate next = c.next ? d(c.next) : QDate();
        const int k = YearPlan::stepMonths(c.rtMon);
        EXPECT_EQ(YearPlan::occurrences(today, c.year, next, k), c.expected) << c.what;
        EXPECT_EQ(literalWalk(today, c.year, next, k), c.expected) << c.what << " (walk)";
    }
}

TEST(YearPlanRule, StepMonthsAndMonthCountsStayRightWhereNarrowArithmeticFails)
{
    EXPECT_EQ(YearPlan::stepMonths(2.4999999999), 2); // 2.5 as the engine gives it back
    EXPECT_EQ(YearPlan::stepMonths(QStringLiteral("3.5")), 4);
    EXPECT_EQ(YearPlan::stepMonths(1e12), 1000000000);
    // From December 2026 to a year past 7488 the count passes 65,535.
    EXPECT_EQ(YearPlan::monthsBetween(d("15.12.2026"), d("31.12.7500")), 65688);
    EXPECT_EQ(YearPlan::monthsBetween(d("31.03.2025"), d("01.03.2025")), 0);
}

TEST(YearPlanRule, ALastServiceLaterTodayIsNotAfterToday)
{
    const QDate today = d("10.03.2025");
    EXPECT_FALSE(YearPlan::lastServiceAfterToday(today, QDateTime(today, QTime(14, 0)).date()));
    EXPECT_TRUE(YearPlan::lastServiceAfterToday(today, today.addDays(1)));
    EXPECT_FALSE(YearPlan::lastServiceAfterToday(today, QDate()));
}

TEST(YearPlanRule, AgreesWithTheWalkOnRandomRecords)
{
    QRandomGenerator random(20250310);
    for (int i = 0; i < 5000; ++i) {
        const QDate today = d("01.01.2024").addDays(random.bounded(3 * 365));
        const int year = today.year() + random.bounded(4);
        const QDate next = today.addDays(random.bounded(-400, 1500));
        const int k = random.bounded(-2, 15);
        ASSERT_EQ(YearPlan::occurrences(today, year, next, k), literalWalk(today, year, next, k))
            << today.toString().toStdString() << " " << year << " " << next.toString().toStdString() << " k " << k;
    }
}
