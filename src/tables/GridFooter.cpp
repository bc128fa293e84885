#include "tables/GridFooter.h"

#include "data/Dataset.h"
#include "data/Field.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <QTableView>
#include <cmath>

GridFooter::GridFooter(QTableView* grid, Dataset* dataset, const QStringList& summedFields, QWidget* parent)
    : QWidget(parent), m_grid(grid), m_dataset(dataset), m_fields(summedFields)
{
    setObjectName(grid->objectName() + QStringLiteral("Footer"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (auto signal : {&Dataset::rowsReplaced, &Dataset::fieldsChanged, &Dataset::posted, &Dataset::controlsEnabled})
        connect(dataset, signal, this, &GridFooter::recount);
    connect(dataset, &Dataset::rowChanged, this, &GridFooter::recount);
    connect(dataset, &Dataset::rowRemoved, this, &GridFooter::recount);
    QHeaderView* header = grid->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::sectionMoved, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::geometriesChanged, this, qOverload<>(&QWidget::update));
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    recount();
}

void GridFooter::recount()
{
    m_sums.clear();
    for (const QString& name : m_fields) {
        double total = 0;
        const int index = m_dataset ? m_dataset->fieldIndex(name) : -1;
        if (index >= 0 && m_dataset->isActive())
            for (int row = 0; row < m_dataset->recordCount(); ++row) {
                const QVariant v = m_dataset->valueAt(row, index);
                if (!v.isNull())
                    total += v.toDouble();
            }
        // Sums of six-place decimals keep six places.
        m_sums.append(std::round(total * 1e6) / 1e6);
    }
    update();
}

double GridFooter::sum(const QString& field) const
{
    const int i = m_fields.indexOf(field);
    return i < 0 ? 0 : m_sums.value(i);
}

QString GridFooter::sumText(const QString& field) const
{
    if (!m_fields.contains(field))
        return {};
    const Field* f = m_dataset ? m_dataset->field(field) : nullptr;
    return Field::formatValue(sum(field), f ? f->displayFormat() : QString());
}

void GridFooter::setCountedFields(const QStringList& fields)
{
    m_counted = fields;
    update();
}

QString GridFooter::cellText(const QString& field) const
{
    if (m_counted.contains(field))
        return QString::number(m_dataset && m_dataset->isActive() ? m_dataset->recordCount() : 0);
    return sumText(field);
}

QSize GridFooter::sizeHint() const { return {100, fontMetrics().height() + 8}; }

void GridFooter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    if (!m_grid || !m_dataset)
        return;
    painter.setPen(palette().color(QPalette::WindowText));
    const QHeaderView* header = m_grid->horizontalHeader();
    const int offset = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
    for (const QString& name : m_fields + m_counted) {
        const int column = m_dataset->fieldIndex(name);
        if (column < 0 || header->isSectionHidden(column))
            continue;
        const QRect cell(offset + m_grid->frameWidth() + header->sectionViewportPosition(column), 0,
                         header->sectionSize(column), height());
        painter.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, cellText(name));
    }
}
