#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

// The key to the due marks, shown in a window's status bar, and the keeper of their colours: each
// skin sets them on this widget ("DueLegend { qproperty-overdueColor: ...; }"), so a grid takes the
// colours of the skin in use and follows a change of skin.
class DueLegend : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor overdueColor READ overdueColor WRITE setOverdueColor)
    Q_PROPERTY(QColor overdueTextColor READ overdueTextColor WRITE setOverdueTextColor)
    Q_PROPERTY(QColor dueSoonColor READ dueSoonColor WRITE setDueSoonColor)
    Q_PROPERTY(QColor dueSoonTextColor READ dueSoonTextColor WRITE setDueSoonTextColor)
public:
    explicit DueLegend(QWidget* parent = nullptr);

    QColor overdueColor() const { return m_overdue; }
    QColor overdueTextColor() const { return m_overdueText; }
    QColor dueSoonColor() const { return m_dueSoon; }
    QColor dueSoonTextColor() const { return m_dueSoonText; }
    void setOverdueColor(const QColor& c);
    void setOverdueTextColor(const QColor& c);
    void setDueSoonColor(const QColor& c);
    void setDueSoonTextColor(const QColor& c);

    // The horizon the "due soon" key names; Off leaves that key out.
    void setHorizon(int days);

signals:
    void colorsChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void colorSet();
    void paintKeys();

    bool m_changePending = false;

    QLabel* m_overdueKey;
    QLabel* m_dueSoonKey;
    QColor m_overdue{0xF4, 0xC7, 0xC3};
    QColor m_overdueText{Qt::black};
    QColor m_dueSoon{0xFF, 0xF2, 0xB3};
    QColor m_dueSoonText{Qt::black};
};
