#include "labour/rules/LabourFigures.h"
#include "support/QtPrinters.h"
#include "text/StrList.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace LabourFigures;

namespace {

struct VolumeCase {
    const char* what;
    ServiceRow row;
    int count;
    ServiceRow expected;
    QVector<VolumeFinding> findings;
};

} // namespace

TEST(AnnualVolume, CompletesIntervalAndRepetitionAndCountsTheVolume)
{
    using F = VolumeFinding;
    const VolumeCase cases[] = {
        {"interval gives repetition", {0, 3, 1.5, 0}, 10, {4, 3, 1.5, 60}, {}},
        {"repetition gives whole months", {5, 0, 1, 0}, 1, {5, 2, 1, 5}, {}},
        {"half to even: 12/8", {8, 0, 1, 0}, 1, {8, 2, 1, 8}, {}},
        {"half to even: 12/24", {24, 0, 1, 0}, 1, {24, 0, 1, 24}, {}},
        {"half to even: 12/4.8", {4.8, 0, 1, 0}, 1, {4.8, 2, 1, 4.8}, {}},
        {"a repetition written from an interval counts again", {1.714286, 7, 1, 0}, 1, {1.714286, 7, 1, 1.714286}, {}},
        {"days in the interval agree at six places", {5.581395, 2.15, 1, 0}, 2, {5.581395, 2.15, 1, 11.16279}, {}},
        {"whole months near 12 / repetition are not linked", {13, 1, 1, 0}, 1, {13, 1, 1, 0}, {F::IntervalNotLinked}},
        {"rounded months of a repetition are not linked", {5, 2, 1, 5}, 1, {5, 2, 1, 5}, {F::IntervalNotLinked}},
        {"not linked", {2, 4, 1, 0}, 10, {2, 4, 1, 20}, {F::IntervalNotLinked}},
        {"neither interval nor repetition", {0, 0, 1, 7}, 3, {0, 0, 1, 0}, {F::IntervalNotFound}},
        {"no rate time", {1, 12, 0, 7}, 3, {1, 12, 0, 7}, {F::AllowanceNotFound}},
        {"count 0 hides the missing rate time", {1, 12, 0, 7}, 0, {1, 12, 0, 7}, {F::AmountZero}},
        {"findings in order", {0, 0, 0, 0}, 2, {0, 0, 0, 0}, {F::IntervalNotFound, F::AllowanceNotFound}},
    };
    for (const VolumeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const VolumeResult r = countAnnualVolume(c.row, c.count);
        EXPECT_EQ(r.findings, c.findings);
        EXPECT_DOUBLE_EQ(r.row.rt, c.expected.rt);
        EXPECT_DOUBLE_EQ(r.row.rtMon, c.expected.rtMon);
        EXPECT_DOUBLE_EQ(r.row.rtPc, c.expected.rtPc);
        if (r.accepted())
            EXPECT_DOUBLE_EQ(r.row.rCount, c.expected.rCount);
    }
}

TEST(AnnualVolume, RefusalsEndInOperationCanceled)
{
    setLanguageIndex(0);
    EXPECT_EQ(volumeRefusalText({VolumeFinding::IntervalNotLinked, VolumeFinding::AmountZero}),
              "Interval and repetition is not linked to formula Interval=12/Repetition.\r"
              "Amount of this device type = 0.\rOperation canceled.");
    EXPECT_EQ(divisionRefusalText(), "Time allowance = 0.Operation canceled.");
    setLanguageIndex(1);
    EXPECT_EQ(divisionRefusalText(), "Норма времени = 0.Операция отменена.");
    setLanguageIndex(INSTREL_LANGUAGE);
}

TEST(AnnualVolume, EqualShares)
{
    EXPECT_EQ(equalShare(90, 3), 30.0);
    EXPECT_EQ(equalShare(100, 3), 33.333333);
    EXPECT_EQ(equalShare(0, 3), std::nullopt);
    EXPECT_EQ(equalShare(-5, 3), std::nullopt);
    EXPECT_EQ(equalShare(90, 0), std::nullopt);
}

TEST(WorkingFund, WorkedExampleAndRoundedSteps)
{
    FundResult r = countWorkingFund({24, 250, 4, 8});
    ASSERT_TRUE(r.computed());
    EXPECT_DOUBLE_EQ(r.figures.lostDayUsedPC, 8);
    EXPECT_DOUBLE_EQ(r.figures.lostDaySumPC, 12);
    EXPECT_DOUBLE_EQ(r.figures.dayFundRez, 220);
    EXPECT_DOUBLE_EQ(r.figures.dayFundP1E, 1760);

    // Each step reads the stored (six-place) value of the one before: 213.786666, not ...667.
    r = countWorkingFund({28, 247, 4, 8});
    EXPECT_DOUBLE_EQ(r.figures.lostDayUsedPC, 9.446694);
    EXPECT_DOUBLE_EQ(r.figures.lostDaySumPC, 13.446694);
    EXPECT_DOUBLE_EQ(r.figures.dayFundRez, 213.786666);
    EXPECT_DOUBLE_EQ(r.figures.dayFundP1E, 1710.293327);
}

TEST(WorkingFund, MissingValuesAreListedInOrderAndNothingIsComputed)
{
    const QString holiday = "Пустое значение продолжительности отпуска.\r";
    const QString fund = "Пустое значение номинального фонда рабочего времени.\r";
    const QString losses = "Пустое значение прочих потерь рабочего времени.\r";
    const QString day = "Пустое значение продолжительности рабочего дня\r";
    EXPECT_EQ(countWorkingFund({24, 250, 0, 8}).missing, losses);
    EXPECT_EQ(countWorkingFund({QVariant(), QVariant(), QVariant(), QVariant()}).missing, holiday + fund + losses + day);
    EXPECT_EQ(countWorkingFund({24, -1, 4, QVariant()}).missing, fund + day);
}

TEST(NormFigures, YearPlanRequiredAndGradeList)
{
    const double year = yearPlan(1758.8, 50, 10);
    EXPECT_DOUBLE_EQ(year, 1984.68);
    EXPECT_EQ(required(year, 1760), 1.127659);
    EXPECT_DOUBLE_EQ(yearPlan(QVariant(), QVariant(), 10), 0);
    EXPECT_DOUBLE_EQ(yearPlan(100, QVariant(), QVariant()), 100);
    EXPECT_EQ(required(year, 0), std::nullopt);
    EXPECT_EQ(required(year, QVariant()), std::nullopt);
    EXPECT_EQ(gradeList({"3", "5"}), "3,5,");
    EXPECT_EQ(gradeList({}), "");
}
