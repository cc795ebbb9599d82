// The command-line tool set up as its main() sets it up, on a simulated
// board (its chip at 0x40) behind the full-speed USB timing model instead of
// the demo board:
// runCommand(rig.bench) runs the command line given.
#pragma once

#include "timedboard.h"

#include "cli/commands.h"
#include "core/link/boardlink.h"

struct CliRig {
    explicit CliRig(const QStringList& commandLine)
        : arguments(parseArguments(QStringList{QStringLiteral("qdm7720a-cli")} + commandLine)
                        .arguments.value_or(Arguments{})) {
        link.setAnswerLimitMs(arguments.timeoutMs);
        bench.address.setByte(static_cast<std::uint8_t>(arguments.address7 << 1));
    }
    SimBoard& board() { return timed.board(); }

    TimedBoard timed{0x40};
    BoardLink link{timed.usb};
    Arguments arguments;
    Workbench bench{link, arguments};
};
