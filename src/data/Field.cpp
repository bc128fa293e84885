#include "data/Field.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {
QString formatNumber(double value, const QString& pattern)
{
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (pattern.isEmpty()) {
        QString text = russian.toString(value, 'f', 6);
        if (text.contains(russian.decimalPoint())) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(russian.decimalPoint()))
                text.chop(1);
        }
        return text.remove(russian.groupSeparator());
    }
    const int point = pattern.indexOf(QLatin1Char('.'));
    const QString decimals = point < 0 ? QString() : pattern.mid(point + 1);
    const int maxDigits = int(decimals.size());
    const int minDigits = int(decimals.count(QLatin1Char('0')));
    QString text = russian.toString(value, 'f', maxDigits).remove(russian.groupSeparator());
    if (maxDigits > minDigits) {
        int canDrop = maxDigits - minDigits;
        while (canDrop-- > 0 && text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(russian.decimalPoint()))
            text.chop(1);
    }
    return text;
}
} // namespace

QString Field::formatValue(const QVariant& value, const QString& displayFormat)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("dd.MM.yyyy"))
                                            : moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Double:
    case QMetaType::Float:
        return formatNumber(value.toDouble(), displayFormat);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return displayFormat.isEmpty() ? value.toString() : formatNumber(value.toDouble(), displayFormat);
    default:
        return value.toString();
    }
}

QString Field::displayText(const QVariant& value) const { return formatValue(value, m_displayFormat); }

int Field::declaredLength(const QString& declaredType)
{
    static const QRegularExpression size(QStringLiteral("^\\s*\\w*char\\w*\\s*\\(\\s*(\\d+)\\s*\\)|^\\s*text\\s*\\(\\s*(\\d+)\\s*\\)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = size.match(declaredType);
    if (!m.hasMatch())
        return 0;
    return (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toInt();
}

int Field::characterCount(const QString& text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text[i].isLowSurrogate())
            ++count;
    return count;
}
