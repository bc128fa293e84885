#include "labour/rules/NormAccContent.h"

#include "data/Field.h"
#include "labour/rules/FigureFormats.h"

#include <algorithm>
#include <cmath>

namespace {

// A row without a category first, as the grid sorts an empty key.
bool keyBefore(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    return a.toLongLong() < b.toLongLong();
}

QString text(const QVariant& value, const char* column)
{
    return Field::formatValue(value, FigureFormats::of(QString::fromLatin1(column)));
}

// Summed from the stored figures, rounded once as the column shows them.
QString sumText(double sum, const char* column) { return text(QVariant(std::round(sum * 1e6) / 1e6), column); }

} // namespace

NormAccContent::NormAccContent(std::vector<Row> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return keyBefore(a.categoryKey, b.categoryKey); });
    double planHour = 0, extPlan = 0, yearPlan = 0, required = 0;
    for (const Row& row : rows) {
        m_lines.push_back({row.category, text(row.planHour, "PlanHour"), text(row.extPlanPercent, "ExtPlanPC"),
                           text(row.extPlan, "ExtPlan"), text(row.yearPlan, "YearPlan"),
                           text(row.planPerEmployee, "PlanP1E"), text(row.required, "Required")});
        planHour += row.planHour.toDouble();
        extPlan += row.extPlan.toDouble();
        yearPlan += row.yearPlan.toDouble();
        required += row.required.toDouble();
    }
    m_totals = {QString(), sumText(planHour, "PlanHour"), QString(), sumText(extPlan, "ExtPlan"),
                sumText(yearPlan, "YearPlan"), QString(), sumText(required, "Required")};
}
