// Building expected reports in tests: Report from a list of leading bytes,
// and the I2C transfers among what a board received.
#pragma once

#include "board/report.h"
#include "sim/simboard.h"

#include <initializer_list>
#include <vector>

inline Report reportOf(std::initializer_list<int> leading) {
    Report r{};
    int i = 0;
    for (int b : leading)
        r[i++] = static_cast<std::uint8_t>(b);
    return r;
}

// The I2C transfers a board received, without the board commands.
inline std::vector<Report> i2cReports(const SimBoard& b) {
    std::vector<Report> out;
    for (const Report& r : b.received) {
        if (r[1] == CMD_I2C)
            out.push_back(r);
    }
    return out;
}
