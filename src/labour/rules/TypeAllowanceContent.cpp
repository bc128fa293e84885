#include "labour/rules/TypeAllowanceContent.h"

#include "data/Field.h"
#include "labour/rules/FigureFormats.h"

#include <QSet>
#include <cmath>

namespace {

double round6(double value) { return std::round(value * 1e6) / 1e6; }

bool isKey(const QVariant& value) { return value.isValid() && !value.isNull(); }

QString hoursText(const QVariant& hours) { return Field::formatValue(hours, FigureFormats::of(QStringLiteral("Value"))); }

} // namespace

std::vector<TypeAllowanceContent::Choice> TypeAllowanceContent::offeredServices(const std::vector<ServiceListRow>& rows)
{
    std::vector<Choice> offered;
    for (const ServiceListRow& row : rows)
        if (isKey(row.id))
            offered.push_back({row.id.toLongLong(), row.name});
    return offered;
}

std::vector<TypeAllowanceContent::Choice> TypeAllowanceContent::offeredCategories(const std::vector<Category>& categories)
{
    std::vector<Choice> offered;
    for (const Category& c : categories)
        offered.push_back({c.id, c.name});
    return offered;
}

std::vector<TypeAllowanceContent::Choice> TypeAllowanceContent::shown(const std::vector<Choice>& offered, int max,
                                                                      const std::optional<std::vector<Choice>>& answer)
{
    const std::vector<Choice>& from = (needsChoice(offered, max) && answer) ? *answer : offered;
    return std::vector<Choice>(from.begin(), from.begin() + std::min<qsizetype>(max, qsizetype(from.size())));
}

std::vector<TypeAllowanceContent::Type> TypeAllowanceContent::typesWithFigures(const std::vector<Type>& types,
                                                                                const std::vector<Choice>& services,
                                                                                const std::vector<ServiceRow>& serviceRows)
{
    QSet<qint64> shownServices;
    for (const Choice& service : services)
        shownServices.insert(service.key);
    QSet<qint64> served;
    for (const ServiceRow& row : serviceRows)
        if (isKey(row.serviceId) && shownServices.contains(row.serviceId.toLongLong()))
            served.insert(row.typeId);
    std::vector<Type> kept;
    for (const Type& type : types) {
        bool counted = false;
        const double devices = QString(type.count).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&counted);
        if ((counted && devices != 0) || served.contains(type.id)) {
            kept.push_back(type);
            kept.back().recN = QString::number(kept.size());
        }
    }
    return kept;
}

QString TypeAllowanceContent::totalText(double sum)
{
    return sum == 0 ? QString() : hoursText(QVariant(sum));
}

TypeAllowanceContent::TypeAllowanceContent(const std::vector<Choice>& services, const std::vector<Choice>& categories,
                                           const std::vector<Category>& allCategories, const std::vector<Type>& types,
                                           const std::vector<ServiceRow>& serviceRows, const std::vector<Share>& shares)
{
    m_serviceCount = std::min(MaxServices, int(services.size()));
    for (int k = 0; k < m_serviceCount; ++k)
        m_titles[size_t(k)] = services[size_t(k)].text;
    const int lineCount = std::min(MaxCategories, int(categories.size()));
    QHash<qint64, QString> gradeOf;
    for (const Category& c : allCategories)
        gradeOf.insert(c.id, c.grade);
    for (int j = 0; j < lineCount; ++j)
        m_grades.push_back(gradeOf.value(categories[size_t(j)].key));

    // The first service row of each (type, service) and the shares of each service row, as the
    // grids would find them.
    QHash<QPair<qint64, qint64>, const ServiceRow*> rowOf;
    for (const ServiceRow& row : serviceRows) {
        const QPair<qint64, qint64> key{row.typeId, row.serviceId.toLongLong()};
        if (isKey(row.serviceId) && !rowOf.contains(key))
            rowOf.insert(key, &row);
    }
    QHash<qint64, std::vector<const Share*>> sharesOf;
    for (const Share& share : shares)
        sharesOf[share.serviceRowId].push_back(&share);

    std::vector<std::array<double, MaxServices>> hourSums(size_t(lineCount), std::array<double, MaxServices>{});
    std::vector<std::array<bool, MaxServices>> hoursFound(size_t(lineCount), std::array<bool, MaxServices>{});
    m_types.reserve(types.size());
    for (const Type& type : types) {
        TypeBlock block;
        block.type = type;
        std::array<const ServiceRow*, MaxServices> rows{};
        for (int k = 0; k < m_serviceCount; ++k) {
            const auto found = rowOf.constFind({type.id, services[size_t(k)].key});
            if (found == rowOf.constEnd())
                continue;
            rows[size_t(k)] = found.value();
            block.serviceSlots[size_t(k)] = {found.value()->rateTime, found.value()->repetition};
        }
        for (int j = 0; j < lineCount; ++j) {
            Line line;
            line.grade = m_grades[size_t(j)];
            double sum = 0;
            for (int k = 0; k < m_serviceCount; ++k) {
                if (!rows[size_t(k)])
                    continue;
                for (const Share* share : sharesOf.value(rows[size_t(k)]->id)) {
                    if (!isKey(share->categoryId) || share->categoryId.toLongLong() != categories[size_t(j)].key)
                        continue;
                    line.hours[size_t(k)] = hoursText(share->value);
                    const double value = share->value.toDouble();
                    sum += value;
                    hourSums[size_t(j)][size_t(k)] += value;
                    hoursFound[size_t(j)][size_t(k)] = true;
                    break;
                }
            }
            line.total = totalText(sum);
            block.lines.push_back(line);
        }
        m_types.push_back(std::move(block));
    }

    for (int j = 0; j < lineCount; ++j) {
        Line line;
        line.grade = m_grades[size_t(j)];
        double sum = 0;
        for (int k = 0; k < m_serviceCount; ++k) {
            if (!hoursFound[size_t(j)][size_t(k)])
                continue;
            const double hours = round6(hourSums[size_t(j)][size_t(k)]);
            line.hours[size_t(k)] = hoursText(QVariant(hours));
            sum += hours;
        }
        line.total = totalText(round6(sum));
        m_totals.push_back(line);
    }
}
