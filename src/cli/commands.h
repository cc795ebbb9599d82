// The commands of qdm7720a-cli, each on the board link and the chip's
// address, without a prompt and without pauses meant for a person.
#pragma once

#include "cli/arguments.h"
#include "core/operations/chip.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>

class StopSignals;

// The exit statuses a script sees.
enum ExitStatus {
    kDone = 0,
    kChipOrBoardFailed = 1, // not acknowledged, a failing status byte, a read-back that differs
    kUsageOrFileError = 2,
    kNoBoard = 3, // none found, none of that number, or the board is gone
    kTimedOut = 4,
};

// What a command comes to: its exit status, what it says on standard output
// (as text and as JSON), and on a failure one line that says what failed and
// why. A notice is a line on standard error that is no failure.
struct CommandResult {
    int status = kDone;
    QByteArray bytes; // written to standard output before the text (save -)
    QString text;
    QJsonObject json;
    QString error;
    QString notice;
    bool commandLineMistake = false; // said on standard error only, never in JSON
};

// Where the commands work: the link, the register model and the chip's
// address. `chip()` makes no pauses.
struct Workbench {
    Workbench(BoardLink& l, const Arguments& a) : link(l), arguments(a) {}
    BoardLink& link;
    RegisterModel registers;
    ChipTracker tracker{link, registers};
    DeviceAddress address;
    const Arguments& arguments;
    // The files the command reads or writes ("/dev/stdin" for standard
    // input), which the trace must not be.
    QStringList files;
    // Opens the trace, if one was asked for; why it cannot, else nothing.
    std::function<std::optional<QString>(const QStringList& files)> openTrace;
    // The waits between the steps of a run, and the signals that stop it;
    // a run needs the clock, and without the signals runs to its end.
    Clock* clock = nullptr;
    StopSignals* stopSignals = nullptr;
    // Takes a line of a run's output as it comes (false when it could not be
    // written); none: the lines go into the command's text.
    std::function<bool(const QString&)> progress;
    Chip chip() { return {link, registers, address, nullptr, &tracker}; }
    // Opens the trace, finds the boards and selects the one the arguments
    // name; a failure when the trace cannot be written or there is no such
    // board. A command calls it once its arguments are known to be good, so
    // that bad input is told as such, board or none, and touches no trace.
    std::optional<CommandResult> connect();
};

// Runs the command the arguments name.
CommandResult runCommand(Workbench& bench);
