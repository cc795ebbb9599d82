// The monotonic clock in nanoseconds, for the probes' timings.
#pragma once

#include <ctime>

inline long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}
