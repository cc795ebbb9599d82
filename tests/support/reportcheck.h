// Whether an output report is one the program may send: report ID 0, a known
// command, a valid sub-command, counts within the link's limits and the bytes
// a command does not use left 0.
#pragma once

#include "board/report.h"

#include <QString>

namespace reportcheck_detail {
inline bool zeroFrom(const Report& r, int first) {
    for (int i = first; i < kReportSize; ++i) {
        if (r[i] != 0)
            return false;
    }
    return true;
}
} // namespace reportcheck_detail

// Empty when `r` is well formed, else what is wrong with it.
inline QString reportFault(const Report& r) {
    using reportcheck_detail::zeroFrom;
    if (r[0] != 0)
        return QStringLiteral("report ID %1").arg(r[0]);
    const int sub = r[2];
    switch (r[1]) {
    case CMD_BOARD_INFO:
        if (sub != 1 || !zeroFrom(r, 3))
            return QStringLiteral("board information request with sub-command %1").arg(sub);
        return {};
    case CMD_BOARD_SIGNALS:
        // The set command goes out on whatever the buffer held beyond byte 4.
        if (sub == 0 && r[3] <= 3 && (r[4] & 0x30) == 0)
            return {};
        if (sub == 1 && zeroFrom(r, 3))
            return {};
        return QStringLiteral("board signals request %1 with bytes %2 %3")
            .arg(sub)
            .arg(r[3])
            .arg(r[4]);
    case CMD_I2C: {
        const bool read = (r[3] & 1) != 0;
        const int limit = read ? kMaxReadCount : kMaxWriteCount;
        if (sub < 1 || sub > limit)
            return QStringLiteral("I2C %1 of %2 bytes").arg(read ? "read" : "write").arg(sub);
        if (!zeroFrom(r, read ? 5 : 5 + sub))
            return QStringLiteral("I2C %1 with bytes after its fields")
                .arg(read ? "read" : "write");
        return {};
    }
    case CMD_I2C_CLOCK:
        if (sub == 0 && r[3] >= 1 && zeroFrom(r, 4))
            return {};
        if (sub == 1 && zeroFrom(r, 3))
            return {};
        return QStringLiteral("I2C clock request %1 with divider %2").arg(sub).arg(r[3]);
    default:
        return QStringLiteral("unknown command %1").arg(r[1]);
    }
}
