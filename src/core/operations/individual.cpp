#include "core/operations/individual.h"

#include "core/registers/hextext.h"
#include "core/registers/registermap.h"

namespace {
constexpr std::uint8_t kFallbackRegister = 0x10;
} // namespace

PanelResult readIndividualRegister(const Chip& chip, PanelTexts& panel) {
    chip.link.flushInput();
    PanelResult result;
    const std::optional<std::uint8_t> number = hexTextByte(panel.reg);
    if (!number)
        return result; // left for the user to correct
    result.reg = isMainRegister(*number) ? *number : kFallbackRegister;
    panel.reg = hexByte(result.reg);
    const LinkResult read = chip.link.readRegisters(chip.address.byte(), result.reg, 1);
    if (!read.ok()) {
        result.outcome = PanelResult::Outcome::NotAcknowledged;
        result.failure = read;
        return result;
    }
    result.outcome = PanelResult::Outcome::Read;
    result.value = read.bytes[0];
    panel.read = hexByte(result.value);
    return result;
}

PanelResult toggleIndividualRegister(const Chip& chip, PanelTexts& panel, int button) {
    const std::optional<std::uint8_t> own = hexTextByte(panel.values[button]);
    const std::optional<std::uint8_t> other = hexTextByte(panel.values[1 - button]);
    if (!own || !other) {
        PanelResult refused;
        refused.outcome = PanelResult::Outcome::NotAValue;
        return refused;
    }
    PanelResult result = readIndividualRegister(chip, panel);
    if (result.outcome != PanelResult::Outcome::Read)
        return result;

    const std::uint8_t current = result.value;
    result.value = *own != current ? *own : *other;
    const std::uint8_t data[1] = {result.value};
    // A write not taken goes on to the read-back, which shows what the chip holds.
    const LinkResult write = chip.link.writeRegisters(chip.address.byte(), result.reg, data);
    result.written = write.ok();
    const LinkResult readBack = chip.link.readRegistersOnce(chip.address.byte(), result.reg, 1);
    if (readBack.ok())
        result.readBack = readBack.bytes[0];
    result.failure = write.ok() ? readBack : write;
    result.outcome = PanelResult::Outcome::Toggled;

    panel.values[button] = hexByte(*own);
    const std::uint8_t shown = result.readBack.value_or(current);
    panel.read = hexByte(shown);
    // The value read before is the chip's only while no write may have
    // reached it since.
    if (result.readBack || !write.mayHaveReached())
        chip.registers.setRead(result.reg, shown);
    else
        chip.registers.setReadFailed(result.reg, shown);
    return result;
}
