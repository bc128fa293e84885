#include "plan/YearUpDown.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

YearUpDown::YearUpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [this, layout](Qt::ArrowType arrow, const QString& name, int step) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        connect(button, &QToolButton::clicked, this, [this, step] { stepBy(step); });
        layout->addWidget(button);
        return button;
    };
    m_up = makeArrow(Qt::UpArrow, QStringLiteral("btnUp"), 1);
    m_down = makeArrow(Qt::DownArrow, QStringLiteral("btnDown"), -1);
}

void YearUpDown::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void YearUpDown::setValue(int value)
{
    value = std::clamp(value, m_minimum, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(value);
}

void YearUpDown::stepBy(int steps) { setValue(m_value + steps); }
