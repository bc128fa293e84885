#include "plan/rules/PivotQuery.h"

#include "data/Dataset.h"
#include "data/DatabaseError.h"
#include "data/SqlValue.h"

namespace PivotQuery {

namespace {
const QString kLineBreak = QStringLiteral("\r");
}

QStringList savedLines()
{
    return {QStringLiteral("select month, short_reps, count(month) as [Count]"), QStringLiteral("from yearreportview"),
            QStringLiteral("group by month, short_reps;")};
}

QString savedText() { return savedLines().join(kLineBreak); }

QString termSql(const QString& field, const QString& value, ResultSet::ColumnType type)
{
    const QString target = QLatin1Char('[') + field + QLatin1Char(']');
    if (value.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return target + QStringLiteral(" IS NULL");
    const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\''));
    if (!quoted) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw DatabaseError(QStringLiteral("Неверное значение в условии фильтра: %1").arg(value));
        return target + QStringLiteral(" = ") + SqlValue::number(number);
    }
    const QString text = value.mid(1, value.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    if (type == ResultSet::ColumnType::DateTime) {
        QDateTime moment = SqlValue::parseDateTime(text);
        if (!moment.isValid())
            moment = QDateTime(QDate::fromString(text, QStringLiteral("dd.MM.yyyy")), QTime(0, 0));
        if (moment.isValid())
            return target + QStringLiteral(" = ") + SqlValue::quoted(SqlValue::dateTimeText(moment));
    }
    // The list's filter compares texts without regard to letter case; so does the count. A number
    // given in quotes is compared as it stands: the server has no letter case for numbers.
    if (type == ResultSet::ColumnType::Integer || type == ResultSet::ColumnType::Real)
        return target + QStringLiteral(" = ") + SqlValue::quoted(text);
    return target + QStringLiteral(" = ") + SqlValue::quoted(text) + QStringLiteral(" COLLATE UNICODE_NOCASE");
}

QString restriction(const QString& anchorConditions, const QString& clientFilter, const TypeOf& typeOf)
{
    QStringList parts;
    if (!anchorConditions.trimmed().isEmpty())
        parts.append(anchorConditions.trimmed());
    for (const Dataset::FilterTermText& term : Dataset::filterTerms(clientFilter))
        parts.append(termSql(term.field, term.value, typeOf ? typeOf(term.field) : ResultSet::ColumnType::Text));
    return parts.join(QStringLiteral(" and "));
}

QString withRestriction(const QString& saved, const QString& restriction)
{
    if (restriction.isEmpty())
        return saved;
    QStringList lines = saved.split(kLineBreak);
    lines.insert(std::min<qsizetype>(2, lines.size()), QStringLiteral("where ") + restriction);
    return lines.join(kLineBreak);
}

} // namespace PivotQuery
