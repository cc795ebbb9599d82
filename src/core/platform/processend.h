// Ending the process: a seam, so that tests can see the program end without
// the test process ending with it.
#pragma once

class ProcessEnd {
public:
    virtual ~ProcessEnd() = default;
    // Ends the process at once; only a test's stand-in returns.
    virtual void endProcess(int code) = 0;
};

class SystemProcessEnd : public ProcessEnd {
public:
    [[noreturn]] void endProcess(int code) override;
};
