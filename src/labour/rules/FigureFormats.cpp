#include "labour/rules/FigureFormats.h"

#include "data/Dataset.h"

#include <QHash>

namespace FigureFormats {

namespace {

const QString kHours = QStringLiteral("0.00");
const QString kUpToTwo = QStringLiteral("0.##");

const QHash<QString, QString>& formats()
{
    static const QHash<QString, QString> table = {
        // hours
        {QStringLiteral("value"), kHours},
        {QStringLiteral("rt_pc"), kHours},
        {QStringLiteral("rcount"), kHours},
        {QStringLiteral("planhour"), kHours},
        {QStringLiteral("extplan"), kHours},
        {QStringLiteral("yearplan"), kHours},
        {QStringLiteral("planp1e"), kHours},
        {QStringLiteral("dayfundp1e"), kHours},
        {QStringLiteral("lenth"), kHours},
        // employees required: a share of people, read as hours are
        {QStringLiteral("required"), kHours},
        // days, percents, repetitions per year, intervals in months
        {QStringLiteral("dayfundnum"), kUpToTwo},
        {QStringLiteral("dayfundrez"), kUpToTwo},
        {QStringLiteral("lostdayused"), kUpToTwo},
        {QStringLiteral("lostdayusedpc"), kUpToTwo},
        {QStringLiteral("lostdaymiscpc"), kUpToTwo},
        {QStringLiteral("lostdaysumpc"), kUpToTwo},
        {QStringLiteral("extplanpc"), kUpToTwo},
        {QStringLiteral("rt"), kUpToTwo},
        {QStringLiteral("rt_mon"), kUpToTwo},
    };
    return table;
}

void apply(Dataset& dataset)
{
    for (const auto& field : dataset.fields()) {
        const QString format = of(field->name());
        if (!format.isEmpty())
            field->setDisplayFormat(format);
    }
}

} // namespace

QString of(const QString& column) { return formats().value(column.toLower()); }

void follow(Dataset& dataset)
{
    dataset.afterOpen.connect([](Dataset& d) { apply(d); });
    if (dataset.isActive())
        apply(dataset);
}

} // namespace FigureFormats
