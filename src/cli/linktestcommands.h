// The link test commands of qdm7720a-cli: prbs counts PRBS7 errors interval
// by interval, sweep measures them at each equalizer gain of one channel.
// Both wait between their steps on the bench's clock, stop cleanly on SIGINT
// or SIGTERM, and put back every register they changed.
#pragma once

#include "cli/commands.h"

#include <optional>

namespace cli {

CommandResult prbs(Workbench& bench);
CommandResult sweep(Workbench& bench);

// A usage failure when an option of prbs or sweep is given to another
// command, or one of prbs's to sweep and the other way round.
std::optional<CommandResult> misplacedLinkTestOption(const Arguments& arguments);

} // namespace cli
