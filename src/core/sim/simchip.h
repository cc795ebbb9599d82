// A simulated QDM7720A on the board's I2C bus: 256 byte registers with the
// chip's power-on defaults, read-only identity and activity registers, a
// self-clearing reset bit and error counters that clear when read.
//
// Each input channel has a cable on it. While the PRBS checker is on (0x09
// bit 2) and the chip's own generator sends PRBS7 (bits 1:0 = 01) through
// the cable into the selected channel, the three links count errors with
// time: none while the channel's equalizer gain lies within the cable's
// clean gains, and eight times more for every step beyond them on either
// side (50 a second one step out, on link 0). The low- and high-frequency
// patterns are no PRBS7 to the checker: every counter saturates. Hardware
// and automatic selection choose channel A (the demo board ties its
// selection pins low, and A comes first). The chip's pattern is all the
// cables carry: Channel Activity (0x01) shows a clock on the selected
// channel while the generator runs, and none otherwise.
#pragma once

#include <array>
#include <cstdint>

struct SimCable {
    const char* name;
    unsigned firstClean; // the equalizer gains that carry the pattern without errors
    unsigned lastClean;
};

inline constexpr std::array<SimCable, 4> kSimCables = {{
    {"1 m", 0x1, 0x5},
    {"5 m", 0x5, 0x9},
    {"10 m", 0x9, 0xB},
    {"20 m", 0xD, 0xF},
}};

class SimChip {
public:
    explicit SimChip(std::uint8_t address7 = 0x40, std::uint32_t seed = 1);

    // Back to the power-on defaults.
    void reset();
    // What the bus master sees.
    std::uint8_t read(std::uint8_t reg);
    void write(std::uint8_t reg, std::uint8_t value);
    // Whether the checker counts errors: enabled, with a pattern flowing.
    bool isCounting() const;
    // The time now, in seconds on any steady scale (the time of day wraps at
    // midnight): the counters take the errors of the time since the last call
    // made while counting. Only needed while counting.
    void advanceTo(double seconds);

    std::uint8_t address7; // 7-bit I2C address
    // The register contents; tests set and inspect them directly.
    std::array<std::uint8_t, 256> registers{};
    // The cables on channels A to D.
    std::array<SimCable, 4> cables = kSimCables;

private:
    int selectedChannel() const;
    // Register 0x01 as the registers stand.
    std::uint8_t channelActivity() const;
    // Errors a second on `link` as the registers stand.
    double errorRate(int link) const;
    // A factor from 0.75 to 1.25, the same sequence for the same seed.
    double jitter();

    std::uint32_t noise_;
    std::array<double, 3> partial_{}; // errors not yet whole
    double lastSeconds_ = -1;
};
