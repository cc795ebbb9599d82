// A simulated QDM7720A on the board's I2C bus: 256 byte registers with the
// chip's power-on defaults, read-only identity and activity registers, a
// self-clearing reset bit and error counters that clear when read.
#pragma once

#include <array>
#include <cstdint>

class SimChip {
public:
    explicit SimChip(std::uint8_t address7 = 0x40);

    // Back to the power-on defaults.
    void reset();
    // What the bus master sees.
    std::uint8_t read(std::uint8_t reg);
    void write(std::uint8_t reg, std::uint8_t value);

    std::uint8_t address7; // 7-bit I2C address
    // The register contents; tests set and inspect them directly.
    std::array<std::uint8_t, 256> registers{};
};
