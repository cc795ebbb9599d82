// What the commands of qdm7720a-cli share: how numbers and failures are
// said, how a command checks its operands, and how it compares the chip's
// registers with the values they should hold.
#pragma once

#include "cli/commands.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>

namespace cli {

// "0x0C": a register, value or address as every command prints it.
QString hex(int value);
// "1 register", "14 registers".
QString registers(int count);
// `part` of `whole` registers, as the subject of a sentence: "the register",
// "both registers", "all 3 registers", "2 of the 3 registers".
QString registersOf(int part, int whole);

CommandResult failure(int status, const QString& error);
// A command line that is wrong: status 2, and a pointer to --help.
CommandResult usage(const QString& error);
// A file that cannot be read or written: status 2, with the file named.
CommandResult fileError(const QString& path, const QString& why);
// What failed and why, with the exit status a script sees for it.
CommandResult linkFailure(const Workbench& bench, const QString& what, const LinkResult& result);
// " at 0x40": the chip's 7-bit address, for the messages.
QString atChip(const Workbench& bench);
// The chip's address in JSON: "address", the 7-bit form, and "addressByte".
void putAddress(const Workbench& bench, QJsonObject& json);

// A register or byte operand, decimal or 0x hex, 0 to 255.
std::optional<int> byteOperand(const QString& text);
// A usage failure unless the command has `least` to `most` operands (status
// 0 when it has); `takes` says what it takes ("a register and 1 to 256 bytes").
CommandResult operandCount(const Workbench& bench, int least, int most, const char* takes);

// The registers of `expected` as the chip reads them now, in as few
// transfers as runs of neighbouring registers allow (no register is read that
// is not asked for: the error counters clear when read). Each that differs
// gives a line "0x05: EXPECTED 0x12, chip 0x00" and a member of the JSON
// "differences", with status 1; the caller says what differs in the error.
// `what` names the reading in a failure's message ("read-back").
// Register values by register; none for a register not named.
using RegisterValues = std::map<int, std::optional<std::uint8_t>>;
// Every register of `ours` or `theirs` whose values differ (a register that
// one of them does not name, too), as compareWithChip says it, without a
// board.
CommandResult compareValues(const Workbench& bench, const RegisterValues& ours, const char* ourName,
                            const RegisterValues& theirs, const char* theirName);
CommandResult compareWithChip(Workbench& bench, const std::map<int, std::uint8_t>& expected,
                              const char* expectedName, const char* what);

} // namespace cli
