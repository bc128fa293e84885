#include "data/Clock.h"

namespace {
QDateTime g_fixed;
}

QDateTime Clock::now()
{
    if (g_fixed.isValid())
        return g_fixed;
    QDateTime moment = QDateTime::currentDateTime();
    return moment.addMSecs(-moment.time().msec());
}

void Clock::fix(const QDateTime& moment) { g_fixed = moment; }
