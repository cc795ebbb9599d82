// A clock that only moves when the program sleeps on it: waits take no real
// time, and a test can start them just before midnight.
#pragma once

#include "core/platform/clock.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

class FakeClock : public Clock {
public:
    double now = 12 * 3600.0; // noon
    long sleptMs = 0;
    std::vector<int> sleeps; // every sleep, in order
    // Called after every sleep with the new time: lets a test act "during" a wait.
    std::function<void(double)> onSleep;

    double secondsSinceMidnight() override { return now; }
    void sleepMs(int ms) override {
        sleptMs += ms;
        sleeps.push_back(ms);
        now = std::fmod(now + ms / 1000.0, 86400.0);
        if (onSleep)
            onSleep(now);
    }

    // The input drains that found nothing waiting (1 ms each), and the time
    // in the window's pauses (4 ms slices).
    long drains() const { return std::count(sleeps.begin(), sleeps.end(), 1); }
    long pausedMs() const { return 4 * std::count(sleeps.begin(), sleeps.end(), 4); }
    void clearSleeps() {
        sleeps.clear();
        sleptMs = 0;
    }
};
