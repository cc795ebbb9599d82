#include "firstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

FirstPaint::FirstPaint(QWidget* window, bool stay) : window_(window), stay_(stay) {
    window_->installEventFilter(this);
}

bool FirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
        seen_ = true;
        // Report once this paint has reached the screen, not while it runs.
        QMetaObject::invokeMethod(this, &FirstPaint::report, Qt::QueuedConnection);
    }
    return false;
}

void FirstPaint::report() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    std::printf("painted %lld %ld %d %d\n", ns, peakResidentKiB(), window_->width(),
                window_->height());
    std::fflush(stdout);
    if (!stay_)
        QCoreApplication::quit();
}

long peakResidentKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}
