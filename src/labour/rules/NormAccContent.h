#pragma once

#include <QString>
#include <QVariant>
#include <vector>

// What the norm report prints for one crew: its norm-state rows in the order of their category's
// key, as the norm-state grid shows them, and the totals of the planned hours, the additional
// hours, the annual volume and the staff required.
class NormAccContent {
public:
    struct Row {
        QVariant categoryKey;
        QString category;
        QVariant planHour;
        QVariant extPlanPercent;
        QVariant extPlan;
        QVariant yearPlan;
        QVariant planPerEmployee;
        QVariant required;
    };
    // The texts of one printed line, in column order.
    using Line = std::vector<QString>;
    static constexpr int ColumnCount = 7;

    explicit NormAccContent(std::vector<Row> rows);

    const std::vector<Line>& lines() const { return m_lines; }
    // The totals line: empty texts under the columns that are not summed.
    const Line& totals() const { return m_totals; }

private:
    std::vector<Line> m_lines;
    Line m_totals;
};
