// Read All: the fourteen registers of the main set into the register model,
// in two bursts (0x00 to 0x0C, then 0x10) or one register at a time; and
// reading any range of registers, split into transfers the link can carry.
#pragma once

#include "core/operations/chip.h"

enum class ReadMode { Burst, Single };

struct RangeRead {
    int registersRead = 0; // from the first register on
    LinkResult failure;    // the transfer that stopped the range, when one did
    bool ok() const { return failure.ok(); }
};

// Registers `first` to `last` into the model: in one transfer (burst) or one
// by one, each with the link's policy. A burst the chip does not take changes
// nothing; one by one, the range stops at the first register not taken.
RangeRead readRegisterRange(const Chip& chip, std::uint8_t first, std::uint8_t last, ReadMode mode);

// Drains stale input, then reads 0x00 to 0x0C and, unless that failed, 0x10.
RangeRead readAllRegisters(const Chip& chip, ReadMode mode);

// Drains stale input, then reads `reg` alone into the model.
RangeRead readOneRegister(const Chip& chip, std::uint8_t reg);

// `count` registers from `first` (up to 256, wrapping past 0xFF is refused),
// in transfers of at most 62, each tried once; the values come back in order.
LinkResult readRegisterSpan(BoardLink& link, std::uint8_t deviceAddress, std::uint8_t first,
                            int count);
// `data` written from `first` on, in transfers of at most 59, each tried once.
// `written`, when given, counts the bytes the chip took before a failure.
LinkResult writeRegisterSpan(BoardLink& link, std::uint8_t deviceAddress, std::uint8_t first,
                             std::span<const std::uint8_t> data, int* written = nullptr);
