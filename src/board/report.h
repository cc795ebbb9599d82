// The 64-byte report that every exchange with the evaluation board is made of,
// the board's command codes and the status codes of the I2C link.
#pragma once

#include <array>
#include <cstdint>

using Report = std::array<std::uint8_t, 64>;
constexpr int kReportSize = 64;

// Byte 1 of an output report.
constexpr std::uint8_t CMD_BOARD_INFO = 0;
constexpr std::uint8_t CMD_BOARD_SIGNALS = 1;
constexpr std::uint8_t CMD_I2C = 2;
constexpr std::uint8_t CMD_I2C_CLOCK = 3;

// What an I2C transfer returns.
using LinkStatus = std::uint16_t;
constexpr LinkStatus LINK_DEVICE_ERROR = 1; // answered, status byte not 0
constexpr LinkStatus LINK_READ_TIMEOUT = 2; // no input report within the answer limit
constexpr LinkStatus LINK_WRITE_FAILED = 4; // output report refused
constexpr LinkStatus LINK_OK = 8;           // answered, status byte 0

// Registers one transfer can carry: 64 - 2 answer bytes, 64 - 5 request bytes.
constexpr int kMaxReadCount = 62;
constexpr int kMaxWriteCount = 59;

// How long an answer may take, and how long the input drain waits per report.
constexpr int kAnswerLimitMs = 6000;
constexpr int kFlushWaitMs = 1;

// The evaluation board's USB identity.
constexpr std::uint16_t kBoardVendorId = 0x09AA;
constexpr std::uint16_t kBoardProductId = 0x2007;
