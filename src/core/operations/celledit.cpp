#include "core/operations/celledit.h"

#include "core/registers/hextext.h"
#include "core/registers/registereffects.h"
#include "core/registers/registermap.h"

#include <Qt>
#include <array>
#include <utility>

namespace {
constexpr float kTypingPauseSeconds = 0.5f;
constexpr float kReadBackPauseSeconds = 0.2f;

CellWrite notAByte() {
    CellWrite refused;
    refused.outcome = CellWrite::Outcome::NotAByte;
    return refused;
}
} // namespace

std::optional<int> stepOfKey(int key) {
    // Tested in this order: the -1 keys, the +1 keys, Page Down, Page Up.
    static constexpr std::array<std::pair<int, int>, 6> steps = {{
        {Qt::Key_Down, -1},
        {Qt::Key_Left, -1},
        {Qt::Key_Up, +1},
        {Qt::Key_Right, +1},
        {Qt::Key_PageDown, -16},
        {Qt::Key_PageUp, +16},
    }};
    for (const auto& [k, change] : steps) {
        if (k == key)
            return change;
    }
    return std::nullopt;
}

CellWrite writeRegisterWithReadBack(const Chip& chip, std::uint8_t reg, std::uint8_t value) {
    CellWrite result;
    result.value = value;
    const std::uint8_t data[1] = {value};
    const LinkResult written = chip.link.writeRegisters(chip.address.byte(), reg, data);
    if (!written.ok()) {
        result.outcome = CellWrite::Outcome::NotAcknowledged;
        result.failure = written;
        return result;
    }
    result.outcome = CellWrite::Outcome::Written;
    chip.pause(kReadBackPauseSeconds);
    const LinkResult readBack = chip.link.readRegistersOnce(chip.address.byte(), reg, 1);
    if (readBack.ok()) {
        result.readBack = readBack.bytes[0];
        chip.registers.setRead(reg, readBack.bytes[0]);
    } else {
        result.failure = readBack; // the model keeps what the write left it knowing
    }
    return result;
}

CellWrite releaseKeyInCell(const Chip& chip, std::uint8_t reg, int key, int modifiers) {
    // The read-only registers' cells are never written from here.
    if (!isUserWritable(reg))
        return {};
    chip.link.flushInput();
    if (!releaseWrites(modifiers))
        return {};
    if (const std::optional<int> step = stepOfKey(key)) {
        const std::optional<std::uint8_t> value = hexTextByte(chip.registers.text(reg));
        if (!value)
            return notAByte();
        chip.registers.setTyped(reg, hexByte(addWrapped(*value, *step)));
    } else {
        chip.pause(kTypingPauseSeconds);
    }
    const std::optional<std::uint8_t> value = hexTextByte(chip.registers.text(reg));
    if (!value)
        return notAByte();
    return writeRegisterWithReadBack(chip, reg, *value);
}

FieldWrite writeField(const Chip& chip, const RegisterField& field, unsigned value) {
    FieldWrite result{&field, value, {}};
    if (!field.writable())
        return result;
    const RegisterModel::Entry& known = chip.registers.entry(field.reg);
    std::uint8_t byte = known.value;
    if (known.origin != RegisterModel::Origin::Read &&
        known.origin != RegisterModel::Origin::Written) {
        // The other fields keep what the chip holds, so that is read first.
        chip.link.flushInput();
        const LinkResult read = chip.link.readRegisters(chip.address.byte(), field.reg, 1);
        if (!read.ok()) {
            result.write.outcome = CellWrite::Outcome::NotAcknowledged;
            result.write.failure = read;
            return result;
        }
        byte = read.bytes[0];
        chip.registers.setRead(field.reg, byte);
    }
    result.write = writeRegisterWithReadBack(chip, field.reg, fieldWriteByte(field, value, byte));
    return result;
}
