#include "app/clock.h"

#include <QThread>
#include <QTime>

double SystemClock::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void SystemClock::sleepMs(int ms) {
    // A zero wait is a poll: no system call, which would cost a switch.
    if (ms <= 0)
        return;
    QThread::msleep(static_cast<unsigned long>(ms));
}
