// Editing a register in its cell: every key release in a cell writes the
// cell's value to the register and shows the value the chip reads back; the
// arrow and page keys step the value first.
#pragma once

#include "core/operations/chip.h"
#include "core/operations/chipcontrols.h"
#include "core/registers/registereffects.h"

#include <optional>
#include <vector>

// The modifier state of a key event as a bit set.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

// Whether a key release with modifier state `modifiers` goes on to write:
// Shift, Ctrl or both (without Alt) do not; any other state, Alt ones
// included, does.
constexpr bool releaseWrites(int modifiers) {
    return modifiers != kShiftMask && modifiers != kCtrlMask &&
           modifiers != (kShiftMask | kCtrlMask);
}

// The change a step key makes to a cell's value (arrows +-1, Page Up/Down
// +-16), or nothing for any other key. `key` is a Qt::Key.
std::optional<int> stepOfKey(int key);

struct CellWrite {
    enum class Outcome {
        Skipped,         // the release does not write (its modifiers, or a read-only register)
        NotAByte,        // the cell holds pasted text that is no byte: left to the user
        NotAcknowledged, // the write failed; the cell keeps its text
        Written,         // written; `readBack` holds what the chip read back, if it did
    };
    Outcome outcome = Outcome::Skipped;
    std::uint8_t value = 0;
    std::optional<std::uint8_t> readBack;
    LinkResult failure; // the write, else the read-back, that failed
};

// Writes `value` to `reg` (with the link's policy), pauses 0.2 s and reads it
// back once. The model shows the read-back, or what the write left it
// knowing when the read-back failed; after a write not taken it keeps what
// it showed.
CellWrite writeRegisterWithReadBack(const Chip& chip, std::uint8_t reg, std::uint8_t value);

// A key released in the cell of `reg`, with the modifier state `modifiers`:
// drains stale input, steps the value for a step key (shown at once), else
// pauses 0.5 s so that a second digit typed meanwhile is part of the value,
// then writes what the cell shows with its read-back.
CellWrite releaseKeyInCell(const Chip& chip, std::uint8_t reg, int key, int modifiers);

struct FieldWrite {
    std::uint8_t reg = 0;
    std::vector<FieldChange> changes;
    // Why nothing was written, by the rules of the fields.
    FieldChangeRefusal refusal;
    // Skipped when refused; NotAcknowledged also for the read of a register
    // not known before, whose failure `write.failure` holds.
    CellWrite write;
    // The pulse made for a pulse field (Recalibrate) set to 1.
    std::optional<Recalibration> pulse;
};

// Changes fields of `reg` in one write of the register with its read-back,
// as a cell edit does: every other field keeps what the model knows the
// register holds (read, or written without a read-back), a self-clearing
// one written 0; when the model knows nothing of it, the register is read
// first. Changes the rules of the fields refuse write nothing. A pulse field
// set to 1 is a pulse on the register with the other changes made: high,
// held, low again, then the read-back.
FieldWrite writeFields(const Chip& chip, std::uint8_t reg, std::span<const FieldChange> changes);
FieldWrite writeField(const Chip& chip, const RegisterField& field, unsigned value);
