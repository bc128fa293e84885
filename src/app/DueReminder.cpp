#include "app/DueReminder.h"

#include "app/DueNotice.h"
#include "data/Clock.h"
#include "data/DatabaseError.h"
#include "devices/rules/DueList.h"
#include "devices/rules/DueRule.h"
#include "tables/FormSettings.h"
#include "text/StrList.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

const QString kSection = QStringLiteral("Options");
const QString kKey = QStringLiteral("RemindDays");

} // namespace

DueReminder::DueReminder(QObject* parent) : QObject(parent) {}

int DueReminder::horizon()
{
    FormSettings settings(kSection);
    bool ok = false;
    const int stored = settings.value(kKey, DueRule::DefaultHorizon).toInt(&ok);
    return ok ? DueRule::validHorizon(stored) : DueRule::DefaultHorizon;
}

void DueReminder::setHorizon(int days)
{
    FormSettings settings(kSection);
    settings.setValue(kKey, DueRule::validHorizon(days));
    emit changes().horizonChanged(DueRule::validHorizon(days));
}

DueReminder& DueReminder::changes()
{
    static DueReminder notifier;
    return notifier;
}

QMenu* DueReminder::addHorizonMenu(QMenu* options)
{
    QMenu* menu = options->addMenu(Text(Str::MenuRemind));
    menu->setObjectName(QStringLiteral("RemindMenu"));
    menu->menuAction()->setStatusTip(Text(Str::HintRemind));
    m_group = new QActionGroup(menu);
    m_group->setExclusive(true);
    const int current = horizon();
    auto add = [&](int days, const QString& caption) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QStringLiteral("Remind%1").arg(days));
        item->setCheckable(true);
        item->setChecked(days == current);
        item->setData(days);
        m_group->addAction(item);
    };
    for (int days : DueRule::Horizons)
        add(days, FormatText(Str::RemindDays, days));
    menu->addSeparator();
    add(DueRule::Off, Text(Str::RemindOff));
    connect(m_group, &QActionGroup::triggered, this, [](QAction* item) { setHorizon(item->data().toInt()); });
    return menu;
}

QWidget* DueReminder::remindAtStart(SqlConnection& connection, QWidget* parent, bool canShowSchedule,
                                    const std::function<void()>& showSchedule)
{
    const int days = horizon();
    if (days == DueRule::Off)
        return nullptr;
    DueList::Counts counts;
    try {
        counts = DueList(connection, Clock::today(), days).count();
    } catch (const DatabaseError&) {
        return nullptr;
    }
    if (!counts.any())
        return nullptr;
    auto* notice = new TDueNotice(counts.overdue, counts.dueSoon, days, canShowSchedule, parent);
    connect(notice, &TDueNotice::showScheduleRequested, this, showSchedule);
    notice->show();
    return notice;
}
