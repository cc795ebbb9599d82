// Byte layout of the I2C register transfer (command 2): the requests the host
// sends and what it takes from the answers. Plain functions on a report, so
// that the framing can be checked byte by byte without a board.
#pragma once

#include "core/hid/report.h"
#include "core/link/linkresult.h"

#include <cstdint>
#include <span>

// True when a read of `count` registers, or a write of `count` bytes, fits
// one transfer.
constexpr bool readCountValid(int count) {
    return count >= 1 && count <= kMaxReadCount;
}
constexpr bool writeCountValid(int count) {
    return count >= 1 && count <= kMaxWriteCount;
}

// Fill `report` (already cleared) with a read request:
// 0, 2, count, deviceAddress + 1, firstRegister.
void buildI2CReadRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t firstRegister,
                         std::uint8_t count);

// Fill `report` (already cleared) with a write request:
// 0, 2, count, deviceAddress, firstRegister, data[0..count-1].
void buildI2CWriteRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t firstRegister,
                          std::span<const std::uint8_t> data);

// Ok when the answer's status byte (byte 1) is 0, else NotAcknowledged.
LinkStatus answerStatus(const Report& answer);

// The `count` register values of a read answer (bytes 2 ..).
std::vector<std::uint8_t> readAnswerValues(const Report& answer, int count);
