// The signals that end a run (Ctrl+C, a kill, the terminal or the ssh session
// closed), held pending while it goes on, so that none cuts an exchange with
// the board short, and looked for between its steps.
#pragma once

#include "core/platform/stopsignal.h"

class StopSignals {
public:
    // From now on the signals wait until asked for; they are never let
    // through again, and the process ends with the status the run returns.
    void hold();
    // A stop signal that has come since hold(), else 0.
    int pending() const;

private:
    bool held_ = false;
};
