#include "labour/rules/NormAccContent.h"

#include "data/Field.h"

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

QString sumText(double sum) { return Field::formatValue(QVariant(std::round(sum * 1e6) / 1e6)); }

} // namespace

NormAccContent::NormAccContent(std::vector<Row> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return keyBefore(a.categoryKey, b.categoryKey); });
    double planHour = 0, extPlan = 0, yearPlan = 0, required = 0;
    for (const Row& row : rows) {
        m_lines.push_back({row.category, Field::formatValue(row.planHour), Field::formatValue(row.extPlanPercent),
                           Field::formatValue(row.extPlan), Field::formatValue(row.yearPlan),
                           Field::formatValue(row.planPerEmployee), Field::formatValue(row.required)});
        planHour += row.planHour.toDouble();
        extPlan += row.extPlan.toDouble();
        yearPlan += row.yearPlan.toDouble();
        required += row.required.toDouble();
    }
    m_totals = {QString(), sumText(planHour), QString(), sumText(extPlan), sumText(yearPlan), QString(),
                sumText(required)};
}
