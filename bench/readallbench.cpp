// Read All as the program does it, against a simulated board behind the
// full-speed USB timing model, next to the least that model allows.
#include "benchplatform.h"
#include "rows.h"

#include "app/clock.h"
#include "app/mainwindow.h"
#include "registers/registergrid.h"
#include "sim/frameclock.h"
#include "sim/simtransport.h"
#include "sim/usbtimedtransport.h"
#include "ui_mainwindow.h"

#include <benchmark/benchmark.h>

namespace {

constexpr double kFrameMs = UsbTimedTransport::kFrameNs / 1e6;
// The input drain waits 1 ms for a report that is not there; each exchange
// then takes two frames: the request leaves at a frame boundary, the answer
// comes one frame later, and the next request waits for the next boundary.
constexpr double kDrainMs = 1.0;
constexpr double kExchangeMs = 2 * kFrameMs;
constexpr int kBurstExchanges = 2;   // 0x00..0x0C, then 0x10
constexpr int kSingleExchanges = 14; // one per register of the main set

double floorMs(int exchanges) {
    return kDrainMs + exchanges * kExchangeMs;
}

struct ReadAllRig {
    explicit ReadAllRig(bool burst) {
        // The chip at address 0 answers the start-up read-back without a message.
        sim.addBoard().addChip(0x00);
        window.Form_Load();
        window.ui().chkBurstRead->setChecked(burst);
    }
    SimBoard& board() { return sim.board(0); }

    SystemClock clock;
    SteadyFrameClock frames;
    AnsweringDialogs dialogs;
    RecordedExit exit;
    SimTransport sim{clock};
    UsbTimedTransport usb{sim, frames};
    MainWindow window{Platform{usb, dialogs, clock, exit}};
};

void readAll(benchmark::State& state, bool burst, int exchanges) {
    ReadAllRig rig(burst);
    rig.board().received.clear();
    rig.window.cmdReadAllRegisters_Click();
    if (rig.board().received.size() != static_cast<std::size_t>(exchanges) ||
        rig.window.grid().text(0x00) != QLatin1String("31") || rig.dialogs.shown != 0) {
        state.SkipWithError("Read All did not read the main set as expected");
        return;
    }
    for (auto _ : state) {
        rig.window.cmdReadAllRegisters_Click();
        rig.board().received.clear();
    }
}

void readAllBurst(benchmark::State& state) {
    readAll(state, true, kBurstExchanges);
}

void readAllSingle(benchmark::State& state) {
    readAll(state, false, kSingleExchanges);
}

} // namespace

BENCHMARK(readAllBurst)->Name("readall/burst")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(readAllSingle)->Name("readall/single")->UseRealTime()->Unit(benchmark::kMillisecond);

void addReadAllRows(const Runs& runs, std::vector<ResultRow>& rows) {
    constexpr double kGoalRatio = 1.05;
    const struct {
        const char* name;
        const char* what;
        int exchanges;
    } modes[] = {
        {"readall/burst", "Read All, burst (2 exchanges), full-speed USB model", kBurstExchanges},
        {"readall/single", "Read All, single (14 exchanges), full-speed USB model",
         kSingleExchanges},
    };
    for (const auto& m : modes) {
        const auto run = runs.find(m.name);
        if (run == runs.end() || run->second.error_occurred) {
            rows.push_back(missingRow(m.what, "not run"));
            continue;
        }
        const double ms = run->second.GetAdjustedRealTime();
        const double floor = floorMs(m.exchanges);
        rows.push_back({m.what, withUnit(ms, 3, "ms"), withUnit(floor, 3, "ms (model)"), ms / floor,
                        "ratio <= 1.05", ms / floor <= kGoalRatio});
    }
}
