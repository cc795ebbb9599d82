// The register field commands of qdm7720a-cli, decode and set, and the
// fields as dump --fields and diff --fields print them.
#pragma once

#include "cli/commands.h"

#include <QJsonArray>

namespace cli {

CommandResult decode(Workbench& bench);
CommandResult set(Workbench& bench);

// The fields of `byte` in register `reg`, one indented line each with the
// bits, name, value and meaning ("      1:0  Channel Select   0x1  B").
QString fieldLines(std::uint8_t reg, std::uint8_t byte);
// The same as {name, bits, value, meaning} objects.
QJsonArray fieldsJson(std::uint8_t reg, std::uint8_t byte);
// The fields that differ between our byte (`ours`, called `what`, as "file")
// and the chip's, a line each: "0x06 Transmit Current: file 10.500 mA, chip
// 10.000 mA"; empty when no field differs.
QString fieldDifferences(std::uint8_t reg, const char* what, std::uint8_t ours, std::uint8_t chip);
// The same as {name, bits, what: {value, meaning}, chip: {value, meaning}}.
QJsonArray fieldDifferencesJson(std::uint8_t reg, const char* what, std::uint8_t ours,
                                std::uint8_t chip);

} // namespace cli
