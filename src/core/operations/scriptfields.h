// A register's bit fields as scripts set them, the command-line tool's `set`
// and the Python module's Chip.set alike: fields named as a person names
// them, values as typed, one write of the register with the other fields as
// the chip holds them, and its read-back.
#pragma once

#include "core/operations/scriptaccess.h"
#include "core/registers/registereffects.h"

#include <QList>
#include <QString>
#include <utility>
#include <vector>

// A field named and the value typed for it.
using NamedValue = std::pair<QString, QString>;

// Why a register without fields (registerFields() is empty) is refused: "the
// register is one with fields, 0x00 to 0x0C or 0x10, not '0x20'." (`given`
// as typed).
QString fieldRegisterRefusal(const QString& given);

// The changes `named` makes in `reg`, each field found by its name in any
// case and its value parsed as the field takes it; else a Usage failure that
// says which name or value is wrong, or which rule of the fields refuses
// them (the message without a pointer to help).
Told<std::vector<FieldChange>> namedFieldChanges(std::uint8_t reg, const QList<NamedValue>& named);

struct FieldsSet {
    std::uint8_t written = 0;
    std::uint8_t readBack = 0;
    bool pulsed = false;    // a pulse field (Recalibrate) went high and low again
    bool resetChip = false; // the write reset the chip: the read-back is its default
};

// Reads `reg` (every other field keeps what the chip holds), writes the
// changes in one write and reads the register back. A read-back other than
// the byte written, a reset aside, fails as Differs ("0x06 Transmit Current:
// wrote 0x05, read back 0x04") with the values still told.
Told<FieldsSet> setFields(const Chip& chip, std::uint8_t reg, std::span<const FieldChange> changes);
