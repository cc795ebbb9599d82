// The chip's registers as the program knows them: the main set that Read All,
// the register file and the individual panel work on, the registers the user
// may edit, and the chip's identity.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The fourteen registers of the main set, in address order.
inline constexpr std::array<std::uint8_t, 14> kMainRegisters = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x10};
bool isMainRegister(int reg);

// The registers of the grid: 0x00 to 0x16, with none at 0x0D to 0x0F.
inline constexpr int kGridRegisters = 0x17;
bool isGridRegister(int reg);

// The user may edit every register of the grid but the read-only identity
// (0x00) and channel activity (0x01) and the error counters (0x0A to 0x0C).
bool isUserWritable(int reg);

// The three PRBS7 error counters, 0x0A to 0x0C, one for each TMDS link: they
// saturate at 0xFF and clear when read.
inline constexpr std::uint8_t kFirstErrorCounter = 0x0A;
inline constexpr int kLinks = 3;
inline constexpr std::uint8_t kCounterSaturated = 0xFF;

// Register 0x00 of the chip: device ID 3, revision 1.
inline constexpr std::uint8_t kChipIdentity = 0x31;

// "0x05": the register's address as the register file writes it.
QString registerAddressText(std::uint8_t reg);
