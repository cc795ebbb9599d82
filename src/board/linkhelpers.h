// Small helpers shared by everything that shows or steps a register value.
#pragma once

#include <QString>
#include <cstdint>

// Exactly two upper-case hexadecimal digits: 0 -> "00", 10 -> "0A", 255 -> "FF".
QString hexByte(std::uint8_t b);

// (b + delta) modulo 256, also for negative sums.
std::uint8_t addWrapped(std::uint8_t b, std::int16_t delta);
