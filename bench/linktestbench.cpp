// The equalizer sweep of qdm7720a-cli, run in process as its main() runs it:
// 16 gains at 100 ms dwell on a simulated board behind the full-speed USB
// timing model, next to the least that model allows, to the same exchanges
// and pauses on the model alone, and the share of a core its waits burn.
// Built with the tests, the same sweep on the USB path: the hidapi transport
// on the hidapi stand-in, which answers at once, next to the dwells with the
// cost of its exchanges made straight through hidapi's functions.
#include "rows.h"
#include "timedboard.h"

#include "cli/commands.h"
#include "core/link/boardlink.h"
#include "core/link/i2cframes.h"

#include <QJsonArray>
#include <benchmark/benchmark.h>

#ifdef QDM_HIDSTANDIN
#include "core/hid/hidapitransport.h"

#include <cstdlib>
#include <hidapi/hidapi.h>

SimTransport* hidStandin();
#endif

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
constexpr int kExchanges = kGains * kExchangesPerGain + kExchangesAround;
constexpr double kFloorMs = kDrainMs + kGains * kDwellMs + kExchanges * 2 * kFrameMs;

// Runs the tool's sweep of channel B on `transport` as its main() does.
void runCliSweep(benchmark::State& state, HidTransport& transport, Clock& clock) {
    const QStringList commandLine = {QStringLiteral("qdm7720a-cli"), QStringLiteral("sweep"),
                                     QStringLiteral("--channel"),    QStringLiteral("B"),
                                     QStringLiteral("--generator"),  QStringLiteral("prbs7"),
                                     QStringLiteral("--dwell"),      QString::number(kDwellMs)};
    const Arguments arguments = parseArguments(commandLine).arguments.value_or(Arguments{});
    BoardLink link{transport};
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

// The request of one of the sweep's exchanges: a write of `value` to `reg`,
// or a read of 0x02 to 0x09 or of the three counters.
Report sweepRequest(bool read, std::uint8_t reg, std::uint8_t value = 0) {
    Report request{};
    const std::uint8_t data[1] = {value};
    if (read)
        buildI2CReadRequest(request, kChip7 << 1, reg, reg == 0x02 ? 8 : 3);
    else
        buildI2CWriteRequest(request, kChip7 << 1, reg, data);
    return request;
}

// The sweep's drain, exchanges and dwells without the program: `drain()`
// and `exchange(request)` (true when the answer came) on the path measured.
template <typename Drain, typename Exchange>
bool sweepAlone(Clock& clock, Drain drain, Exchange exchange) {
    const auto transfer = [&](bool read, std::uint8_t reg, std::uint8_t value = 0) {
        return exchange(sweepRequest(read, reg, value));
    };
    drain();
    bool answered =
        transfer(true, 0x02) && transfer(false, 0x02, 0x01) && transfer(false, 0x09, 0x05);
    for (int gain = 0; gain < kGains; ++gain) {
        answered = answered && transfer(false, 0x07, std::uint8_t(gain << 4 | 0x0C)) &&
                   transfer(true, 0x0A);
        clock.sleepMs(kDwellMs);
        answered = answered && transfer(true, 0x0A);
    }
    return answered && transfer(false, 0x07, 0xCC) && transfer(false, 0x09, 0x00) &&
           transfer(false, 0x02, 0x0C);
}

void cliSweep(benchmark::State& state) {
    TimedBoard timed{kChip7};
    runCliSweep(state, timed.usb, timed.clock);
}

// The same drain, exchanges and dwells straight on the timed transport.
void modelSweep(benchmark::State& state) {
    TimedBoard timed{kChip7};
    timed.connect();
    bool answered = true;
    for (auto _ : state) {
        answered = sweepAlone(
            timed.clock, [&] { timed.drain(); },
            [&](const Report& request) { return timed.exchange(request); });
        timed.board().received.clear();
    }
    if (!answered)
        state.SkipWithError("the simulated board did not answer every request");
}

#ifdef QDM_HIDSTANDIN
// The stand-in's boards as hid_init finds them: one, its chip at 0x40, no
// fault, whatever the environment says.
void plainStandIn() {
    setenv("QDM_STANDIN_BOARDS", "1", 1);
    setenv("QDM_STANDIN_ADDRESS", "0x40", 1);
    unsetenv("QDM_STANDIN_OTHERS");
    unsetenv("QDM_STANDIN_FAULTS");
}

void standInSweep(benchmark::State& state) {
    plainStandIn();
    SystemClock clock;
    HidapiTransport hidapi;
    runCliSweep(state, hidapi, clock);
}

// One of the sweep's exchanges and the sweep's drain, dwells and exchanges,
// made straight through hidapi's functions on the stand-in.
class StandInBoard {
public:
    StandInBoard() {
        plainStandIn();
        hid_init();
        hid_device_info* list = hid_enumerate(kBoardVendorId, kBoardProductId);
        if (list) {
            writeDevice_ = hid_open_path(list->path);
            readDevice_ = hid_open_path(list->path);
        }
        hid_free_enumeration(list);
    }
    ~StandInBoard() {
        hid_close(writeDevice_);
        hid_close(readDevice_);
        hid_exit();
    }
    bool open() const { return writeDevice_ && readDevice_; }
    void drain() { read(kFlushWaitMs); }
    bool exchange(const Report& request) {
        hidStandin()->board(0).received.clear(); // the board keeps every report
        return hid_write(writeDevice_, request.data(), request.size()) == kReportSize &&
               read(kAnswerLimitMs) == kReportSize - 1;
    }

private:
    int read(int ms) { return hid_read_timeout(readDevice_, answer_.data(), answer_.size(), ms); }
    hid_device* writeDevice_ = nullptr;
    hid_device* readDevice_ = nullptr;
    Report answer_{};
};

void standInExchange(benchmark::State& state) {
    StandInBoard board;
    const Report request = sweepRequest(true, 0x0A);
    bool answered = board.open();
    for (auto _ : state)
        answered = answered && board.exchange(request);
    if (!answered)
        state.SkipWithError("the stand-in did not answer every request");
}

void standInSweepAlone(benchmark::State& state) {
    SystemClock clock;
    StandInBoard board;
    bool answered = board.open();
    for (auto _ : state)
        answered = answered && sweepAlone(
                                   clock, [&] { board.drain(); },
                                   [&](const Report& request) { return board.exchange(request); });
    if (!answered)
        state.SkipWithError("the stand-in did not answer every request");
}
#endif

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
#ifdef QDM_HIDSTANDIN
BENCHMARK(standInSweep)
    ->Name("linktest/standin_sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(standInSweepAlone)
    ->Name("linktest/standin_alone_sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(standInExchange)->Name("linktest/standin_exchange")->Unit(benchmark::kMicrosecond);
#endif

void addLinkTestRows(const Runs& runs, std::vector<ResultRow>& rows) {
    addModelledRows(runs,
                    {{"linktest/sweep", "linktest/model_sweep",
                      "qdm7720a-cli sweep (16 gains x 100 ms), full-speed USB model", kFloorMs}},
                    rows);
    // On the stand-in an exchange costs what its functions take, measured.
    const auto exchange = runs.find("linktest/standin_exchange");
    if (exchange != runs.end() && !exchange->second.error_occurred) {
        const double exchangeMs = exchange->second.GetAdjustedRealTime() / 1000;
        addModelledRows(runs,
                        {{"linktest/standin_sweep", "linktest/standin_alone_sweep",
                          "qdm7720a-cli sweep (16 gains x 100 ms), hidapi on the stand-in",
                          kDrainMs + kGains * kDwellMs + kExchanges * exchangeMs,
                          "dwells, drain, 54 exchanges", "stand-in alone"}},
                        rows);
    }
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
