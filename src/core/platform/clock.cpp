#include "core/platform/clock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTime>

namespace {
constexpr double kSecondsPerDay = 86400.0;
constexpr int kSliceMs = 4;
} // namespace

double SystemClock::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void SystemClock::sleepMs(int ms) {
    // A zero wait is a poll: no system call, which would cost a switch.
    if (ms <= 0)
        return;
    QThread::msleep(static_cast<unsigned long>(ms));
}

void waitSeconds(Clock& clock, float seconds) {
    double t = clock.secondsSinceMidnight();
    double end = t + seconds;
    while (t < end) {
        clock.sleepMs(kSliceMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double now = clock.secondsSinceMidnight();
        if (now < t)
            end -= kSecondsPerDay; // midnight has passed
        t = now;
    }
}
