// The register commands of qdm7720a-cli: read, write, dump and scan.
#pragma once

#include "cli/commands.h"

namespace cli {

CommandResult read(Workbench& bench);
CommandResult write(Workbench& bench);
CommandResult dump(Workbench& bench);
CommandResult scan(Workbench& bench);

} // namespace cli
