#include "core/sim/frameclock.h"

#include <chrono>
#include <thread>

std::int64_t SteadyFrameClock::nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SteadyFrameClock::sleepUntilNs(std::int64_t ns) {
    std::this_thread::sleep_until(
        std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns)));
}
