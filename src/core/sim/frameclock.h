// Time for the USB timing model of the simulated board, in nanoseconds: the
// real monotonic clock for benchmarks, a fake one in tests.
#pragma once

#include <cstdint>

class FrameClock {
public:
    virtual ~FrameClock() = default;
    virtual std::int64_t nowNs() = 0;
    // Returns at `ns` or later.
    virtual void sleepUntilNs(std::int64_t ns) = 0;
};

class SteadyFrameClock : public FrameClock {
public:
    std::int64_t nowNs() override;
    void sleepUntilNs(std::int64_t ns) override;
};
