#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The reminder shown at start-up when services are overdue or due soon: how many of each, and a
// button that opens the services schedule narrowed to them. It is not modal, so the program and
// its other windows (and a request to stop) are never held up by it.
class TDueNotice : public QDialog {
    Q_OBJECT
public:
    TDueNotice(qint64 overdue, qint64 dueSoon, int horizonDays, bool canShowSchedule, QWidget* parent = nullptr);

    QString text() const;

signals:
    void showScheduleRequested();

private:
    QLabel* m_text = nullptr;
};
