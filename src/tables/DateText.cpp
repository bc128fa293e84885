#include "tables/DateText.h"

#include "tables/DateRangeExpression.h"
#include "text/StrList.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

bool noDigits(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

DateText::Reading DateText::read(const QString& text) { return readWith(text, 4); }

DateText::Reading DateText::readShort(const QString& text) { return readWith(text, 2); }

DateText::Reading DateText::readWith(const QString& text, int yearDigits)
{
    if (noDigits(text))
        return {Verdict::Blank, {}};
    static const QRegularExpression longShape(QStringLiteral("^\\s*(\\d\\d)\\.(\\d\\d)\\.(\\d{4})\\s*$"));
    static const QRegularExpression shortShape(QStringLiteral("^\\s*(\\d\\d)\\.(\\d\\d)\\.(\\d\\d)\\s*$"));
    const QRegularExpressionMatch match = (yearDigits == 4 ? longShape : shortShape).match(text);
    if (!match.hasMatch())
        return {Verdict::Incomplete, {}};
    const int year = match.captured(3).toInt();
    // QDate has no year 0: "0000" is refused with the rest of the impossible dates.
    const QDate date(yearDigits == 4 ? year : DateRangeExpression::fullYear(year), match.captured(2).toInt(), match.captured(1).toInt());
    if (!date.isValid())
        return {Verdict::Impossible, {}};
    return {Verdict::Date, date};
}

DateText::Reading DateText::readYear(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {Verdict::Blank, {}};
    static const QRegularExpression shape(QStringLiteral("^\\d{4}$"));
    if (!shape.match(t).hasMatch())
        return {Verdict::Incomplete, {}};
    const QDate first(t.toInt(), 1, 1);
    return first.isValid() ? Reading{Verdict::Date, first} : Reading{Verdict::Impossible, {}};
}

QString DateText::refusal(const Reading& reading, const QString& text, const QString& caption)
{
    const QString shown = text.trimmed();
    const QString what = reading.verdict == Verdict::Impossible ? FormatText(Str::DateImpossible, shown)
                                                                : FormatText(Str::DateIncomplete, shown);
    return caption.isEmpty() ? what : FormatText(Str::DateInField, caption, what);
}
