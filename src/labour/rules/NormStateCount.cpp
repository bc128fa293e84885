#include "labour/rules/NormStateCount.h"

#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "data/Transaction.h"
#include "labour/rules/LabourFigures.h"
#include "text/StrList.h"

#include <QHash>

namespace {

// The crew's rows in the order the page lists them (by category), with what the count reads.
struct NormRow {
    qint64 id = 0;
    QVariant cathegory;
    QVariant planHour, extPlanPC, extPlan, planP1E, required;
};

QList<NormRow> readRows(SqlConnection& db, const QString& crew)
{
    const auto rows = db.select(QStringLiteral("select ID_NormState, ICathegory, PlanHour, ExtPlanPC, ExtPlan, PlanP1E, "
                                               "Required from NormState where ICrew = ") +
                                crew + QStringLiteral(" order by ICathegory, ID_NormState;"));
    QList<NormRow> list;
    for (int r = 0; r < rows->rowCount(); ++r)
        list.append({rows->value(r, 0).toLongLong(), rows->value(r, 1), rows->value(r, 2), rows->value(r, 3),
                     rows->value(r, 4), rows->value(r, 5), rows->value(r, 6)});
    return list;
}

// Members without a category are left out: a NULL in a "not in" list makes it true for no category,
// and the crew's categories without members would never be found.
QString crewCategoriesSubquery(const QString& crew)
{
    return QStringLiteral("( select icathegory from crewlist where icrew = ") + crew +
           QStringLiteral(" and icathegory is not null )");
}

} // namespace

QVariant NormStateCount::minCrewFund()
{
    return m_connection.scalar(QStringLiteral("select min( DayFundP1E ) as [mini] from CrewList where ICrew = ") +
                               crewText() + QLatin1Char(';'));
}

void NormStateCount::insertNewRows()
{
    m_connection.execute(
        QStringLiteral("insert into NormState (ICrew,ICathegory,PlanHour) select AccountView.ID_Crew,AccountView.ID_Cathegory, "
                       "Sum(AccountView.Value) from AccountView inner join Cathegory on Cathegory.ID_Cathegory = "
                       "AccountView.ID_Cathegory where not exists ( select NormState.ICrew, NormState.ICathegory from "
                       "NormState where AccountView.ID_Crew = NormState.ICrew and AccountView.ID_Cathegory = "
                       "NormState.ICathegory  ) and AccountView.ID_Crew = ") +
        crewText() + QStringLiteral(" group by AccountView.ID_Crew,AccountView.ID_Cathegory;"));
}

void NormStateCount::refreshPlanHours()
{
    SqlCommand update(m_connection, QStringLiteral("update NormState set PlanHour = :PlanHour where ID_NormState = :ID;"));
    for (const NormRow& row : readRows(m_connection, crewText())) {
        // A row without a category has nothing to sum; it is left as it is. The rows just inserted
        // get the same sum again, rounded to the six places the column keeps.
        if (row.cathegory.isNull())
            continue;
        const QVariant sum = m_connection.scalar(
            QStringLiteral("select Sum(AccountView.Value) as [sum]from AccountView where AccountView.ID_Crew = ") +
            crewText() + QStringLiteral(" and AccountView.ID_Cathegory = ") + row.cathegory.toString() + QLatin1Char(';'));
        update.run({LabourFigures::round6(LabourFigures::number(sum)), row.id});
    }
}

QString NormStateCount::categoriesOutsideCrew()
{
    // The crew's rows as they are, then those insertNewRows() adds for categories with shares: the
    // list is read before anything is written, so that the question waits without holding a lock.
    const QString outside = QStringLiteral(" not in ") + crewCategoriesSubquery(crewText());
    const auto rows = m_connection.select(
        QStringLiteral("select cathegory.cathegory from normstate left join cathegory on cathegory.id_cathegory = "
                       "normstate.icathegory where normstate.icathegory") +
        outside + QStringLiteral(" and normstate.icrew = ") + crewText() + QLatin1Char(';'));
    const auto added = m_connection.select(
        QStringLiteral("select cathegory.cathegory from cathegory where cathegory.id_cathegory in ( select "
                       "AccountView.ID_Cathegory from AccountView where AccountView.ID_Crew = ") +
        crewText() + QStringLiteral(" ) and not exists ( select NormState.ICathegory from NormState where NormState.ICrew = ") +
        crewText() + QStringLiteral(" and NormState.ICathegory = cathegory.id_cathegory ) and cathegory.id_cathegory") +
        outside + QStringLiteral(" order by cathegory.id_cathegory;"));
    QStringList grades;
    for (const auto* list : {rows.get(), added.get()})
        for (int r = 0; r < list->rowCount(); ++r)
            grades.append(list->value(r, 0).toString());
    return LabourFigures::gradeList(grades);
}

void NormStateCount::setPlanForCategoriesOutsideCrew(double minCrewFund)
{
    m_connection.execute(QStringLiteral("update normstate set PlanP1E = ") + SqlValue::number(minCrewFund) +
                         QStringLiteral(" where normstate.icathegory not in ") + crewCategoriesSubquery(crewText()) +
                         QStringLiteral(" and normstate.icrew = ") + crewText() + QLatin1Char(';'));
}

void NormStateCount::takePlansFromCrew()
{
    const auto members = m_connection.select(QStringLiteral("select DayFundP1E, icathegory from CrewList where ICrew = ") +
                                             crewText() + QLatin1Char(';'));
    // The first member of each category, in the order the query returns them.
    QHash<qint64, QVariant> planOfCategory;
    for (int r = 0; r < members->rowCount(); ++r)
        if (!members->isNull(r, 1) && !planOfCategory.contains(members->value(r, 1).toLongLong()))
            planOfCategory.insert(members->value(r, 1).toLongLong(), members->value(r, 0));
    SqlCommand update(m_connection, QStringLiteral("update NormState set PlanP1E = :PlanP1E where ID_NormState = :ID;"));
    for (const NormRow& row : readRows(m_connection, crewText()))
        if (!row.cathegory.isNull() && planOfCategory.contains(row.cathegory.toLongLong()))
            update.run({planOfCategory.value(row.cathegory.toLongLong()), row.id});
}

void NormStateCount::countYearPlanAndRequired()
{
    SqlCommand update(m_connection, QStringLiteral("update NormState set YearPlan = :YearPlan, Required = :Required "
                                                   "where ID_NormState = :ID;"));
    for (const NormRow& row : readRows(m_connection, crewText())) {
        const double year = LabourFigures::yearPlan(row.planHour, row.extPlan, row.extPlanPC);
        // Without a plan of one employee the head count keeps its previous value.
        const std::optional<double> heads = LabourFigures::required(year, row.planP1E);
        update.run({year, heads ? QVariant(*heads) : row.required, row.id});
    }
}

void NormStateCount::run()
{
    // Both questions are asked before the first write: on a shared database a transaction that has
    // written holds a lock, and every other planner's save would fail while a question waits.
    const QVariant minFund = minCrewFund();
    const QString outside = categoriesOutsideCrew();
    // A crew without members has no smallest fund to offer: nothing to ask.
    const bool minimalFund =
        !outside.isEmpty() && !minFund.isNull() &&
        Messages::confirm(FormatText(Str::AccountMinimalFundConfirm, outside, LabourFigures::number(minFund)));
    const bool plansFromCrew = Messages::confirm(Text(Str::AccountPlansFromCrewConfirm));

    Transaction transaction(m_connection);
    insertNewRows();
    refreshPlanHours();
    if (minimalFund)
        setPlanForCategoriesOutsideCrew(LabourFigures::number(minFund));
    if (plansFromCrew)
        takePlansFromCrew();
    countYearPlanAndRequired();
    transaction.commit();
}
