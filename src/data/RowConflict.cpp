#include "data/RowConflict.h"

#include "data/SqlValue.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace RowConflict {
namespace {

bool isEmptyValue(const QVariant& v)
{
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool isMoment(const QVariant& v)
{
    return v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate;
}

QDateTime momentOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    return SqlValue::parseDateTime(v.toString());
}

QString listed(const QList<ChangedColumn>& changes)
{
    QStringList lines;
    for (const ChangedColumn& change : changes)
        lines.append(QStringLiteral("%1: %2").arg(change.caption, change.current));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

bool sameStoredValue(const QVariant& a, const QVariant& b)
{
    const bool aEmpty = isEmptyValue(a);
    const bool bEmpty = isEmptyValue(b);
    if (aEmpty || bEmpty)
        return aEmpty && bEmpty;
    if (isNumber(a) || isNumber(b)) {
        bool aOk = false;
        bool bOk = false;
        const double x = a.toDouble(&aOk);
        const double y = b.toDouble(&bOk);
        if (aOk && bOk)
            return std::abs(x - y) <= 1e-6 * std::max({1.0, std::abs(x), std::abs(y)});
    }
    if (isMoment(a) || isMoment(b)) {
        const QDateTime x = momentOf(a);
        const QDateTime y = momentOf(b);
        // Compared as written, not as instants: a date typed in the form and the same date read
        // back may carry different time specs.
        if (x.isValid() && y.isValid())
            return x.date() == y.date() && x.time().msecsSinceStartOfDay() / 1000 == y.time().msecsSinceStartOfDay() / 1000;
    }
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    return a.toString() == b.toString();
}

QString changedBeforeSaveText(const QList<ChangedColumn>& changes)
{
    return QStringLiteral("Другой пользователь изменил эту запись, пока вы её правили. Сейчас в базе данных:\n%1\n\n"
                          "Ваши значения остались в форме. Сохраните запись ещё раз, чтобы записать их поверх, "
                          "или отмените правку, чтобы оставить значения из базы данных.")
        .arg(listed(changes));
}

QString changedBeforeDeleteText(const QList<ChangedColumn>& changes)
{
    return QStringLiteral("Другой пользователь изменил эту запись после того, как она была прочитана. Сейчас в базе "
                          "данных:\n%1\n\nЗапись не удалена. Она показана с новыми значениями: удалите её ещё раз, "
                          "если она всё же не нужна.")
        .arg(listed(changes));
}

QString overwriteQuestion(const QList<Overwrite>& overwrites)
{
    QStringList lines;
    for (const Overwrite& o : overwrites)
        lines.append(QStringLiteral("%1: ваше значение «%2», в базе данных «%3»").arg(o.yours.caption, o.yours.current, o.theirs));
    return QStringLiteral("Другой пользователь сохранил в этой записи другие значения:\n%1\n\n"
                          "Записать ваши значения поверх? «Нет» оставит значения из базы данных, а остальные "
                          "ваши изменения будут сохранены.")
        .arg(lines.join(QLatin1Char('\n')));
}

} // namespace RowConflict
