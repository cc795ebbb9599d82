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

// After 0.2 s, the register read back once into the write's result and the
// model.
void readBack(const Chip& chip, std::uint8_t reg, CellWrite& write) {
    chip.pause(kReadBackPauseSeconds);
    const LinkResult read = chip.link.readRegistersOnce(chip.address.byte(), reg, 1);
    if (read.ok()) {
        write.readBack = read.bytes[0];
        chip.registers.setRead(reg, read.bytes[0]);
    } else {
        write.failure = read; // the model keeps what the write left it knowing
    }
}

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
    readBack(chip, reg, result);
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

FieldWrite writeFields(const Chip& chip, std::uint8_t reg, std::span<const FieldChange> changes) {
    FieldWrite result;
    result.reg = reg;
    result.changes.assign(changes.begin(), changes.end());
    result.refusal = refusalOf(reg, changes);
    if (result.refusal)
        return result;
    const RegisterModel::Entry& known = chip.registers.entry(reg);
    std::uint8_t byte = known.value;
    if (known.origin != RegisterModel::Origin::Read &&
        known.origin != RegisterModel::Origin::Written) {
        // The other fields keep what the chip holds, so that is read first.
        chip.link.flushInput();
        const LinkResult read = chip.link.readRegisters(chip.address.byte(), reg, 1);
        if (!read.ok()) {
            result.write.outcome = CellWrite::Outcome::NotAcknowledged;
            result.write.failure = read;
            return result;
        }
        byte = read.bytes[0];
        chip.registers.setRead(reg, byte);
    }
    result.refusal = refusalOf(reg, changes, byte);
    if (result.refusal)
        return result;
    const RegisterField* pulse = pulseAmong(changes);
    if (!pulse) {
        result.write = writeRegisterWithReadBack(chip, reg, fieldsWriteByte(changes, byte));
        return result;
    }
    result.pulse = pulseField(chip, *pulse, encodeField(*pulse, 0, fieldsWriteByte(changes, byte)));
    result.write.value = result.pulse->value;
    if (!result.pulse->high.ok()) {
        result.write.outcome = CellWrite::Outcome::NotAcknowledged;
        result.write.failure = result.pulse->high;
        return result;
    }
    result.write.outcome = CellWrite::Outcome::Written;
    result.write.failure = result.pulse->low;
    if (result.pulse->low.ok()) // else the field may be left high
        readBack(chip, reg, result.write);
    return result;
}

FieldWrite writeField(const Chip& chip, const RegisterField& field, unsigned value) {
    const FieldChange change[] = {{&field, value}};
    return writeFields(chip, field.reg, change);
}
