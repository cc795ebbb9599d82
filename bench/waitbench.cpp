// The CPU time the program burns while it waits: the address scan on a board
// with no chip, 128 probes with a 0.1 s wait after each, with the window
// shown and repainted, next to plain 4 ms sleeps for the same share of a core.
#include "benchplatform.h"
#include "rows.h"

#include "core/platform/clock.h"
#include "core/sim/simtransport.h"
#include "ui_mainwindow.h"
#include "windows/mainwindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t kProbes = 128;

struct ScanRig {
    ScanRig() {
        sim.addBoard(); // no chip answers anywhere
        window.start();
        window.show();
        QElapsedTimer shown;
        shown.start();
        while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
               shown.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
    }

    SystemClock clock;
    AnsweringPrompt prompt;
    RecordedEnd end;
    SimTransport sim{clock};
    MainWindow window{Platform{sim, prompt, prompt, clock, end}};
};

void scanWaits(benchmark::State& state) {
    ScanRig rig;
    int before = 0;
    for (auto _ : state) {
        rig.sim.board(0).received.clear();
        before = rig.prompt.shown;
        rig.window.ui().cmdScanI2Caddress->click();
    }
    // Every address probed, then the one question, answered No.
    if (rig.sim.board(0).received.size() != kProbes || rig.prompt.shown != before + 1 ||
        rig.end.ended)
        state.SkipWithError("the scan did not probe every address");
}

void sleepFloor(benchmark::State& state) {
    constexpr int kSlices = 250; // 1 s of the wait's 4 ms slices
    SystemClock clock;
    for (auto _ : state) {
        for (int i = 0; i < kSlices; ++i)
            clock.sleepMs(4);
    }
}

} // namespace

// Whole-process CPU time against wall time, once: the scan alone takes 13 s.
BENCHMARK(scanWaits)
    ->Name("wait/scan")
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(sleepFloor)
    ->Name("wait/floor_sleep")
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void addWaitRows(const Runs& runs, std::vector<ResultRow>& rows) {
    constexpr double kGoalShare = 0.05;
    const char* what = "scan waits (128 x 0.1 s): CPU share of one core";
    const auto scan = runs.find("wait/scan");
    const auto floor = runs.find("wait/floor_sleep");
    if (scan == runs.end() || floor == runs.end())
        return; // left out by a filter
    if (scan->second.error_occurred) {
        rows.push_back(missingRow(what, scan->second.error_message));
        return;
    }
    auto share = [](const benchmark::BenchmarkReporter::Run& run) {
        return run.GetAdjustedCPUTime() / run.GetAdjustedRealTime();
    };
    const double s = share(scan->second);
    const double f = share(floor->second);
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.2f %% (%.0f ms CPU in %.1f s)", 100 * s,
                  scan->second.GetAdjustedCPUTime(), scan->second.GetAdjustedRealTime() / 1000);
    rows.push_back({what, figure, withUnit(100 * f, 2, "% (4 ms sleeps)"), f > 0 ? s / f : 0,
                    "< 5 %", s < kGoalShare});
}
