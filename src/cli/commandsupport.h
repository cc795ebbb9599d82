// What the commands of qdm7720a-cli share: how numbers and failures are
// said, how a command checks its operands, and how it compares the chip's
// registers with the values they should hold.
#pragma once

#include "cli/commands.h"
#include "core/operations/scriptaccess.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>

namespace cli {

// "0x0C": a register, value or address as every command prints it.
QString hex(int value);
// "1 register", "14 registers".
QString registers(int count);

CommandResult failure(int status, const QString& error);
// A failure the core told, with the exit status of its kind.
CommandResult failure(const OperationFailure& told);
// A command line that is wrong: status 2, and a pointer to --help; with
// --json no document, as for the mistakes the parser finds.
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

// Register values by register; none for a register not named.
using RegisterValues = std::map<int, std::optional<std::uint8_t>>;
// Every register of `ours` or `theirs` whose values differ (a register that
// one of them does not name, too), without a board: a line "0x05: OURS 0x12,
// THEIRS 0x00" (with --fields, the fields that differ) and a member of the
// JSON "differences" each, with status 1 when any differs.
CommandResult compareValues(const Workbench& bench, const RegisterValues& ours, const char* ourName,
                            const RegisterValues& theirs, const char* theirName);
// The registers of `expected` as the chip reads them now, in as few
// transfers as runs of neighbouring registers allow (no register is read that
// is not asked for: the error counters clear when read), those that differ
// said as compareValues says them, the chip's as "chip"; the caller says what
// differs in the error. `what` names the reading in a failure's message
// ("read-back").
CommandResult compareWithChip(Workbench& bench, const std::map<int, std::uint8_t>& expected,
                              const char* expectedName, const char* what);
// The registers that differ as compareWithChip says them.
CommandResult differencesResult(const Workbench& bench,
                                const std::vector<RegisterDifference>& found,
                                const char* expectedName);

} // namespace cli
