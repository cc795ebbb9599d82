// What a register access does to the chip besides the bytes it moves, read
// from the field table (a reset that puts every register back, a bit the
// chip clears by itself, counters that clear when read), and what a write
// therefore leaves the program knowing of the chip.
#pragma once

#include "core/registers/registerfields.h"
#include "core/registers/registermodel.h"

#include <cstdint>
#include <span>

// Whether `value` written to `reg` resets the chip.
bool writeResetsChip(std::uint8_t reg, std::uint8_t value);
// Whether a read of `reg` clears it.
bool readClears(std::uint8_t reg);

// The byte that changes `field` to `value` in a register holding `known`:
// every other field as it was, but a self-clearing one written 0 (a 1 there
// would start its action again: a Reset, say).
std::uint8_t fieldWriteByte(const RegisterField& field, unsigned value, std::uint8_t known);

// A write of `data` from `first` on that reached the chip, or may have: a
// reset leaves no register known; a register with a self-clearing bit
// written 1 is not known until read; any other holds what was written.
void noteRegistersWritten(RegisterModel& model, std::uint8_t first,
                          std::span<const std::uint8_t> data);
