// Read All as the program does it, against a simulated board behind the
// full-speed USB timing model, next to the least that model allows.
#include "benchplatform.h"
#include "rows.h"
#include "timedboard.h"

#include "core/operations/readall.h"
#include "ui_mainwindow.h"
#include "windows/mainwindow.h"
#include "windows/registergrid.h"

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
        window.start();
        window.ui().chkBurstRead->setChecked(burst);
    }
    SimBoard& board() { return timed.board(); }

    // The chip at address 0 answers the start-up read-back without a message.
    TimedBoard timed{0x00};
    AnsweringPrompt prompt;
    RecordedEnd end;
    MainWindow window{Platform{timed.usb, prompt, prompt, timed.clock, end}};
};

void readAll(benchmark::State& state, bool burst, int exchanges) {
    ReadAllRig rig(burst);
    rig.board().received.clear();
    rig.window.readAllRegisters();
    if (rig.board().received.size() != static_cast<std::size_t>(exchanges) ||
        rig.window.session().registers().text(0x00) != QLatin1String("31") ||
        rig.prompt.shown != 0) {
        state.SkipWithError("Read All did not read the main set as expected");
        return;
    }
    for (auto _ : state) {
        rig.window.readAllRegisters();
        rig.board().received.clear();
    }
}

// The same drain and exchanges straight on the timed transport, without the
// program: what the model costs on this machine now, wake-up latency and all.
void modelAlone(benchmark::State& state, int exchanges) {
    TimedBoard timed{0x00};
    timed.connect();
    Report request{};
    request[1] = CMD_I2C;
    request[2] = 1;
    request[3] = 0x01; // register 0x00 of the chip at address 0
    for (auto _ : state) {
        timed.drain();
        for (int i = 0; i < exchanges; ++i)
            timed.exchange(request);
        timed.board().received.clear();
    }
    if (timed.answer[1] != 0 || timed.answer[2] != 0x31)
        state.SkipWithError("the simulated chip did not answer");
}

void modelBurst(benchmark::State& state) {
    modelAlone(state, kBurstExchanges);
}

void modelSingle(benchmark::State& state) {
    modelAlone(state, kSingleExchanges);
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
BENCHMARK(modelBurst)->Name("readall/model_burst")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(modelSingle)->Name("readall/model_single")->UseRealTime()->Unit(benchmark::kMillisecond);

void addReadAllRows(const Runs& runs, std::vector<ResultRow>& rows) {
    addModelledRows(
        runs,
        {
            {"readall/burst", "readall/model_burst",
             "Read All, burst (2 exchanges), full-speed USB model", floorMs(kBurstExchanges)},
            {"readall/single", "readall/model_single",
             "Read All, single (14 exchanges), full-speed USB model", floorMs(kSingleExchanges)},
        },
        rows);
}
