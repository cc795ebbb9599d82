#include "core/sim/simchip.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr std::uint8_t kDeviceId = 0x00;
constexpr std::uint8_t kChannelActivity = 0x01;
constexpr std::uint8_t kChannelSelect = 0x02;
constexpr std::uint8_t kResetBit = 0x10;
constexpr std::uint8_t kFirstCounter = 0x0A;
constexpr std::uint8_t kLastCounter = 0x0C;

constexpr std::uint8_t kTestRegister = 0x09;
constexpr std::uint8_t kCheckerBit = 0x04;
constexpr std::uint8_t kPatternBits = 0x03;
constexpr std::uint8_t kPrbs7 = 0x01;
constexpr std::uint8_t kPinSelectBits = 0x0C; // hardware or automatic selection

constexpr double kSecondsPerDay = 86400.0;
constexpr double kRateOneStepOut = 50.0; // errors a second on link 0
constexpr double kRisePerStep = 8.0;
constexpr double kWrongPatternRate = 1e6;
constexpr std::array<double, 3> kLinkFactors = {1.0, 1.5, 0.75};
} // namespace

SimChip::SimChip(std::uint8_t address7_, std::uint32_t seed)
    : address7(address7_), noise_(seed ? seed : 1) {
    reset();
}

void SimChip::reset() {
    registers.fill(0);
    registers[0x00] = 0x31; // device ID 3, revision 1
    registers[0x02] = 0x0C;
    registers[0x03] = 0x12;
    registers[0x07] = 0xCC;
    registers[0x08] = 0xCC;
    registers[0x10] = 0x10;
    partial_.fill(0);
    lastSeconds_ = -1;
}

std::uint8_t SimChip::read(std::uint8_t reg) {
    if (reg == kChannelActivity) // a test may have set bits of its own
        return registers[reg] | channelActivity();
    const std::uint8_t value = registers[reg];
    if (reg >= kFirstCounter && reg <= kLastCounter)
        registers[reg] = 0; // PRBS error counters clear at the end of a read
    return value;
}

void SimChip::write(std::uint8_t reg, std::uint8_t value) {
    if (reg == kDeviceId || reg == kChannelActivity)
        return;
    if (reg == kChannelSelect && (value & kResetBit)) {
        reset(); // the reset bit clears itself when the reset is done
        return;
    }
    registers[reg] = value;
    // Counting anew starts from the next look at the time.
    if (reg == kTestRegister && !isCounting())
        lastSeconds_ = -1;
}

bool SimChip::isCounting() const {
    const std::uint8_t test = registers[kTestRegister];
    return (test & kCheckerBit) && (test & kPatternBits) != 0;
}

double SimChip::jitter() {
    // xorshift32: small, and the same everywhere for the same seed.
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    return 0.75 + 0.5 * (noise_ / 4294967296.0);
}

int SimChip::selectedChannel() const {
    const std::uint8_t select = registers[kChannelSelect];
    return (select & kPinSelectBits) ? 0 : select & 0x03;
}

std::uint8_t SimChip::channelActivity() const {
    // The chip's own pattern is all the cables carry: while the generator
    // runs, the selected channel has a clock.
    if ((registers[kTestRegister] & kPatternBits) == 0)
        return 0;
    return static_cast<std::uint8_t>(1u << selectedChannel());
}

double SimChip::errorRate(int link) const {
    if (!isCounting())
        return 0; // nothing checked, or nothing flowing
    const std::uint8_t test = registers[kTestRegister];
    if ((test & kPatternBits) != kPrbs7)
        return kWrongPatternRate;
    const int channel = selectedChannel();
    const std::uint8_t gains = registers[channel < 2 ? 0x07 : 0x08];
    const unsigned gain = (channel % 2 ? gains >> 4 : gains) & 0x0F;
    const SimCable& cable = cables[channel];
    const unsigned out = gain < cable.firstClean  ? cable.firstClean - gain
                         : gain > cable.lastClean ? gain - cable.lastClean
                                                  : 0;
    if (out == 0)
        return 0;
    return kRateOneStepOut * std::pow(kRisePerStep, out - 1.0) * kLinkFactors[link];
}

void SimChip::advanceTo(double seconds) {
    double elapsed = lastSeconds_ < 0 ? 0 : seconds - lastSeconds_;
    if (elapsed < 0)
        elapsed += kSecondsPerDay; // past midnight
    lastSeconds_ = seconds;
    for (int link = 0; link < 3; ++link) {
        const double rate = errorRate(link);
        if (rate == 0 || elapsed == 0)
            continue;
        partial_[link] += std::min(rate * elapsed * jitter(), 1e6);
        const double whole = std::floor(partial_[link]);
        partial_[link] -= whole;
        std::uint8_t& counter = registers[kFirstCounter + link];
        counter = static_cast<std::uint8_t>(std::min(counter + whole, 255.0));
    }
}
