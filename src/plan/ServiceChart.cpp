#include "plan/ServiceChart.h"

#include "plan/rules/ServicePivot.h"
#include "text/StrList.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QColor>
#include <QLegend>
#include <QValueAxis>
#include <algorithm>

namespace ServiceChart {

QColor colourOf(const QString& shortName)
{
    // Distinct, print-friendly colours; red first, the colour of a single service.
    static const QColor palette[] = {QColor(0xd6, 0x27, 0x28), QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c),
                                     QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                     QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
                                     QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x33, 0x66), QColor(0x66, 0x99, 0x00)};
    // FNV-1a over the name: the same name gets the same colour in every run and every selection.
    quint32 hash = 2166136261u;
    for (const QChar c : shortName) {
        hash ^= c.unicode();
        hash *= 16777619u;
    }
    return palette[hash % std::size(palette)];
}

void fill(QChart* chart, const ServicePivot& pivot)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);

    auto* series = new QBarSeries;
    qint64 highest = 0;
    for (int row = 0; row < pivot.rowCount(); ++row) {
        auto* set = new QBarSet(pivot.rowTitle(row));
        set->setColor(colourOf(pivot.rowTitle(row)));
        set->setBorderColor(set->color().darker(130));
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
