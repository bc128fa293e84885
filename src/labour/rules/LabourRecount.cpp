#include "labour/rules/LabourRecount.h"

#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/Transaction.h"
#include "labour/rules/LabourFigures.h"
#include "labour/rules/NormStateCount.h"
#include "text/StrList.h"

#include <QHash>
#include <QLocale>
#include <cmath>

namespace {

using LabourFigures::number;
using LabourFigures::round6;

// The texts of this report in the interface's language.
QString inLanguage(const char16_t* english, const char16_t* russian)
{
    return QString::fromUtf16(languageIndex() == 0 ? english : russian);
}

bool sameFigure(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return std::abs(number(a) - number(b)) < 5e-7;
}

QString shown(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("—");
    QString text = QLocale().toString(number(value), 'f', 6);
    const QChar point = QLocale().decimalPoint().front();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(1);
    }
    return text;
}

// Names of the rows the report speaks of.
struct Names {
    QHash<qint64, QString> types, services, categories, grades;

    static Names read(SqlConnection& db)
    {
        Names names;
        auto fill = [&db](const QString& sql, auto&& put) {
            const auto rows = db.select(sql);
            for (int r = 0; r < rows->rowCount(); ++r)
                put(rows->value(r, 0).toLongLong(), *rows, r);
        };
        fill(QStringLiteral("select ID_DevType, Name_DevType, Mark_DevType from DevType;"),
             [&](qint64 id, const ResultSet& rows, int r) {
                 names.types.insert(id, (rows.value(r, 1).toString() + QLatin1Char(' ') + rows.value(r, 2).toString()).trimmed());
             });
        fill(QStringLiteral("select ID_Reps, Short_Reps from Reps;"),
             [&](qint64 id, const ResultSet& rows, int r) { names.services.insert(id, rows.value(r, 1).toString()); });
        fill(QStringLiteral("select ID_Cathegory, Name_Cathegory, Cathegory from Cathegory;"),
             [&](qint64 id, const ResultSet& rows, int r) {
                 names.categories.insert(id, rows.value(r, 1).toString() + QLatin1Char(' ') + rows.value(r, 2).toString());
                 names.grades.insert(id, rows.value(r, 2).toString());
             });
        return names;
    }
    QString serviceRow(const QVariant& type, const QVariant& service) const
    {
        return types.value(type.toLongLong()) + QStringLiteral(", ") + services.value(service.toLongLong());
    }
};

} // namespace

QString LabourRecount::caption() { return inLanguage(u"Recount all", u"Пересчитать всё"); }

QString LabourRecount::hint()
{
    return inLanguage(u"Store the edits and recount every figure of the crew that depends on them|Store the pending "
                      u"edits, then recount the annual volumes, shares, working-time fund and norm state of the crew "
                      u"in one step",
                      u"Сохранить изменения и пересчитать все зависящие от них значения бригады|Сохранить изменения, "
                      u"затем пересчитать годовые объемы, тарификации, фонд рабочего времени и сводку бригады за один "
                      u"шаг");
}

QString LabourRecount::offer()
{
    return inLanguage(u"The amount changed: recount the figures that depend on it.",
                      u"Количество изменено: пересчитайте зависящие от него значения.");
}

QList<LabourRecount::Step> LabourRecount::order()
{
    return {Step::ServiceVolumes, Step::Shares, Step::WorkingFund, Step::NormState};
}

LabourRecount::Result LabourRecount::run()
{
    Result result;
    Transaction transaction(m_connection);
    const QList<Figure> before = snapshot();
    for (const Step step : order()) {
        switch (step) {
        case Step::ServiceVolumes:
            countServiceVolumes(result.notRecounted);
            break;
        case Step::Shares:
            scaleShares();
            break;
        case Step::WorkingFund:
            countWorkingFund(result.notRecounted);
            break;
        case Step::NormState:
            countNormState();
            break;
        }
    }
    const QList<Figure> after = snapshot();
    transaction.commit();

    QHash<QString, QVariant> old;
    for (const Figure& f : before)
        old.insert(f.key, f.value);
    for (const Figure& f : after) {
        const bool existed = old.contains(f.key);
        if (existed ? !sameFigure(old.value(f.key), f.value) : !f.value.isNull())
            result.moved.append({f.subject, f.figure, existed ? old.value(f.key) : QVariant(), f.value});
    }
    return result;
}

QList<LabourRecount::Figure> LabourRecount::snapshot()
{
    const Names names = Names::read(m_connection);
    QList<Figure> figures;
    auto take = [&](const QString& table, const QString& sql, auto&& subjectOf,
                    std::initializer_list<std::pair<int, Str>> columns) {
        const auto rows = m_connection.select(sql);
        for (int r = 0; r < rows->rowCount(); ++r)
            for (const auto& [column, caption] : columns)
                figures.append({table + QLatin1Char(':') + rows->value(r, 0).toString() + QLatin1Char(':') +
                                    QString::number(column),
                                subjectOf(*rows, r), Text(caption), rows->value(r, column)});
    };
    const QString crew = crewText();
    take(QStringLiteral("DevRep"),
         QStringLiteral("select ID_DevRep, IDevType, IRep, RT_Mon, RT, RCount from DevRep where ICrew = ") + crew +
             QStringLiteral(" order by IDevType, R_No, ID_DevRep;"),
         [&](const ResultSet& rows, int r) { return names.serviceRow(rows.value(r, 1), rows.value(r, 2)); },
         {{3, Str::ColIntervalMonths}, {4, Str::ColRepetition}, {5, Str::ColAnnualRate}});
    take(QStringLiteral("RepCath"),
         QStringLiteral("select RepCath.ID_RepCath, DevRep.IDevType, DevRep.IRep, RepCath.ICathegory, RepCath.[Value] "
                        "from RepCath inner join DevRep on DevRep.ID_DevRep = RepCath.IDevRep where DevRep.ICrew = ") +
             crew + QStringLiteral(" order by DevRep.IDevType, DevRep.R_No, RepCath.IDevRep, RepCath.ICathegory;"),
         [&](const ResultSet& rows, int r) {
             return names.serviceRow(rows.value(r, 1), rows.value(r, 2)) + QStringLiteral(", ") +
                    names.categories.value(rows.value(r, 3).toLongLong());
         },
         {{4, Str::AccountColAllowance}});
    take(QStringLiteral("CrewList"),
         QStringLiteral("select ID_CrewList, [No], ProfNaimen, LostDayUsedPC, LostDaySumPC, DayFundRez, DayFundP1E from "
                        "CrewList where ICrew = ") +
             crew + QStringLiteral(" order by [No], ID_CrewList;"),
         [](const ResultSet& rows, int r) {
             return (Text(Str::AccountCrewNo) + QLatin1Char(' ') + rows.value(r, 1).toString() + QLatin1Char(' ') +
                     rows.value(r, 2).toString())
                 .trimmed();
         },
         {{3, Str::AccountHolidayPercent}, {4, Str::AccountTotalLosses}, {5, Str::AccountFundDays}, {6, Str::AccountFundPerEmployee}});
    take(QStringLiteral("NormState"),
         QStringLiteral("select ID_NormState, ICathegory, PlanHour, PlanP1E, YearPlan, Required from NormState where ICrew = ") +
             crew + QStringLiteral(" order by ICathegory, ID_NormState;"),
         [&](const ResultSet& rows, int r) {
             return Text(Str::AccountCategory) + QLatin1Char(' ') + names.grades.value(rows.value(r, 1).toLongLong());
         },
         {{2, Str::AccountHourRate}, {3, Str::AccountRatePerEmployee}, {4, Str::AccountAnnualRate}, {5, Str::AccountRequired}});
    return figures;
}

void LabourRecount::countServiceVolumes(QStringList& notRecounted)
{
    const Names names = Names::read(m_connection);
    const auto rows = m_connection.select(
        QStringLiteral("select DevRep.ID_DevRep, DevRep.RT, DevRep.RT_Mon, DevRep.RT_PC, DevRep.RCount, DevTypeCount.[Count], "
                       "DevRep.IDevType, DevRep.IRep from DevRep left join DevTypeCount on DevTypeCount.IDevType = "
                       "DevRep.IDevType and DevTypeCount.ICrew = DevRep.ICrew where DevRep.ICrew = ") +
        crewText() + QStringLiteral(" order by DevRep.IDevType, DevRep.R_No, DevRep.ID_DevRep;"));
    SqlCommand update(m_connection,
                      QStringLiteral("update DevRep set RT = :RT, RT_Mon = :RT_Mon, RCount = :RCount where ID_DevRep = :ID;"));
    for (int r = 0; r < rows->rowCount(); ++r) {
        const LabourFigures::ServiceRow row{number(rows->value(r, 1)), number(rows->value(r, 2)), number(rows->value(r, 3)),
                                            number(rows->value(r, 4))};
        const int count = int(number(rows->value(r, 5)));
        LabourFigures::ServiceRow counted = row;
        if (count == 0) {
            counted.rCount = 0; // no devices of the type in the crew: nothing to service
        } else {
            const LabourFigures::VolumeResult result = LabourFigures::countAnnualVolume(row, count);
            if (!result.accepted()) {
                QStringList why;
                for (const LabourFigures::VolumeFinding finding : result.findings)
                    why.append(LabourFigures::volumeFindingText(finding));
                notRecounted.append(names.serviceRow(rows->value(r, 6), rows->value(r, 7)) + QStringLiteral(": ") +
                                    why.join(QLatin1Char(' ')));
                continue;
            }
            counted = result.row;
        }
        if (counted.rt != row.rt || counted.rtMon != row.rtMon || counted.rCount != row.rCount || rows->isNull(r, 4))
            update.run({counted.rt, counted.rtMon, counted.rCount, rows->value(r, 0)});
    }
}

void LabourRecount::scaleShares()
{
    const auto services = m_connection.select(QStringLiteral("select ID_DevRep, RCount from DevRep where ICrew = ") +
                                              crewText() + QLatin1Char(';'));
    SqlCommand update(m_connection, QStringLiteral("update RepCath set [Value] = :Value where ID_RepCath = :ID;"));
    for (int s = 0; s < services->rowCount(); ++s) {
        const double volume = std::max(0.0, number(services->value(s, 1)));
        const auto shares = m_connection.select(QStringLiteral("select ID_RepCath, [Value] from RepCath where IDevRep = ") +
                                                services->value(s, 0).toString() +
                                                QStringLiteral(" order by ICathegory, ID_RepCath;"));
        const int n = shares->rowCount();
        if (n == 0)
            continue;
        double sum = 0;
        for (int r = 0; r < n; ++r)
            sum += number(shares->value(r, 1));
        if (std::abs(sum - volume) < 5e-7 * n)
            continue;
        for (int r = 0; r < n; ++r) {
            const double share = sum > 0 ? round6(number(shares->value(r, 1)) * volume / sum) : round6(volume / n);
            update.run({share, shares->value(r, 0)});
        }
    }
}

void LabourRecount::countWorkingFund(QStringList& notRecounted)
{
    const auto members = m_connection.select(
        QStringLiteral("select ID_CrewList, LostDayUsed, DayFundNum, LostDayMiscPC, Lenth, [No], ProfNaimen from "
                       "CrewListView where ICrew = ") +
        crewText() + QStringLiteral(" order by [No], ID_CrewList;"));
    SqlCommand update(m_connection, QStringLiteral("update CrewList set LostDayUsedPC = :A, LostDaySumPC = :B, DayFundRez = :C, "
                                                   "DayFundP1E = :D where ID_CrewList = :ID;"));
    m_fundsBefore = firstFundOfCategories();
    for (int r = 0; r < members->rowCount(); ++r) {
        const LabourFigures::FundResult fund = LabourFigures::countWorkingFund(
            {members->value(r, 1), members->value(r, 2), members->value(r, 3), members->value(r, 4)});
        if (!fund.computed()) {
            notRecounted.append((Text(Str::AccountCrewNo) + QLatin1Char(' ') + members->value(r, 5).toString() +
                                 QLatin1Char(' ') + members->value(r, 6).toString())
                                    .trimmed() +
                                QStringLiteral(": ") +
                                inLanguage(u"values of the working-time fund are missing",
                                           u"не заданы значения фонда рабочего времени"));
            continue;
        }
        const LabourFigures::FundFigures& f = fund.figures;
        update.run({f.lostDayUsedPC, f.lostDaySumPC, f.dayFundRez, f.dayFundP1E, members->value(r, 0)});
    }
}

QHash<qint64, QVariant> LabourRecount::firstFundOfCategories()
{
    // The member takePlansFromCrew() takes a category's plan from: the first the query returns.
    const auto members = m_connection.select(QStringLiteral("select DayFundP1E, icathegory from CrewList where ICrew = ") +
                                             crewText() + QLatin1Char(';'));
    QHash<qint64, QVariant> funds;
    for (int r = 0; r < members->rowCount(); ++r)
        if (!members->isNull(r, 1) && !funds.contains(members->value(r, 1).toLongLong()))
            funds.insert(members->value(r, 1).toLongLong(), members->value(r, 0));
    return funds;
}

void LabourRecount::countNormState()
{
    NormStateCount norm(m_connection, m_crew);
    norm.insertNewRows();
    norm.refreshPlanHours();
    // A plan of one employee follows the crew structure only where it was taken from it: where it
    // still equals the fund its category's member had before this recount. A plan the planner typed
    // stays.
    const QHash<qint64, QVariant> fundsNow = firstFundOfCategories();
    const auto rows = m_connection.select(QStringLiteral("select ID_NormState, ICathegory, PlanP1E from NormState where ICrew = ") +
                                          crewText() + QLatin1Char(';'));
    SqlCommand update(m_connection, QStringLiteral("update NormState set PlanP1E = :PlanP1E where ID_NormState = :ID;"));
    for (int r = 0; r < rows->rowCount(); ++r) {
        const qint64 category = rows->value(r, 1).toLongLong();
        if (rows->isNull(r, 1) || !m_fundsBefore.contains(category) || !fundsNow.contains(category))
            continue;
        const QVariant was = m_fundsBefore.value(category);
        const QVariant now = fundsNow.value(category);
        if (!was.isNull() && sameFigure(rows->value(r, 2), was) && !sameFigure(was, now))
            update.run({now, rows->value(r, 0)});
    }
    norm.countYearPlanAndRequired();
}

QString LabourRecount::Result::text(const QString& crewName, int maxLines) const
{
    QStringList lines;
    if (moved.isEmpty()) {
        lines.append(inLanguage(u"All figures of the crew %1 were up to date; nothing changed.",
                                u"Все значения бригады %1 были актуальны, ничего не изменилось.")
                         .arg(crewName));
    } else {
        lines.append(inLanguage(u"Recounted for the crew %1:", u"Пересчитано для бригады %1:").arg(crewName));
        for (int i = 0; i < moved.size() && i < maxLines; ++i) {
            const Change& c = moved[i];
            lines.append(QStringLiteral("  %1 — %2: %3 → %4").arg(c.subject, c.figure, shown(c.before), shown(c.after)));
        }
        if (moved.size() > maxLines)
            lines.append(inLanguage(u"  ... and %1 more", u"  ... и еще %1").arg(moved.size() - maxLines));
    }
    if (!notRecounted.isEmpty()) {
        lines.append(inLanguage(u"Not recounted (the figures stay as they were):",
                                u"Не пересчитано (значения остались прежними):"));
        for (const QString& line : notRecounted)
            lines.append(QStringLiteral("  ") + line);
    }
    return lines.join(QLatin1Char('\n'));
}
