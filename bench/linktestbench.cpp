// The equalizer sweep of qdm7720a-cli, run in process as its main() runs it:
// 16 gains at 100 ms dwell on a simulated board behind the full-speed USB
// timing model, next to the least that model allows, to the same exchanges
// and pauses on the model alone, and the share of a core its waits burn.
#include "rows.h"

#include "cli/commands.h"
#include "core/link/boardlink.h"
#include "core/link/i2cframes.h"
#include "core/platform/clock.h"
#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"
#include "core/sim/usbtimedtransport.h"

#include <QJsonArray>
#include <benchmark/benchmark.h>

namespace {

constexpr double kFrameMs = UsbTimedTransport::kFrameNs / 1e6;
constexpr std::uint8_t kChip7 = 0x40;
constexpr int kGains = 16;
constexpr int kDwellMs = 100;
// Each gain: its write, a read that clears the counters, the dwell, the read
// of the counters. Around them: a drain of 1 ms, the read of 0x02 to 0x09,
// the writes of 0x02 and 0x09, and the three writes back. Every exchange
// takes two frames (request at a frame boundary, answer one frame later).
constexpr int kExchangesPerGain = 3;
constexpr int kExchangesAround = 6;
constexpr double kDrainMs = 1.0;
constexpr double kFloorMs =
    kDrainMs + kGains * kDwellMs + (kGains * kExchangesPerGain + kExchangesAround) * 2 * kFrameMs;

void cliSweep(benchmark::State& state) {
    const QStringList commandLine = {QStringLiteral("qdm7720a-cli"), QStringLiteral("sweep"),
                                     QStringLiteral("--channel"),    QStringLiteral("B"),
                                     QStringLiteral("--generator"),  QStringLiteral("prbs7"),
                                     QStringLiteral("--dwell"),      QString::number(kDwellMs)};
    const Arguments arguments = parseArguments(commandLine).arguments.value_or(Arguments{});
    SystemClock clock;
    SteadyFrameClock frames;
    SimTransport sim{clock};
    sim.addBoard().addChip(kChip7);
    UsbTimedTransport usb{sim, frames};
    BoardLink link{usb};
    Workbench bench{link, arguments};
    bench.address.setByte(kChip7 << 1);
    bench.clock = &clock;
    CommandResult result;
    for (auto _ : state)
        result = runCommand(bench);
    if (result.status != kDone || result.json.value(QLatin1String("bestGain")).toInt() != 7 ||
        result.json.value(QLatin1String("points")).toArray().size() != kGains)
        state.SkipWithError("the sweep did not run as expected");
}

// The same drain, exchanges and dwells straight on the timed transport.
void modelSweep(benchmark::State& state) {
    SystemClock clock;
    SteadyFrameClock frames;
    SimTransport sim{clock};
    sim.addBoard().addChip(kChip7);
    UsbTimedTransport usb{sim, frames};
    const std::vector<HidDevice> devices = usb.enumerate();
    const HidHandle writeHandle = usb.open(devices.at(0).path);
    const HidHandle readHandle = usb.open(devices.at(0).path);
    Report answer{};
    const auto exchange = [&](bool read, std::uint8_t reg, std::uint8_t value) {
        Report request{};
        const std::uint8_t data[1] = {value};
        if (read)
            buildI2CReadRequest(request, kChip7 << 1, reg, reg == 0x02 ? 8 : 3);
        else
            buildI2CWriteRequest(request, kChip7 << 1, reg, data);
        usb.write(writeHandle, request);
        return usb.read(readHandle, answer, kAnswerLimitMs).ok();
    };
    bool answered = true;
    for (auto _ : state) {
        usb.read(readHandle, answer, kFlushWaitMs);
        answered =
            exchange(true, 0x02, 0) && exchange(false, 0x02, 0x01) && exchange(false, 0x09, 0x05);
        for (int gain = 0; gain < kGains; ++gain) {
            answered = answered && exchange(false, 0x07, std::uint8_t(gain << 4 | 0x0C)) &&
                       exchange(true, 0x0A, 0);
            clock.sleepMs(kDwellMs);
            answered = answered && exchange(true, 0x0A, 0);
        }
        answered = answered && exchange(false, 0x07, 0xCC) && exchange(false, 0x09, 0x00) &&
                   exchange(false, 0x02, 0x0C);
        sim.board(0).received.clear();
    }
    if (!answered)
        state.SkipWithError("the simulated board did not answer every request");
}

} // namespace

BENCHMARK(cliSweep)
    ->Name("linktest/sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(modelSweep)
    ->Name("linktest/model_sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void addLinkTestRows(const Runs& runs, std::vector<ResultRow>& rows) {
    addModelledRows(runs,
                    {{"linktest/sweep", "linktest/model_sweep",
                      "qdm7720a-cli sweep (16 gains x 100 ms), full-speed USB model", kFloorMs}},
                    rows);
    const auto sweep = runs.find("linktest/sweep");
    if (sweep == runs.end() || sweep->second.error_occurred)
        return;
    constexpr double kGoalShare = 0.02;
    const double share = sweep->second.GetAdjustedCPUTime() / sweep->second.GetAdjustedRealTime();
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.2f %% (%.1f ms CPU in %.2f s)", 100 * share,
                  sweep->second.GetAdjustedCPUTime(), sweep->second.GetAdjustedRealTime() / 1000);
    rows.push_back({"sweep waits (16 x 100 ms): CPU share of one core", figure, "", 0, "< 2 %",
                    share < kGoalShare, true, true});
}
