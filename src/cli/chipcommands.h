// The chip control commands of qdm7720a-cli: channel and recal.
#pragma once

#include "cli/commands.h"

namespace cli {

CommandResult channel(Workbench& bench);
CommandResult recal(Workbench& bench);

} // namespace cli
