// Building expected reports in tests: Report from a list of leading bytes.
#pragma once

#include "board/report.h"

#include <initializer_list>

inline Report reportOf(std::initializer_list<int> leading) {
    Report r{};
    int i = 0;
    for (int b : leading)
        r[i++] = static_cast<std::uint8_t>(b);
    return r;
}
