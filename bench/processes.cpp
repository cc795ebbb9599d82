#include "processes.h"

#include "probeprocess.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace {

constexpr int kPaintTimeoutMs = 60'000;
constexpr int kExitTimeoutMs = 10'000;

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Kind {
    std::vector<std::string> argv;
    std::vector<double> paintMs;
    std::vector<double> peakMiB;
    std::vector<double> tailSwitches;
    std::vector<double> idleSwitches;
};

bool startUp(Kind& kind, FirstPaintReport& report) {
    ProbeProcess probe(kind.argv);
    if (!probe.waitForPaint(report, kPaintTimeoutMs) || !probe.waitForExit(kExitTimeoutMs))
        return false;
    kind.paintMs.push_back(report.startToPaintMs);
    kind.peakMiB.push_back(report.peakResidentMiB);
    return true;
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool idle(Kind& kind, double settleSeconds, double seconds) {
    std::vector<std::string> argv = kind.argv;
    argv.push_back("--stay");
    ProbeProcess probe(argv);
    FirstPaintReport report;
    if (!probe.waitForPaint(report, kPaintTimeoutMs))
        return false;
    const long painted = probe.voluntarySwitches();
    sleepSeconds(settleSeconds);
    const long settled = probe.voluntarySwitches();
    sleepSeconds(seconds);
    const long idled = probe.voluntarySwitches();
    if (painted < 0 || settled < 0 || idled < 0)
        return false;
    kind.tailSwitches.push_back(static_cast<double>(settled - painted));
    kind.idleSwitches.push_back(static_cast<double>(idled - settled));
    return true;
}

std::string runsNote(std::size_t n) {
    return " (median of " + std::to_string(n) + ")";
}

// The medians of `a` (the figure) and `b` (the floor) with their ratio.
ResultRow medianRow(const std::string& what, const std::vector<double>& a,
                    const std::vector<double>& b, int digits, const char* unit,
                    const char* floorNote, const char* goal, double limit, bool judged = true) {
    if (a.empty() || b.empty())
        return missingRow(what, "no run finished");
    const double figure = median(a);
    const double floor = median(b);
    const double ratio = floor > 0 ? figure / floor : (figure > 0 ? 0 : 1);
    const bool met = floor > 0 ? ratio <= limit : figure <= 0;
    return {what + runsNote(std::min(a.size(), b.size())),
            withUnit(figure, digits, unit),
            withUnit(floor, digits, unit) + floorNote,
            ratio,
            goal,
            met,
            true,
            judged};
}

// One run of a program to its end by the run probe: wall time from its spawn
// to its exit, and its peak resident memory.
struct Exit {
    double ms = 0;
    double peakMiB = 0;
};

std::optional<Exit> runToExit(const std::string& runProbe, const std::vector<std::string>& argv,
                              std::string& why) {
    std::vector<std::string> probeArgv{runProbe};
    probeArgv.insert(probeArgv.end(), argv.begin(), argv.end());
    ProbeProcess probe(probeArgv);
    std::string line;
    int status = -1;
    long long ns = 0;
    long peakKiB = 0;
    long probeKiB = 0;
    if (!probe.readLine(line, kExitTimeoutMs) || !probe.waitForExit(kExitTimeoutMs) ||
        std::sscanf(line.c_str(), "exited %d %lld %ld %ld", &status, &ns, &peakKiB, &probeKiB) !=
            4) {
        why = "the run probe did not report";
        return std::nullopt;
    }
    if (status != 0) {
        why = argv[0] + " exited with status " + std::to_string(status);
        return std::nullopt;
    }
    // Below the probe's own peak the child's cannot be told from it.
    if (peakKiB <= probeKiB) {
        why = "the run probe is as large as what it ran";
        return std::nullopt;
    }
    return Exit{ns / 1e6, peakKiB / 1024.0};
}

} // namespace

void addProcessRows(const ProcessOptions& options, std::vector<ResultRow>& rows) {
    const char* startWhat = "start-up: exec to first paint of the main window";
    const char* memoryWhat = "start-up: peak resident memory at first paint";
    char idleWhat[96];
    std::snprintf(idleWhat, sizeof idleWhat,
                  "idle %.1f s from %.1f s after first paint: voluntary context switches",
                  options.idleSeconds, options.settleSeconds);
    char tailWhat[96];
    std::snprintf(tailWhat, sizeof tailWhat,
                  "first %.1f s after first paint: voluntary context switches",
                  options.settleSeconds);

    Kind app;
    app.argv = {options.probe, "app"};
    // The first start warms the caches and tells the size of the main window.
    FirstPaintReport first;
    if (!startUp(app, first)) {
        for (const char* what : {startWhat, memoryWhat, static_cast<const char*>(idleWhat),
                                 static_cast<const char*>(tailWhat)})
            rows.push_back(missingRow(what, "the probe did not start"));
        return;
    }
    app.paintMs.clear();
    app.peakMiB.clear();
    Kind bare;
    bare.argv = {options.probe, "bare", "--size",
                 std::to_string(first.width) + "x" + std::to_string(first.height)};

    FirstPaintReport report;
    for (int i = 0; i < options.startups; ++i) {
        startUp(app, report);
        startUp(bare, report);
    }
    for (int i = 0; i < options.idleRuns; ++i) {
        idle(app, options.settleSeconds, options.idleSeconds);
        idle(bare, options.settleSeconds, options.idleSeconds);
    }

    auto row = [&](const char* what, const std::vector<double>& a, const std::vector<double>& b,
                   int digits, const char* unit, const char* goal, double limit,
                   bool judged = true) {
        rows.push_back(medianRow(what, a, b, digits, unit, " (bare window)", goal, limit, judged));
    };
    row(startWhat, app.paintMs, bare.paintMs, 1, "ms", "ratio <= 2", 2.0);
    row(memoryWhat, app.peakMiB, bare.peakMiB, 1, "MiB", "ratio <= 1.5", 1.5);
    row(idleWhat, app.idleSwitches, bare.idleSwitches, 0, "", "<= floor", 1.0);
    // The end of the start-up, for the record: no goal.
    row(tailWhat, app.tailSwitches, bare.tailSwitches, 0, "", "-", 0, false);
}

void addCliProcessRows(const ProcessOptions& options, std::vector<ResultRow>& rows) {
    const std::vector<std::string> cli{options.cli, "--demo", "read", "0x00"};
    const std::vector<std::string> bare{options.exitProbe};
    const char* timeWhat = "qdm7720a-cli --demo read 0x00: exec to exit";
    const char* memoryWhat = "qdm7720a-cli --demo read 0x00: peak resident memory";

    std::string why;
    // The first run of each warms the caches.
    if (!runToExit(options.runProbe, cli, why) || !runToExit(options.runProbe, bare, why)) {
        rows.push_back(missingRow(timeWhat, why));
        rows.push_back(missingRow(memoryWhat, why));
        return;
    }
    std::vector<double> cliMs, cliMiB, bareMs, bareMiB;
    for (int i = 0; i < options.cliRuns; ++i) {
        if (const std::optional<Exit> e = runToExit(options.runProbe, cli, why)) {
            cliMs.push_back(e->ms);
            cliMiB.push_back(e->peakMiB);
        }
        if (const std::optional<Exit> e = runToExit(options.runProbe, bare, why)) {
            bareMs.push_back(e->ms);
            bareMiB.push_back(e->peakMiB);
        }
    }
    const char* floorNote = " (bare QCoreApplication)";
    rows.push_back(medianRow(timeWhat, cliMs, bareMs, 1, "ms", floorNote, "ratio <= 1.5", 1.5));
    rows.push_back(
        medianRow(memoryWhat, cliMiB, bareMiB, 1, "MiB", floorNote, "ratio <= 1.2", 1.2));
}

void addPythonImportRow(const ProcessOptions& options, std::vector<ResultRow>& rows) {
    const std::string path = "import sys; sys.path.insert(0, '" + options.pythonModules + "')";
    const std::vector<std::string> imports{options.python, "-c", path + "; import qdm7720a"};
    const std::vector<std::string> bare{options.python, "-c", path};
    const char* what = "python3 -c 'import qdm7720a': exec to exit";
    std::string why;
    if (!runToExit(options.runProbe, imports, why) || !runToExit(options.runProbe, bare, why)) {
        rows.push_back(missingRow(what, why));
        return;
    }
    std::vector<double> importMs, bareMs;
    for (int i = 0; i < options.cliRuns; ++i) {
        if (const std::optional<Exit> e = runToExit(options.runProbe, imports, why))
            importMs.push_back(e->ms);
        if (const std::optional<Exit> e = runToExit(options.runProbe, bare, why))
            bareMs.push_back(e->ms);
    }
    ResultRow row =
        medianRow(what, importMs, bareMs, 1, "ms", " (python3 alone)", "import under 50 ms", 0);
    row.met = row.measured && median(importMs) - median(bareMs) < 50;
    rows.push_back(row);
}
