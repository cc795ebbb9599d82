// The register file commands of qdm7720a-cli: save, load and diff.
#pragma once

#include "cli/commands.h"

namespace cli {

CommandResult save(Workbench& bench);
CommandResult load(Workbench& bench);
CommandResult diff(Workbench& bench);

} // namespace cli
