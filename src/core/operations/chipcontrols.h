// The chip controls: the input channel (register 0x02), the termination
// re-calibration (bit 7 of register 0x03) and the multi-write test.
#pragma once

#include "core/operations/chip.h"
#include "core/registers/registerfields.h"

#include <QString>
#include <optional>

inline constexpr std::uint8_t kChannelSelectRegister = 0x02;
inline constexpr int kChannelOptions = 6;
inline constexpr int kAutoSelectOption = 4;
inline constexpr int kHardwareSelectOption = 5;

// The options' names, as scripts give and print them: "A" to "D", "auto",
// "hardware"; and the option a name gives, in any case.
QString channelOptionName(int option);
std::optional<int> channelOptionNamed(QStringView name);

// The whole register value option `option` writes: channels A to D (0 to 3)
// and auto-select (4) write their index, hardware select (5) writes 0x08.
std::uint8_t channelOptionByte(int option);

// The option that shows register value `value`: hardware selection (bit 3)
// first, then automatic selection (bit 2), else the channel of bits 1:0,
// whatever the power-down and reset bits above them hold.
int channelOptionFor(std::uint8_t value);

struct ChannelWrite {
    bool written = false;
    std::uint8_t value = 0;
    std::optional<std::uint8_t> readBack;
    LinkResult failure;
};

// Writes the option's byte to register 0x02 and reads it back once into the
// model (the byte written when the read-back fails). `failure` is the transfer
// that failed, the write or the read-back.
ChannelWrite selectChannel(const Chip& chip, int option);

// The option that matches the chip's register 0x02; nothing when it was not
// read. Writes nothing and leaves the model alone.
std::optional<int> readChannelOption(const Chip& chip);

struct Recalibration {
    bool done = false;      // false: register 0x03 could not be read; nothing written
    std::uint8_t value = 0; // register 0x03 as read, bit 7 clear again at the end
    LinkResult high;        // the write with bit 7 set
    LinkResult low;         // the write with bit 7 clear; failed, bit 7 may be left high
    LinkResult failure;     // the read, else the first of the two writes that failed
    bool pulsed() const { return done && high.ok() && low.ok(); }
};

// A pulse on a field (Recalibrate) of a register holding `value`: writes it
// with the field set, pauses 0.1 s, writes it with the field clear. The two
// writes are single attempts, the second made whatever became of the first;
// the model shows each value written.
Recalibration pulseField(const Chip& chip, const RegisterField& field, std::uint8_t value);

// A pulse on bit 7 of register 0x03 (Recalibrate) that keeps its other bits:
// reads the register, then pulses the bit.
Recalibration recalibrateTermination(const Chip& chip);

inline constexpr std::uint8_t kMultiWriteFirstRegister = 0x06;
inline constexpr int kMultiWriteCount = 3;
inline constexpr std::uint8_t kMultiWriteValue = 0x01;

struct MultiWrite {
    bool written = false;
    bool readBack = false; // false: the model shows 00 in the three registers
    LinkResult failure;
};

// One transfer writes 0x01 to registers 0x06 to 0x08; after a pause of 0.2 s
// one transfer reads the three back into the model.
MultiWrite runMultiWriteTest(const Chip& chip);
