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

QVariant DueList::limit() const { return QVariant(DueRule::dueLimit(m_today, m_horizonDays)); }

std::unique_ptr<Dataset> DueList::open() const
{
    auto dataset = std::make_unique<Dataset>(&m_connection);
    dataset->setSql(listStatement());
    dataset->setParam(QStringLiteral("Limit"), limit());
    dataset->open();
    for (const auto& [name, title] : kColumns)
        dataset->fieldByName(QString::fromLatin1(name)).setLabel(Text(title));
    return dataset;
}

DueList::Listing DueList::listing() const
{
    Listing listing = startListing();
    m_connection.readRows(listStatement(), {{QStringLiteral("Limit"), limit()}}, [&](const ResultSet& rows) {
        appendLines(rows, listing);
        return true;
    });
    return listing;
}

DueList::Listing DueList::listingOf(const ResultSet& rows) const
{
    Listing listing = startListing();
    appendLines(rows, listing);
    return listing;
}

DueList::Listing DueList::startListing() const
{
    Listing listing;
    QStringList titles;
    for (const auto& [name, title] : kColumns)
        titles.append(Text(title));
    listing.text = titles.join(QLatin1Char('\t')).toUtf8() + "\r\n";
    return listing;
}

void DueList::appendLines(const ResultSet& rows, Listing& listing) const
{
    const int nextDate = rows.indexOf(QStringLiteral("NextRep"));
    QByteArray& out = listing.text;
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < rows.columnCount(); ++column) {
            if (column > 0)
                out += '\t';
            const qsizetype start = out.size();
            rows.appendDisplayText(row, column, QString(), out);
            // Bytes of a tab or a line break never occur inside a longer UTF-8 character.
            for (qsizetype i = start; i < out.size(); ++i)
                if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r')
                    out[i] = ' ';
        }
        out += "\r\n";
        if (DueRule::stateOf(rows.date(row, nextDate), m_today, m_horizonDays) == DueRule::State::Overdue)
            ++listing.overdue;
    }
    listing.rows += rows.rowCount();
}

DueList::Counts DueList::count() const
{
    const auto rows = m_connection.select(countStatement(), {},
                                          {{QStringLiteral("Today"), QVariant(m_today)}, {QStringLiteral("Limit"), limit()}});
    if (rows->rowCount() == 0 || rows->isNull(0, 0))
        return {};
    const qint64 due = rows->value(0, 0).toLongLong();
    const qint64 overdue = rows->isNull(0, 1) ? 0 : rows->value(0, 1).toLongLong();
    return {overdue, due - overdue};
}
