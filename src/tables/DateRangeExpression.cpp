#include "tables/DateRangeExpression.h"

#include "tables/DateText.h"

namespace DateRangeExpression {

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
    const DateText::Reading reading = DateText::readShort(text);
    return reading.verdict == DateText::Verdict::Date ? std::optional<QDate>(reading.date) : std::nullopt;
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

} // namespace DateRangeExpression
