#include "data/SqlValue.h"

#include <QByteArray>
#include <cmath>

namespace SqlValue {

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Reads `count` decimal digits at `pos`; -1 when any of them is not a digit.
int digits(QStringView text, qsizetype pos, int count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[pos + i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// A trailing "Z" or "+hh:mm"/"-hh:mm" (what other ISO writers may leave); the offset in seconds.
bool readZone(QStringView rest, bool& hasZone, int& offsetSeconds)
{
    hasZone = false;
    offsetSeconds = 0;
    if (rest.isEmpty())
        return true;
    if (rest == QLatin1String("Z")) {
        hasZone = true;
        return true;
    }
    if ((rest[0] != QLatin1Char('+') && rest[0] != QLatin1Char('-')) || rest.size() != 6 || rest[3] != QLatin1Char(':'))
        return false;
    const int hours = digits(rest, 1, 2);
    const int minutes = digits(rest, 4, 2);
    if (hours < 0 || minutes < 0)
        return false;
    hasZone = true;
    offsetSeconds = (hours * 3600 + minutes * 60) * (rest[0] == QLatin1Char('-') ? -1 : 1);
    return true;
}

// "HH:mm[:ss[.fff]]" at the start of `text`; returns what follows it, or an invalid time.
QTime readTime(QStringView text, QStringView& rest)
{
    const int hour = digits(text, 0, 2);
    if (hour < 0 || text.size() < 5 || text[2] != QLatin1Char(':'))
        return {};
    const int minute = digits(text, 3, 2);
    if (minute < 0)
        return {};
    qsizetype pos = 5;
    int second = 0;
    int msec = 0;
    if (pos < text.size() && text[pos] == QLatin1Char(':')) {
        second = digits(text, pos + 1, 2);
        if (second < 0)
            return {};
        pos += 3;
        if (pos < text.size() && text[pos] == QLatin1Char('.')) {
            ++pos;
            int scale = 100;
            while (pos < text.size() && text[pos].isDigit()) {
                msec += (text[pos].unicode() - '0') * scale;
                scale /= 10;
                ++pos;
            }
        }
    }
    rest = text.mid(pos);
    return QTime(hour, minute, second, msec);
}

} // namespace

QString dateTimeText(const QDateTime& moment)
{
    if (!moment.isValid())
        return {};
    return moment.toString(kDateTimeFormat);
}

QString dateText(const QDate& day)
{
    if (!day.isValid())
        return {};
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

QDateTime parseDateTime(const QString& text)
{
    const QStringView view = QStringView(text).trimmed();
    if (view.size() < 10 || view[4] != QLatin1Char('-') || view[7] != QLatin1Char('-'))
        return {};
    const int year = digits(view, 0, 4);
    const int month = digits(view, 5, 2);
    const int day = digits(view, 8, 2);
    const QDate date(year, month, day);
    if (year < 0 || month < 0 || day < 0 || !date.isValid())
        return {};
    if (view.size() == 10)
        return QDateTime(date, QTime(0, 0));
    if (view[10] != QLatin1Char(' ') && view[10] != QLatin1Char('T'))
        return {};
    QStringView rest;
    const QTime time = readTime(view.mid(11), rest);
    bool hasZone = false;
    int offset = 0;
    if (!time.isValid() || !readZone(rest, hasZone, offset))
        return {};
    if (hasZone)
        return QDateTime(date, time, Qt::OffsetFromUTC, offset).toLocalTime();
    return QDateTime(date, time);
}

QString number(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("NULL");
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    // QString::number ignores the default locale, so the separator is always ".".
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString quoted(const QString& text)
{
    QString result;
    result.reserve(text.size() + 2);
    result += QLatin1Char('\'');
    for (const QChar c : text) {
        result += c;
        if (c == QLatin1Char('\''))
            result += c;
    }
    result += QLatin1Char('\'');
    return result;
}

QString literal(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return value.toString();
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    case QMetaType::QDate: {
        const QDate day = value.toDate();
        return day.isValid() ? quoted(dateText(day)) : QStringLiteral("NULL");
    }
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        return moment.isValid() ? quoted(dateTimeText(moment)) : QStringLiteral("NULL");
    }
    case QMetaType::QByteArray:
        return QStringLiteral("X'") + QString::fromLatin1(value.toByteArray().toHex()) + QLatin1Char('\'');
    default:
        return quoted(value.toString());
    }
}

QVariant toStorage(const QVariant& value)
{
    if (value.isNull())
        return value;
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate day = value.toDate();
        return day.isValid() ? QVariant(dateText(day)) : QVariant();
    }
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        return moment.isValid() ? QVariant(dateTimeText(moment)) : QVariant();
    }
    default:
        return value;
    }
}

MonthsDays splitInterval(double rtMon)
{
    if (!std::isfinite(rtMon))
        return {};
    // Millionths, the column's scale: 2.149999999... becomes exactly 2150000.
    const long long micro = std::llround(rtMon * 1e6);
    const long long wholeMonths = micro / 1000000;
    const long long fraction = micro % 1000000; // same sign as the value
    MonthsDays result;
    result.months = int(wholeMonths);
    result.days = int(fraction / 10000);
    return result;
}

} // namespace SqlValue
