// Ending the process: a seam so that tests can see the program end without
// the test process ending with it.
#pragma once

class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    // Ends the process at once; only a test stand-in returns.
    virtual void endProcess(int code) = 0;
};

class SystemProcessExit : public ProcessExit {
public:
    [[noreturn]] void endProcess(int code) override;
};
