#include "plan/ServiceChart.h"

#include "plan/ServicePalette.h"
#include "plan/rules/ServicePivot.h"
#include "text/StrList.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBrush>
#include <QChart>
#include <QColor>
#include <QLegend>
#include <QValueAxis>
#include <algorithm>

namespace ServiceChart {

void fill(QChart* chart, const ServicePivot& pivot)
{
    chart->removeAllSeries();
    // A removed axis is handed back, not deleted: the chart is filled on every show of its page.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }

    auto* series = new QBarSeries;
    qint64 highest = 0;
    for (int row = 0; row < pivot.rowCount(); ++row) {
        auto* set = new QBarSet(pivot.rowTitle(row));
        const ServicePalette::Fill fill = ServicePalette::fillOf(row);
        set->setBrush(QBrush(fill.colour, fill.pattern));
        set->setBorderColor(fill.colour.darker(130));
        for (int column = 0; column < pivot.columnCount(); ++column) {
            const qint64 value = pivot.value(row, column);
            highest = std::max(highest, value);
            *set << double(value);
        }
        series->append(set);
    }
    chart->addSeries(series);

    auto* months = new QBarCategoryAxis;
    for (int column = 0; column < pivot.columnCount(); ++column)
        months->append(QString::number(pivot.month(column)));
    months->setTitleText(Text(Str::PlanColMonth));
    chart->addAxis(months, Qt::AlignBottom);
    series->attachAxis(months);

    auto* amount = new QValueAxis;
    amount->setTitleText(Text(Str::PlanChartAmount));
    amount->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(amount, Qt::AlignLeft);
    series->attachAxis(amount);
    // Counts are whole numbers: ticks at a whole step of 1, 2 or 5 times a power of ten, at most
    // ten of them. Set after attaching, which fits the axis to the series again.
    const qint64 top = std::max<qint64>(highest, 1);
    qint64 step = 1;
    for (qint64 scale = 1; top / step > 10; scale *= 10)
        for (const qint64 factor : {1, 2, 5})
            if (top / step > 10)
                step = factor * scale;
    amount->setTickType(QValueAxis::TicksDynamic);
    amount->setTickAnchor(0);
    amount->setTickInterval(double(step));
    amount->setRange(0, double((top + step - 1) / step * step));

    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignRight);
}

} // namespace ServiceChart
