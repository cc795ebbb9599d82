#include "board/waitseconds.h"

#include "app/clock.h"

#include <QCoreApplication>

namespace {
constexpr double kSecondsPerDay = 86400.0;
constexpr int kSliceMs = 4;
} // namespace

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
