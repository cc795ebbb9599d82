// Building and picking out reports in tests.
#pragma once

#include "core/hid/report.h"
#include "core/sim/simboard.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <vector>

// A report whose first bytes are `leading`, the rest 0.
inline Report reportOf(std::initializer_list<int> leading) {
    Report r{};
    int i = 0;
    for (int b : leading)
        r[i++] = static_cast<std::uint8_t>(b);
    return r;
}

// The reports of one command that a board received, in order.
inline std::vector<Report> reportsWithCommand(const SimBoard& board, std::uint8_t command) {
    std::vector<Report> out;
    std::copy_if(board.received.begin(), board.received.end(), std::back_inserter(out),
                 [command](const Report& r) { return r[1] == command; });
    return out;
}

// The I2C write requests among `reports`, in order (reads carry the address
// byte plus one).
inline std::vector<Report> i2cWrites(const std::vector<Report>& reports) {
    std::vector<Report> out;
    std::copy_if(reports.begin(), reports.end(), std::back_inserter(out),
                 [](const Report& r) { return r[1] == CMD_I2C && (r[3] & 1) == 0; });
    return out;
}

// An I2C request to write `values` from register `reg` at address byte `address`.
inline Report i2cWrite(int address, int reg, std::initializer_list<int> values) {
    Report r = reportOf({0, CMD_I2C, static_cast<int>(values.size()), address, reg});
    int i = 5;
    for (int v : values)
        r[i++] = static_cast<std::uint8_t>(v);
    return r;
}

// An I2C request to read `count` registers from `reg` at address byte `address`.
inline Report i2cRead(int address, int reg, int count) {
    return reportOf({0, CMD_I2C, count, address + 1, reg});
}
