#include "devices/import/ImportValues.h"

#include "devices/import/TableSource.h"

#include <QRegularExpression>
#include <cmath>

namespace ImportValues {

DateValue date(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::QDate)
        return {cell.toDate(), {}};
    const QString text = cellText(cell).trimmed();
    if (text.isEmpty())
        return {};
    if (cell.typeId() == QMetaType::Double)
        return {{}, QStringLiteral("число %1 вместо даты").arg(text)};
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})[./](\\d{1,2})[./](\\d{2}|\\d{4})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    int day = 0, month = 0, year = 0;
    if (const auto m = dotted.match(text); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 50 ? 2000 : 1900;
    } else if (const auto m2 = iso.match(text); m2.hasMatch()) {
        year = m2.captured(1).toInt();
        month = m2.captured(2).toInt();
        day = m2.captured(3).toInt();
    } else {
        return {{}, QStringLiteral("«%1» не дата (ожидается ДД.ММ.ГГГГ)").arg(text.left(40))};
    }
    const QDate result(year, month, day);
    if (!result.isValid() || year < 1753)
        return {{}, QStringLiteral("даты %1 не существует").arg(text)};
    return {result, {}};
}

NumberValue number(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double)
        return {cell.toDouble(), {}};
    QString text = cellText(cell).trimmed();
    if (text.isEmpty())
        return {};
    QString compact;
    for (const QChar c : text)
        if (!c.isSpace() && c != QChar(0x00A0) && c != QChar(0x202F))
            compact += c;
    compact.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression plain(QStringLiteral("^[-+]?(\\d+\\.?\\d*|\\.\\d+)$"));
    bool ok = false;
    const double value = plain.match(compact).hasMatch() ? compact.toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(value))
        return {std::nullopt, QStringLiteral("«%1» не число").arg(text.left(40))};
    return {value, {}};
}

QString nameKey(const QString& name) { return name.trimmed().toCaseFolded(); }

} // namespace ImportValues
