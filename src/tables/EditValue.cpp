#include "tables/EditValue.h"

#include "data/Field.h"
#include "tables/DateText.h"

#include <QDateTime>
#include <QIntValidator>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace EditValue {

QString editText(const QVariant& value)
{
    // Without a display format a number keeps all of its (at most six) decimals.
    return Field::formatValue(value);
}

std::optional<QVariant> parse(const QString& text, ResultSet::ColumnType type, const QVariant& previous)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || (type == ResultSet::ColumnType::DateTime && isBlankDate(t)))
        return QVariant();
    bool ok = false;
    switch (type) {
    case ResultSet::ColumnType::Integer: {
        const qlonglong number = t.toLongLong(&ok);
        return ok ? std::optional<QVariant>(number) : std::nullopt;
    }
    case ResultSet::ColumnType::Real: {
        const double number = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        return ok ? std::optional<QVariant>(number) : std::nullopt;
    }
    case ResultSet::ColumnType::DateTime: {
        const DateText::Reading reading = DateText::read(t);
        if (reading.verdict != DateText::Verdict::Date)
            return std::nullopt;
        const QDate day = reading.date;
        const QDateTime before = previous.toDateTime();
        return QVariant(QDateTime(day, before.isValid() ? before.time() : QTime(0, 0)));
    }
    default:
        return QVariant(text);
    }
}

QValidator* validatorFor(const ResultSet::ColumnInfo& column, QObject* parent)
{
    switch (column.type) {
    case ResultSet::ColumnType::Integer:
        if (column.declaredType.contains(QLatin1String("small"), Qt::CaseInsensitive))
            return new QIntValidator(-32768, 32767, parent);
        return new QIntValidator(parent);
    case ResultSet::ColumnType::Real:
        return new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("(-?(\\d{1,12}([.,]\\d{0,6})?|[.,]\\d{1,6}))?")), parent);
    default:
        return nullptr;
    }
}

QString dateMask() { return QStringLiteral("99.99.9999;_"); }

bool isBlankDate(const QString& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char('_') || c.isSpace(); });
}

QString dateTimeMask() { return QStringLiteral("99.99.9999 99:99:99;_"); }

QString dateTimeText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

std::optional<QVariant> parseDateTime(const QString& displayText)
{
    const auto blank = [](QStringView text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) {
            return c == QLatin1Char('.') || c == QLatin1Char(':') || c == QLatin1Char('_') || c.isSpace();
        });
    };
    // A part typed in full, -1 while a digit of it is missing.
    const auto number = [](QStringView part) {
        const bool full = std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
        return full ? part.toInt() : -1;
    };
    if (blank(displayText))
        return QVariant();
    if (displayText.size() != 19 || displayText.at(10) != QLatin1Char(' '))
        return std::nullopt;
    const QStringView date = QStringView(displayText).left(10);
    const QStringView time = QStringView(displayText).mid(11);
    const int year = number(date.mid(6, 4)), month = number(date.mid(3, 2)), day = number(date.left(2));
    if (year < 0 || month < 0 || day < 0 || !QDate(year, month, day).isValid())
        return std::nullopt;
    if (blank(time))
        return QVariant(QDateTime(QDate(year, month, day), QTime(0, 0)));
    const int hours = number(time.left(2)), minutes = number(time.mid(3, 2));
    const int seconds = blank(time.mid(6, 2)) ? 0 : number(time.mid(6, 2));
    if (hours < 0 || minutes < 0 || seconds < 0 || !QTime(hours, minutes, seconds).isValid())
        return std::nullopt;
    return QVariant(QDateTime(QDate(year, month, day), QTime(hours, minutes, seconds)));
}

} // namespace EditValue
