// The register file commands of qdm7720a-cli: save, load and diff, and
// the registers of a file for dump --file.
#pragma once

#include "cli/commandsupport.h"

namespace cli {

CommandResult save(Workbench& bench);
CommandResult load(Workbench& bench);
// diff FILE compares with the chip, diff FILE1 FILE2 the two files.
CommandResult diff(Workbench& bench);

// The value each register of a register file (- for standard input) is
// given by its last line, checked whole, and in `skipped` the count of its
// register lines with no value; else why there is none.
std::optional<RegisterValues> registerFileValues(const QString& path, CommandResult& refusal,
                                                 int* skipped = nullptr);

} // namespace cli
