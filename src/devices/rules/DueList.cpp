#include "devices/rules/DueList.h"

#include "data/Dataset.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "devices/rules/DueRule.h"
#include "text/StrList.h"

#include <utility>

namespace {

// The schedule's visible columns, in its order, with their titles.
const std::pair<const char*, Str> kColumns[] = {
    {"ANumber", Str::ColAccessCode},         {"ZNumber", Str::ColManufactureCode},
    {"Name_DevType", Str::ColType},          {"Mark_DevType", Str::ColModel},
    {"Short_Reps", Str::ColShortServiceName}, {"Name_Reps", Str::ColFullServiceName},
    {"LastRep", Str::ColLastDate},           {"NextRep", Str::ColNextDate},
    {"RT_Mon", Str::ColIntervalMonths},
};

} // namespace

DueList::DueList(SqlConnection& connection, const QDate& today, int horizonDays)
    : m_connection(connection), m_today(today), m_horizonDays(horizonDays)
{
}

QString DueList::listStatement()
{
    QStringList columns;
    for (const auto& [name, title] : kColumns)
        columns.append(QString::fromLatin1(name));
    // Dates are stored as "YYYY-MM-DD HH:MM:SS": before the first day past the horizon, at midnight,
    // takes in every time of the horizon's last day.
    return QStringLiteral("select ") + columns.join(QStringLiteral(", ")) +
           QStringLiteral(" from nextrepview where NextRep < :Limit order by NextRep, ANumber;");
}

QString DueList::countStatement()
{
    return QStringLiteral("select count(*), sum(case when NextRep < :Today then 1 else 0 end) "
                          "from nextrepview where NextRep < :Limit;");
}

std::unique_ptr<Dataset> DueList::open() const
{
    auto dataset = std::make_unique<Dataset>(&m_connection);
    dataset->setSql(listStatement());
    dataset->setParam(QStringLiteral("Limit"), QVariant(DueRule::dueLimit(m_today, m_horizonDays)));
    dataset->open();
    for (const auto& [name, title] : kColumns)
        dataset->fieldByName(QString::fromLatin1(name)).setLabel(Text(title));
    return dataset;
}

DueList::Counts DueList::count() const
{
    const auto rows = m_connection.select(countStatement(), {},
                                          {{QStringLiteral("Today"), QVariant(m_today)},
                                           {QStringLiteral("Limit"), QVariant(DueRule::dueLimit(m_today, m_horizonDays))}});
    if (rows->rowCount() == 0 || rows->isNull(0, 0))
        return {};
    const qint64 due = rows->value(0, 0).toLongLong();
    const qint64 overdue = rows->isNull(0, 1) ? 0 : rows->value(0, 1).toLongLong();
    return {overdue, due - overdue};
}
