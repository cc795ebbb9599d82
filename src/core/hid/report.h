// The 64-byte report that every exchange with the evaluation board is made
// of, the board's command codes and its USB identity.
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

// The evaluation board's USB identity.
constexpr std::uint16_t kBoardVendorId = 0x09AA;
constexpr std::uint16_t kBoardProductId = 0x2007;
