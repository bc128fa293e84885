#include "tables/DateRangeExpression.h"

#include <QRegularExpression>

namespace DateRangeExpression {

namespace {
QString quotedDay(const QDate& day)
{
    return QLatin1Char('\'') + day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1String(" 00:00:00'");
}
} // namespace

bool isBlank(const QString& text)
{
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            return false;
    return true;
}

int fullYear(int twoDigits) { return twoDigits < 50 ? 2000 + twoDigits : 1900 + twoDigits; }

std::optional<QDate> parseShortDate(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\d\\d)\\.(\\d\\d)\\.(\\d\\d)\\s*$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int yy = match.captured(3).toInt();
    const QDate date(fullYear(yy), match.captured(2).toInt(), match.captured(1).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString fromTexts(const QString& fromText, const QString& toText)
{
    std::optional<QDate> from, to;
    if (!isBlank(fromText)) {
        from = parseShortDate(fromText);
        if (!from)
            return {};
    }
    if (!isBlank(toText))
        to = parseShortDate(toText);
    const QString q = QStringLiteral("'");
    if (from && to) {
        if (*from < *to)
            return QStringLiteral(">= '") + fromText + QStringLiteral("' and ") + QStringLiteral(" <='") + toText + q;
        if (*from == *to)
            return QStringLiteral("= '") + fromText + q;
        return QStringLiteral(">= '") + toText + QStringLiteral("' and ") + QStringLiteral(" <= '") + fromText + q;
    }
    if (from)
        return QStringLiteral(">= '") + fromText + q;
    if (to)
        return QStringLiteral("<= '") + toText + q;
    return {};
}

std::optional<Range> parse(const QString& expression)
{
    static const QRegularExpression term(QStringLiteral("^\\s*(>=|<=|=)\\s*'([^']*)'\\s*"));
    static const QRegularExpression joint(QStringLiteral("^and\\s+"), QRegularExpression::CaseInsensitiveOption);
    Range range;
    QString rest = expression;
    for (int terms = 0; terms < 2; ++terms) {
        const QRegularExpressionMatch match = term.match(rest);
        if (!match.hasMatch())
            return std::nullopt;
        const std::optional<QDate> day = parseShortDate(match.captured(2));
        if (!day)
            return std::nullopt;
        const QString op = match.captured(1);
        if (terms == 1 && op != QLatin1String("<="))
            return std::nullopt;
        if (op != QLatin1String("<="))
            range.from = day;
        if (op != QLatin1String(">="))
            range.to = day;
        rest = rest.mid(match.capturedLength());
        if (rest.isEmpty())
            return range;
        const QRegularExpressionMatch and_ = joint.match(rest);
        if (terms > 0 || op == QLatin1String("=") || !and_.hasMatch())
            return std::nullopt;
        rest = rest.mid(and_.capturedLength());
    }
    return std::nullopt;
}

QString condition(const QString& expression, const QString& column)
{
    const std::optional<Range> range = parse(expression);
    if (!range)
        return {};
    QStringList parts;
    if (range->from)
        parts << column + QStringLiteral(" >= ") + quotedDay(*range->from);
    if (range->to)
        parts << column + QStringLiteral(" < ") + quotedDay(range->to->addDays(1));
    return parts.join(QStringLiteral(" and "));
}

} // namespace DateRangeExpression
