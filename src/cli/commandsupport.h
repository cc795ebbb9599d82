// What the commands of qdm7720a-cli share: how numbers and failures are
// said, and how a command checks its operands.
#pragma once

#include "cli/commands.h"

#include <QString>
#include <optional>

namespace cli {

// "0x0C": a register, value or address as every command prints it.
QString hex(int value);

CommandResult failure(int status, const QString& error);
// A command line that is wrong: status 2, and a pointer to --help.
CommandResult usage(const QString& error);
// A file that cannot be read or written: status 2, with the file named.
CommandResult fileError(const QString& path, const QString& why);
// What failed and why, with the exit status a script sees for it.
CommandResult linkFailure(const Workbench& bench, const QString& what, const LinkResult& result);
// " at 0x40": the chip's 7-bit address, for the messages.
QString atChip(const Workbench& bench);

// A register or byte operand, decimal or 0x hex, 0 to 255.
std::optional<int> byteOperand(const QString& text);
// A usage failure unless the command has `least` to `most` operands (status 0
// when it has).
CommandResult operandCount(const Workbench& bench, int least, int most);

} // namespace cli
