#include "board/i2cframes.h"

#include <algorithm>

bool readRequestValid(int count, std::size_t dataSize) {
    return count >= 1 && count <= kMaxReadCount && dataSize >= static_cast<std::size_t>(count);
}

bool writeRequestValid(int count, std::size_t dataSize) {
    return count >= 1 && count <= kMaxWriteCount && dataSize >= static_cast<std::size_t>(count);
}

void buildI2CReadRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t startRegister,
                         std::uint8_t count) {
    report[0] = 0;
    report[1] = CMD_I2C;
    report[2] = count;
    report[3] = static_cast<std::uint8_t>(deviceAddress + 1);
    report[4] = startRegister;
}

void buildI2CWriteRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t startRegister,
                          std::span<const std::uint8_t> data) {
    const auto count = std::min<std::size_t>(data.size(), kMaxWriteCount);
    report[0] = 0;
    report[1] = CMD_I2C;
    report[2] = static_cast<std::uint8_t>(count);
    report[3] = deviceAddress;
    report[4] = startRegister;
    std::copy_n(data.begin(), count, report.begin() + 5);
}

LinkStatus answerStatus(const Report& answer) {
    return answer[1] == 0 ? LINK_OK : LINK_DEVICE_ERROR;
}

void copyReadAnswer(const Report& answer, std::span<std::uint8_t> data) {
    const auto count = std::min<std::size_t>(data.size(), kMaxReadCount);
    std::copy_n(answer.begin() + 2, count, data.begin());
}
