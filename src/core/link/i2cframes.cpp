#include "core/link/i2cframes.h"

#include <algorithm>

void buildI2CReadRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t firstRegister,
                         std::uint8_t count) {
    report[0] = 0;
    report[1] = CMD_I2C;
    report[2] = count;
    report[3] = static_cast<std::uint8_t>(deviceAddress + 1);
    report[4] = firstRegister;
}

void buildI2CWriteRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t firstRegister,
                          std::span<const std::uint8_t> data) {
    const auto count = std::min<std::size_t>(data.size(), kMaxWriteCount);
    report[0] = 0;
    report[1] = CMD_I2C;
    report[2] = static_cast<std::uint8_t>(count);
    report[3] = deviceAddress;
    report[4] = firstRegister;
    std::copy_n(data.begin(), count, report.begin() + 5);
}

LinkStatus answerStatus(const Report& answer) {
    return answer[1] == 0 ? LinkStatus::Ok : LinkStatus::NotAcknowledged;
}

std::vector<std::uint8_t> readAnswerValues(const Report& answer, int count) {
    const auto n = std::clamp(count, 0, kMaxReadCount);
    return std::vector<std::uint8_t>(answer.begin() + 2, answer.begin() + 2 + n);
}
