// The time of day and the pause between two looks at it: a seam, so that
// tests can run waits at once and cross midnight.
#pragma once

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight.
    virtual double secondsSinceMidnight() = 0;
    virtual void sleepMs(int ms) = 0;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
    void sleepMs(int ms) override;
};

// Waits `seconds` in 4 ms slices on `clock`, handling pending events between
// them, so that a window stays live and handlers may run nested inside the
// wait; safe across midnight.
void waitSeconds(Clock& clock, float seconds);
