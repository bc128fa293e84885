#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons that steps a number between a lowest and a highest value, for a line edit
// beside it that keeps the text the user may also type (a spin box would refuse a year outside its
// range before the window could say why).
class YearUpDown : public QWidget {
    Q_OBJECT
public:
    explicit YearUpDown(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    // Clamped to the range; emits valueChanged when the value changes.
    void setValue(int value);
    void stepBy(int steps);

signals:
    void valueChanged(int value);

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_minimum = 0;
    int m_maximum = 99;
    int m_value = 0;
};
