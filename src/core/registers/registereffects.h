// What a register access does to the chip besides the bytes it moves, read
// from the field table (a reset that puts every register back, a bit the
// chip clears by itself, counters that clear when read), and what a write
// therefore leaves the program knowing of the chip.
#pragma once

#include "core/registers/registerfields.h"
#include "core/registers/registermodel.h"

#include <QString>
#include <cstdint>
#include <span>

// Whether `value` written to `reg` resets the chip.
bool writeResetsChip(std::uint8_t reg, std::uint8_t value);
// Whether a read of `reg` clears it.
bool readClears(std::uint8_t reg);

// A field of a register and the value it is to take.
struct FieldChange {
    const RegisterField* field = nullptr;
    unsigned value = 0;
};

// Why changes of a register's fields cannot be written in one write.
struct FieldChangeRefusal {
    enum class Reason {
        None,
        OtherRegister,   // the fields are not all of the one register
        OutOfRange,      // a value above the field's largest
        NotWritable,     // read-only, cleared by read, reserved or not used
        GivenTwice,      // the same field twice
        ResetWithOthers, // a reset puts every other field back at once
        ReadOnlyWhile,   // another field set in the register makes it read-only
    };
    Reason reason = Reason::None;
    const RegisterField* field = nullptr; // the field refused
    QString text;                         // the reason as a sentence
    explicit operator bool() const { return reason != Reason::None; }
};

// The rules that need no value of the register: every field of `reg` and one
// the user may set, with a value it takes, none given twice, a reset alone.
FieldChangeRefusal refusalOf(std::uint8_t reg, std::span<const FieldChange> changes);
// Those and the ones that need what the register holds (`known`): no field
// changed while the register as written would make it read-only.
FieldChangeRefusal refusalOf(std::uint8_t reg, std::span<const FieldChange> changes,
                             std::uint8_t known);

// The byte that makes `changes` in a register holding `known`: every other
// field as it was, but a self-clearing one written 0 (a 1 there would start
// its action again: a Reset, say).
std::uint8_t fieldsWriteByte(std::span<const FieldChange> changes, std::uint8_t known);
std::uint8_t fieldWriteByte(const RegisterField& field, unsigned value, std::uint8_t known);
// The field among `changes` that is a pulse taken high, if one is.
const RegisterField* pulseAmong(std::span<const FieldChange> changes);

// A write of `data` from `first` on that reached the chip, or may have: a
// reset leaves no register known; a register with a self-clearing bit
// written 1 is not known until read; any other holds what was written.
void noteRegistersWritten(RegisterModel& model, std::uint8_t first,
                          std::span<const std::uint8_t> data);
