// One run of a probe as a child process: started, read until it reports (the
// start-up probe: its first paint), sampled, and ended.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct FirstPaintReport {
    double startToPaintMs = 0; // from just before exec to the first paint
    double peakResidentMiB = 0;
    int width = 0;
    int height = 0;
};

class ProbeProcess {
public:
    explicit ProbeProcess(const std::vector<std::string>& argv);
    ~ProbeProcess();
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Waits (at most `timeoutMs`) for the first line on its standard output.
    bool readLine(std::string& line, int timeoutMs);
    // Waits (at most `timeoutMs`) for the report of the first paint.
    bool waitForPaint(FirstPaintReport& report, int timeoutMs);
    // Voluntary context switches of all the process's threads so far.
    long voluntarySwitches() const;
    // Waits for the process to end by itself, and ends it when it does not
    // within `timeoutMs`. True when it ended by itself with status 0.
    bool waitForExit(int timeoutMs);
    void terminate();

private:
    pid_t pid_ = -1;
    int out_ = -1; // the read end of its standard output
    long long startNs_ = 0;
};
