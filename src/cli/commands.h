// The commands of qdm7720a-cli, each on the board link and the chip's
// address, without a prompt and without pauses meant for a person.
#pragma once

#include "cli/arguments.h"
#include "core/operations/chip.h"

#include <QJsonObject>
#include <QString>
#include <functional>

class StopSignals;

// The exit statuses a script sees.
enum ExitStatus {
    kDone = 0,
    kChipOrBoardFailed = 1, // not acknowledged, a failing status byte, a read-back that differs
    kUsageOrFileError = 2,
    kNoBoard = 3,
    kTimedOut = 4,
};

// What a command comes to: its exit status, what it says on standard output
// (as text and as JSON), and on a failure one line that says what failed and why.
struct CommandResult {
    int status = kDone;
    QString text;
    QJsonObject json;
    QString error;
};

// Where the commands work: the link, the register model and the chip's
// address. `chip()` makes no pauses.
struct Workbench {
    Workbench(BoardLink& l, const Arguments& a) : link(l), arguments(a) {}
    BoardLink& link;
    RegisterModel registers;
    DeviceAddress address;
    const Arguments& arguments;
    // The waits between the steps of a run, and the signals that stop it;
    // a run needs the clock, and without the signals runs to its end.
    Clock* clock = nullptr;
    StopSignals* stopSignals = nullptr;
    // Takes a line of a run's output as it comes (false when it could not be
    // written); none: the lines go into the command's text.
    std::function<bool(const QString&)> progress;
    Chip chip() { return {link, registers, address, nullptr}; }
    // Finds the boards and selects the one the arguments name; a failure
    // when there is none such. A command calls it once its arguments are
    // known to be good, so that bad input is told as such, board or none.
    std::optional<CommandResult> connect();
};

// Runs the command the arguments name.
CommandResult runCommand(Workbench& bench);
