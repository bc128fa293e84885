#include "data/Field.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {

// Digits after the decimal point of a display format: "0.##" at most two, dropping trailing zeros;
// "0.00" exactly two; no format: at most six.
struct Decimals {
    int most = 6;
    int least = 0;
};

Decimals decimalsOf(const QString& pattern)
{
    if (pattern.isEmpty())
        return {};
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QStringView decimals = point < 0 ? QStringView() : QStringView(pattern).mid(point + 1);
    return {int(decimals.size()), int(decimals.count(QLatin1Char('0')))};
}

// True when `value` lies exactly halfway between two numbers of `digits` decimals (2.5, 0.125).
// Such a value is a whole number ending in 5 once scaled by 10^(digits + 1), and the scaling is
// exact for it; the check with the digits written out rules out values merely close to it.
bool isHalfway(double value, int digits)
{
    static constexpr double powers[] = {1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
    const double magnitude = std::fabs(value);
    if (digits == 0) {
        double whole;
        return std::modf(magnitude, &whole) == 0.5;
    }
    if (digits >= int(std::size(powers)))
        return false;
    // Beyond 2^53 the scaling may round; those rare large values take the exact check only.
    const double scaled = magnitude * powers[digits];
    if (scaled < 9007199254740992.0 && (scaled != std::floor(scaled) || std::fmod(scaled, 10.0) != 5.0))
        return false;
    char exact[400];
    const auto written = std::to_chars(exact, exact + sizeof exact, value, std::chars_format::fixed, digits + 40);
    if (written.ec != std::errc())
        return false;
    const char* const five = written.ptr - 40; // decimal place digits + 1
    return *five == '5' && std::all_of(five + 1, static_cast<const char*>(written.ptr), [](char c) { return c == '0'; });
}

// Adds one unit in the last place to the digits in [begin, end) ("0,12" -> "0,13", "9,99" -> "10,00"),
// the sign and the comma left where they are.
void roundAwayFromZero(QByteArray& out, qsizetype begin)
{
    qsizetype i = out.size() - 1;
    for (; i >= begin; --i) {
        char& c = out[i];
        if (c < '0' || c > '9')
            continue;
        if (c != '9') {
            ++c;
            return;
        }
        c = '0';
    }
    const qsizetype first = begin < out.size() && out[begin] == '-' ? begin + 1 : begin;
    out.insert(first, '1');
}

} // namespace

void Field::appendNumber(QByteArray& out, double value, const QString& displayFormat)
{
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    if (value == 0)
        value = 0; // no "-0" for a negative zero; a negative value too small to show keeps its sign
    const Decimals decimals = decimalsOf(displayFormat);
    const qsizetype begin = out.size();
    char digits[400];
    // Halfway cases round away from zero (2.5 -> 3, 0.125 -> 0,13) like the rest of the program's
    // display; the library rounds them to even, so they are cut one place later and rounded here.
    const bool halfway = isHalfway(value, decimals.most);
    const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed,
                                       halfway ? decimals.most + 1 : decimals.most);
    out.append(digits, written.ptr - digits - (halfway ? 1 : 0));
    if (halfway) {
        if (decimals.most == 0 && out.endsWith('.'))
            out.chop(1);
        roundAwayFromZero(out, begin);
    }
    if (decimals.most == 0)
        return;
    const qsizetype point = out.lastIndexOf('.');
    int canDrop = decimals.most - decimals.least;
    while (canDrop-- > 0 && out.endsWith('0'))
        out.chop(1);
    if (out.endsWith('.'))
        out.chop(1);
    else if (point >= begin)
        out[point] = ',';
}

void Field::appendInteger(QByteArray& out, qint64 value, const QString& displayFormat)
{
    if (!displayFormat.isEmpty())
        return appendNumber(out, double(value), displayFormat);
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, written.ptr - digits);
}

void Field::appendMoment(QByteArray& out, int year, int month, int day, int hour, int minute, int second)
{
    char text[32];
    auto two = [](char* at, int n) {
        at[0] = char('0' + n / 10 % 10);
        at[1] = char('0' + n % 10);
    };
    two(text, day);
    text[2] = '.';
    two(text + 3, month);
    text[5] = '.';
    int length = 6;
    if (year >= 0 && year <= 9999) {
        two(text + 6, year / 100);
        two(text + 8, year % 100);
        length = 10;
    } else {
        length += int(std::to_chars(text + 6, text + 20, year).ptr - (text + 6));
    }
    if (hour != 0 || minute != 0 || second != 0) {
        text[length] = ' ';
        two(text + length + 1, hour);
        text[length + 3] = ':';
        two(text + length + 4, minute);
        text[length + 6] = ':';
        two(text + length + 7, second);
        length += 9;
    }
    out.append(text, length);
}

QString Field::formatValue(const QVariant& value, const QString& displayFormat)
{
    if (value.isNull())
        return {};
    QByteArray text;
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        const QDate d = moment.date();
        const QTime t = moment.time();
        appendMoment(text, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
        return QString::fromLatin1(text);
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        appendMoment(text, d.year(), d.month(), d.day(), 0, 0, 0);
        return QString::fromLatin1(text);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        appendNumber(text, value.toDouble(), displayFormat);
        return QString::fromLatin1(text);
    case QMetaType::Int:
    case QMetaType::LongLong:
        appendInteger(text, value.toLongLong(), displayFormat);
        return QString::fromLatin1(text);
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
