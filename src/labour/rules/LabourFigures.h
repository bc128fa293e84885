#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

// The figures of labour planning, computed without the database: annual volume of a service row,
// equal shares of it, the working-time fund of a crew member, the annual volume and head count of a
// category. Decimals are stored with six places, so every result is rounded to six places here, and
// a figure computed from another uses the rounded value, as it would after reading it back.
namespace LabourFigures {

double round6(double value);
// A stored decimal as a number: null (or not a number) reads as 0.
double number(const QVariant& value);

// ---- annual volume of a service row

struct ServiceRow {
    double rt = 0;     // repetition: services per year
    double rtMon = 0;  // interval in months
    double rtPc = 0;   // hours one service of one device takes
    double rCount = 0; // annual volume in hours
};

// Findings that refuse the count, in the order they are reported.
enum class VolumeFinding { IntervalNotLinked, IntervalNotFound, AllowanceNotFound, AmountZero };

struct VolumeResult {
    ServiceRow row;                     // the figures to write when `findings` is empty
    QVector<VolumeFinding> findings;
    bool accepted() const { return findings.isEmpty(); }
};

// Completes repetition and interval (interval = 12 / repetition) and sets the annual volume
// count x repetition x rate time. An interval and a repetition that are both given must agree
// exactly (interval = 12 / repetition at six places); an interval rounded to whole months from a
// repetition does not agree with it, so such a row is refused when it is counted again.
VolumeResult countAnnualVolume(const ServiceRow& row, int count);

// The line of one finding, without a line break.
QString volumeFindingText(VolumeFinding finding);
// The message of a refused count: each finding on its line (followed by "\r"), then
// "Operation canceled.".
QString volumeRefusalText(const QVector<VolumeFinding>& findings);

// ---- equal division of a service row's volume among its category rows

// The share of each of `rows` category rows, or nothing when there is nothing to divide (a volume not
// greater than 0, or no rows).
std::optional<double> equalShare(double rCount, int rows);
// The message for a volume not greater than 0: "Time allowance = 0." directly followed by
// "Operation canceled.".
QString divisionRefusalText();

// ---- working-time fund of one crew member

// The looked-up values of a crew-structure row; a null or a value not greater than 0 is missing.
struct FundInputs {
    QVariant lostDayUsed;   // annual holiday, days
    QVariant dayFundNum;    // nominal fund, days
    QVariant lostDayMiscPC; // other losses, %
    QVariant lenth;         // working day, hours
};

struct FundFigures {
    double lostDayUsedPC = 0; // holiday as % of the nominal fund
    double lostDaySumPC = 0;  // total losses, %
    double dayFundRez = 0;    // effective fund, days
    double dayFundP1E = 0;    // effective fund of one employee, hours
};

struct FundResult {
    QString missing; // the missing values, one fixed line each followed by "\r"; empty when computed
    FundFigures figures;
    bool computed() const { return missing.isEmpty(); }
};

FundResult countWorkingFund(const FundInputs& inputs);

// ---- norm state of one category

// PlanHour + ExtPlan + PlanHour x ExtPlanPC / 100 (empty values count as 0).
double yearPlan(const QVariant& planHour, const QVariant& extPlan, const QVariant& extPlanPC);
// YearPlan / PlanP1E, or nothing when the plan of one employee is empty or not greater than 0.
std::optional<double> required(double yearPlan, const QVariant& planP1E);
// Grades each followed by a comma: {3, 5} gives "3,5,".
QString gradeList(const QStringList& grades);

} // namespace LabourFigures
