#include "core/sim/simchip.h"

namespace {
constexpr std::uint8_t kDeviceId = 0x00;
constexpr std::uint8_t kChannelActivity = 0x01;
constexpr std::uint8_t kChannelSelect = 0x02;
constexpr std::uint8_t kResetBit = 0x10;
constexpr std::uint8_t kFirstCounter = 0x0A;
constexpr std::uint8_t kLastCounter = 0x0C;
} // namespace

SimChip::SimChip(std::uint8_t address7_) : address7(address7_) {
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
}

std::uint8_t SimChip::read(std::uint8_t reg) {
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
}
