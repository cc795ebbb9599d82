#include "processes.h"

#include "probeprocess.h"

#include <algorithm>
#include <chrono>
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
        if (a.empty() || b.empty()) {
            rows.push_back(missingRow(what, "no run finished"));
            return;
        }
        const double figure = median(a);
        const double floor = median(b);
        const double ratio = floor > 0 ? figure / floor : (figure > 0 ? 0 : 1);
        const bool met = floor > 0 ? ratio <= limit : figure <= 0;
        rows.push_back(
            {what + runsNote(std::min(a.size(), b.size())), withUnit(figure, digits, unit),
             withUnit(floor, digits, unit) + " (bare window)", ratio, goal, met, true, judged});
    };
    row(startWhat, app.paintMs, bare.paintMs, 1, "ms", "ratio <= 2", 2.0);
    row(memoryWhat, app.peakMiB, bare.peakMiB, 1, "MiB", "ratio <= 1.5", 1.5);
    row(idleWhat, app.idleSwitches, bare.idleSwitches, 0, "", "<= floor", 1.0);
    // The end of the start-up, for the record: no goal.
    row(tailWhat, app.tailSwitches, bare.tailSwitches, 0, "", "-", 0, false);
}
