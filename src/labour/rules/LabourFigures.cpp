#include "labour/rules/LabourFigures.h"

#include "text/StrList.h"

#include <cmath>

namespace LabourFigures {

double round6(double value) { return std::round(value * 1e6) / 1e6; }

double number(const QVariant& value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const double n = value.toDouble(&ok);
    return ok ? n : 0;
}

namespace {

// Whole months for a repetition, halves going to the even neighbour (12 / 8 gives 2, 12 / 24 gives 0).
// The quotient is rounded to six places first so that 12 / 4.8 is the half it is meant to be.
double monthsFor(double rt) { return std::nearbyint(round6(12 / rt)); }

// Exact at the six places the columns keep: a repetition this count wrote from an interval (12 / 7
// stored as 1.714286) agrees with it, a typed pair that is only near (interval 1, repetition 13) does
// not.
bool linked(double rtMon, double rt) { return round6(rt) == round6(12 / rtMon); }

Str findingText(VolumeFinding finding)
{
    switch (finding) {
    case VolumeFinding::IntervalNotLinked:
        return Str::AccountIntervalNotLinked;
    case VolumeFinding::IntervalNotFound:
        return Str::AccountIntervalNotFound;
    case VolumeFinding::AllowanceNotFound:
        return Str::AccountAllowanceNotFound;
    case VolumeFinding::AmountZero:
        break;
    }
    return Str::AccountTypeAmountZero;
}

bool missing(const QVariant& value) { return value.isNull() || number(value) <= 0; }

} // namespace

VolumeResult countAnnualVolume(const ServiceRow& row, int count)
{
    VolumeResult result;
    result.row = row;
    ServiceRow& r = result.row;
    if (r.rtMon != 0 && r.rt == 0)
        r.rt = round6(12 / r.rtMon);
    else if (r.rtMon != 0 && r.rt != 0) {
        if (!linked(r.rtMon, r.rt))
            result.findings.append(VolumeFinding::IntervalNotLinked);
    } else if (r.rtMon == 0 && r.rt != 0)
        r.rtMon = monthsFor(r.rt);
    else
        result.findings.append(VolumeFinding::IntervalNotFound);

    if (count != 0 && r.rtPc != 0)
        r.rCount = round6(count * r.rt * r.rtPc);
    else if (count != 0)
        result.findings.append(VolumeFinding::AllowanceNotFound);
    else
        result.findings.append(VolumeFinding::AmountZero);
    return result;
}

QString volumeFindingText(VolumeFinding finding) { return Text(findingText(finding)); }

QString volumeRefusalText(const QVector<VolumeFinding>& findings)
{
    QString text;
    for (VolumeFinding finding : findings)
        text += Text(findingText(finding)) + QLatin1Char('\r');
    return text + Text(Str::OperationCanceled);
}

std::optional<double> equalShare(double rCount, int rows)
{
    if (rCount <= 0 || rows <= 0)
        return std::nullopt;
    return round6(rCount / rows);
}

QString divisionRefusalText() { return Text(Str::AccountAllowanceZero) + Text(Str::OperationCanceled); }

FundResult countWorkingFund(const FundInputs& in)
{
    FundResult result;
    // Fixed texts, shown as they are in every language.
    if (missing(in.lostDayUsed))
        result.missing += QStringLiteral("Пустое значение продолжительности отпуска.\r");
    if (missing(in.dayFundNum))
        result.missing += QStringLiteral("Пустое значение номинального фонда рабочего времени.\r");
    if (missing(in.lostDayMiscPC))
        result.missing += QStringLiteral("Пустое значение прочих потерь рабочего времени.\r");
    if (missing(in.lenth))
        result.missing += QStringLiteral("Пустое значение продолжительности рабочего дня\r");
    if (!result.missing.isEmpty())
        return result;

    const double fund = number(in.dayFundNum);
    FundFigures& f = result.figures;
    f.lostDayUsedPC = round6(number(in.lostDayUsed) * 5 / 6 / fund * 100);
    f.lostDaySumPC = round6(f.lostDayUsedPC + number(in.lostDayMiscPC));
    f.dayFundRez = round6(fund * (1 - f.lostDaySumPC / 100));
    f.dayFundP1E = round6(fund * (1 - f.lostDaySumPC / 100) * number(in.lenth));
    return result;
}

double yearPlan(const QVariant& planHour, const QVariant& extPlan, const QVariant& extPlanPC)
{
    const double hours = number(planHour);
    return round6(hours + number(extPlan) + hours * number(extPlanPC) / 100);
}

std::optional<double> required(double yearPlan, const QVariant& planP1E)
{
    const double perEmployee = number(planP1E);
    if (perEmployee <= 0)
        return std::nullopt;
    return round6(yearPlan / perEmployee);
}

QString gradeList(const QStringList& grades)
{
    QString list;
    for (const QString& grade : grades)
        list += grade + QLatin1Char(',');
    return list;
}

} // namespace LabourFigures
