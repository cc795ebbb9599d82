// The signals that end a program from outside: Ctrl+C at its terminal
// (SIGINT), a kill or the end of the desktop session (SIGTERM), the terminal
// or ssh session closed (SIGHUP). The programs end on them as they end on
// their own, putting back what a run changed, with status 128 + the signal.
#pragma once

#include <QString>
#include <csignal>

inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// "SIGINT", "SIGTERM", "SIGHUP".
QString stopSignalName(int signal);

// The exit status of a process that stops on `signal`: 128 + its number.
constexpr int stopStatus(int signal) {
    return 128 + signal;
}
