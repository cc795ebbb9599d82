// The register field commands of qdm7720a-cli, decode and set, and the
// fields as dump --fields and diff --fields print them.
#pragma once

#include "cli/commands.h"

#include <QJsonArray>

namespace cli {

CommandResult decode(Workbench& bench);
CommandResult set(Workbench& bench);

// The fields of `byte` in register `reg`, one indented line each with a
// mark ('*' a value other than after reset, '!' a reserved or unused field's
// value that breaks its rule), the bits, name, value, value after reset,
// meaning and access: "    * 1:0  Channel Select  0x1  reset 0x0  B
// read-write, ..."; `described` adds the description's lines of each field
// below it.
QString fieldLines(std::uint8_t reg, std::uint8_t byte, bool described = false);
// The same as {name, bits, value, meaning, access, writable, default,
// isDefault} objects, with readOnlyBecause while another field makes one
// read-only, rule and breaksRule for a reserved or unused field, and the
// description's lines when `described`.
QJsonArray fieldsJson(std::uint8_t reg, std::uint8_t byte, bool described = false);
// The fields that differ between our byte (`ours`, called `what`, as "file")
// and theirs (called `other`, as "chip"), a line each: "0x06 Transmit
// Current: file 10.500 mA, chip 10.000 mA"; empty when no field differs.
QString fieldDifferences(std::uint8_t reg, const char* what, std::uint8_t ours, const char* other,
                         std::uint8_t theirs);
// The same as {name, bits, what: {value, meaning}, other: {value, meaning}}.
QJsonArray fieldDifferencesJson(std::uint8_t reg, const char* what, std::uint8_t ours,
                                const char* other, std::uint8_t theirs);

} // namespace cli
