// SIGINT and SIGTERM for a run that must end cleanly: held pending while it
// goes on, so that neither cuts an exchange with the board short, and looked
// for between its steps.
#pragma once

class StopSignals {
public:
    // From now on the two signals wait until asked for; they are never let
    // through again, and the process ends with the status the run returns.
    void hold();
    // SIGINT or SIGTERM when one has come since hold(), else 0.
    int pending() const;

private:
    bool held_ = false;
};

// The exit status of a process that stops on `signal`: 128 + its number.
int stopStatus(int signal);
