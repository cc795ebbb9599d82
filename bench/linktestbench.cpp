// The link test of qdm7720a-cli, run in process as its main() runs it, on a
// simulated board behind the full-speed USB timing model: the equalizer
// sweep of 16 gains next to 16 x (settle + dwell), a run to a BER target
// next to its statistical floor, and the share of a core the sweep's waits
// and an error count's reads of the counters within its intervals burn.
// Built with the tests, the same sweep on the USB path: the hidapi transport
// on the hidapi stand-in, which answers at once.
#include "rows.h"
#include "timedboard.h"

#include "cli/commands.h"
#include "core/link/boardlink.h"

#include <QJsonArray>
#include <benchmark/benchmark.h>

#ifdef QDM_HIDSTANDIN
#include "core/hid/hidapitransport.h"

#include <cstdlib>

// The stand-in's boards; a call of it keeps the stand-in linked, and its
// hidapi the one found.
SimTransport* hidStandin();
#endif

namespace {

constexpr double kFrameMs = UsbTimedTransport::kFrameNs / 1e6;
constexpr std::uint8_t kChip7 = 0x40;
constexpr double kSweepFloorMs = kSweepGains * (kSweepSettleMs + kSweepDwellMs);
// 1e-9 at 95 % at 1.485 Gb/s: -ln(0.05) / 1.485 s of error-free bits, and the
// exchange that ends it (two frames).
constexpr double kTargetFloorMs = 2017.33 + 2 * kFrameMs;

// Runs the tool's command `words` on `transport` as its main() does; false
// when it did not end as `ended` says it should.
template <typename Ended>
void runCli(benchmark::State& state, HidTransport& transport, Clock& clock, QStringList words,
            Ended ended) {
    words.prepend(QStringLiteral("qdm7720a-cli"));
    const Arguments arguments = parseArguments(words).arguments.value_or(Arguments{});
    BoardLink link{transport};
    Workbench bench{link, arguments};
    bench.address.setByte(kChip7 << 1);
    bench.clock = &clock;
    CommandResult result;
    for (auto _ : state)
        result = runCommand(bench);
    if (result.status != kDone || !ended(result.json))
        state.SkipWithError("the command did not run as expected");
}

// The sweep of channel B, which finds its clean window.
void runCliSweep(benchmark::State& state, HidTransport& transport, Clock& clock) {
    runCli(state, transport, clock,
           {"sweep", "--channel", "B", "--generator", "prbs7", "--dwell",
            QString::number(kSweepDwellMs), "--settle", QString::number(kSweepSettleMs)},
           [](const QJsonObject& json) {
               return json.value(QLatin1String("bestGain")).toInt() == kSweepBestGain &&
                      json.value(QLatin1String("points")).toArray().size() == kSweepGains;
           });
}

void cliSweep(benchmark::State& state) {
    TimedBoard timed{kChip7};
    runCliSweep(state, timed.usb, timed.clock);
}

// Channel B at its clean gain 0x7 held to 1e-9 at 95 % at 1.485 Gb/s.
void cliBerTarget(benchmark::State& state) {
    TimedBoard timed{kChip7};
    runCli(state, timed.usb, timed.clock,
           {"prbs", "--channel", "B", "--gain", "7", "--generator", "prbs7", "--ber", "1e-9",
            "--bit-rate", "1.485G"},
           [](const QJsonObject& json) {
               return json.value(QLatin1String("verdict")).toString() == QLatin1String("met");
           });
}

// Two seconds of counting on channel B two gains from its clean ones, about
// 400 errors a second on link 0, 600 on link 1: read often enough not to
// saturate.
void cliPolling(benchmark::State& state) {
    TimedBoard timed{kChip7};
    runCli(state, timed.usb, timed.clock,
           {"prbs", "--channel", "B", "--gain", "3", "--generator", "prbs7", "--seconds", "2"},
           [](const QJsonObject& json) {
               const QJsonObject total = json.value(QLatin1String("total")).toObject();
               return total.value(QLatin1String("errors")).toArray().at(1).toInt() > 255 &&
                      !total.value(QLatin1String("saturated")).toArray().at(1).toBool();
           });
}

#ifdef QDM_HIDSTANDIN
// The stand-in's boards as hid_init finds them: one, its chip at 0x40, no
// fault, whatever the environment says.
void standInSweep(benchmark::State& state) {
    setenv("QDM_STANDIN_BOARDS", "1", 1);
    setenv("QDM_STANDIN_ADDRESS", "0x40", 1);
    unsetenv("QDM_STANDIN_OTHERS");
    unsetenv("QDM_STANDIN_FAULTS");
    SystemClock clock;
    HidapiTransport hidapi;
    if (!hidStandin())
        state.SkipWithError("the hidapi in use is not the stand-in");
    else
        runCliSweep(state, hidapi, clock);
}
#endif

// The share of one core a run burned while it ran, as a row.
void addShareRow(const Runs& runs, const char* name, const char* what,
                 std::vector<ResultRow>& rows) {
    const auto run = runs.find(name);
    if (run == runs.end() || run->second.error_occurred)
        return;
    constexpr double kGoalShare = 0.02;
    const double share = run->second.GetAdjustedCPUTime() / run->second.GetAdjustedRealTime();
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.2f %% (%.1f ms CPU in %.2f s)", 100 * share,
                  run->second.GetAdjustedCPUTime(), run->second.GetAdjustedRealTime() / 1000);
    rows.push_back({what, figure, "", 0, "< 2 %", share < kGoalShare, true, true});
}

} // namespace

BENCHMARK(cliSweep)
    ->Name("linktest/sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(cliBerTarget)
    ->Name("linktest/ber_target")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(cliPolling)
    ->Name("linktest/polling")
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
#ifdef QDM_HIDSTANDIN
BENCHMARK(standInSweep)
    ->Name("linktest/standin_sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#endif

void addLinkTestRows(const Runs& runs, std::vector<ResultRow>& rows) {
    addModelledRows(runs,
                    {{"linktest/sweep", "",
                      "qdm7720a-cli sweep (16 gains x (10 + 100) ms), full-speed USB model",
                      kSweepFloorMs, "16 x (settle + dwell)"},
                     {"linktest/standin_sweep", "",
                      "qdm7720a-cli sweep (16 gains x (10 + 100) ms), hidapi on the stand-in",
                      kSweepFloorMs, "16 x (settle + dwell)"},
                     {"linktest/ber_target", "",
                      "qdm7720a-cli prbs --ber 1e-9 at 95 % and 1.485 Gb/s, full-speed USB model",
                      kTargetFloorMs, "statistical floor and one exchange"}},
                    rows);
    addShareRow(runs, "linktest/sweep", "sweep waits (16 x (10 + 100) ms): CPU share of one core",
                rows);
    addShareRow(runs, "linktest/polling",
                "prbs reading the counters within its intervals (about 500 errors a second, "
                "2 s): CPU share of one core",
                rows);
}
