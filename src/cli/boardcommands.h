// The board's own commands in qdm7720a-cli: list, clock and led.
#pragma once

#include "cli/commands.h"

namespace cli {

CommandResult list(Workbench& bench);
CommandResult clock(Workbench& bench);
CommandResult led(Workbench& bench);

} // namespace cli
