// A clock that only moves when the program sleeps on it: waits take no real
// time, and a test can start them just before midnight.
#pragma once

#include "app/clock.h"

#include <functional>

class FakeClock : public Clock {
public:
    double now = 12 * 3600.0; // noon
    long sleptMs = 0;
    // Called after every sleep with the new time: lets a test act "during" a wait.
    std::function<void(double)> onSleep;

    double secondsSinceMidnight() override { return now; }
    void sleepMs(int ms) override {
        sleptMs += ms;
        now += ms / 1000.0;
        if (now >= 86400.0)
            now -= 86400.0;
        if (onSleep)
            onSleep(now);
    }
};
