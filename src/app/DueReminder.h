#pragma once

#include <QObject>
#include <functional>

class QActionGroup;
class QMenu;
class QWidget;
class SqlConnection;

// The reminder horizon a user chooses under Options ("30 days" ... "do not remind"), kept in the
// settings file, and the notice at start-up that uses it.
class DueReminder : public QObject {
    Q_OBJECT
public:
    explicit DueReminder(QObject* parent = nullptr);

    // The stored horizon in days, DueRule::Off when the user turned reminders off; the default
    // when nothing (or nothing sensible) is stored.
    static int horizon();
    static void setHorizon(int days);
    // Tells windows that mark due services when the user chooses another horizon.
    static DueReminder& changes();

signals:
    void horizonChanged(int days);

public:

    // Adds the submenu of horizons to `options`, the stored one checked.
    QMenu* addHorizonMenu(QMenu* options);

    // Counts the due services and, when there are any and reminders are on, shows the notice next
    // to `parent`. A database that cannot be read shows nothing: the reminder is no reason to hold
    // up the start. Returns the notice shown, or nullptr.
    QWidget* remindAtStart(SqlConnection& connection, QWidget* parent, bool canShowSchedule,
                           const std::function<void()>& showSchedule);

private:
    QActionGroup* m_group = nullptr;
};
