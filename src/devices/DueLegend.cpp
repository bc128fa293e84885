#include "devices/DueLegend.h"

#include "devices/DueMarks.h"
#include "devices/rules/DueRule.h"
#include "text/StrList.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

DueLegend::DueLegend(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DueLegend"));
    setToolTip(Text(Str::DueLegendHint));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_overdueKey = new QLabel(Text(Str::DueLegendOverdue), this);
    m_overdueKey->setObjectName(QStringLiteral("DueLegendOverdue"));
    m_dueSoonKey = new QLabel(this);
    m_dueSoonKey->setObjectName(QStringLiteral("DueLegendDueSoon"));
    for (QLabel* key : {m_overdueKey, m_dueSoonKey}) {
        key->setAutoFillBackground(true);
        key->setMargin(1);
        layout->addWidget(key);
    }
    // The keys carry the same shapes as the next-date cells, for those who cannot tell the colours apart.
    m_overdueKey->setText(DueMarks::symbol(DueRule::State::Overdue) + QLatin1Char(' ') + Text(Str::DueLegendOverdue));
    setHorizon(DueRule::DefaultHorizon);
    paintKeys();
}

void DueLegend::setHorizon(int days)
{
    m_dueSoonKey->setVisible(days != DueRule::Off);
    m_dueSoonKey->setText(DueMarks::symbol(DueRule::State::DueSoon) + QLatin1Char(' ') +
                          FormatText(Str::DueLegendDueSoon, days));
}

void DueLegend::setOverdueColor(const QColor& c)
{
    m_overdue = c;
    colorSet();
}

void DueLegend::setOverdueTextColor(const QColor& c)
{
    m_overdueText = c;
    colorSet();
}

void DueLegend::setDueSoonColor(const QColor& c)
{
    m_dueSoon = c;
    colorSet();
}

void DueLegend::setDueSoonTextColor(const QColor& c)
{
    m_dueSoonText = c;
    colorSet();
}

// The skin sets the colours while it polishes the widget, one property at a time; the grids hear
// of it once, when it is done.
void DueLegend::colorSet()
{
    paintKeys();
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_changePending = false;
        emit colorsChanged();
    }, Qt::QueuedConnection);
}

void DueLegend::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        emit colorsChanged();
}

void DueLegend::paintKeys()
{
    const auto paint = [](QLabel* key, const QColor& back, const QColor& text) {
        key->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; }").arg(back.name(), text.name()));
    };
    paint(m_overdueKey, m_overdue, m_overdueText);
    paint(m_dueSoonKey, m_dueSoon, m_dueSoonText);
}
