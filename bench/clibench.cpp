// The command-line tool's scan and dump --all, run in process as its main()
// runs them, against a simulated board behind the full-speed USB timing
// model, next to the least that model allows and to the same exchanges made
// on the model alone.
#include "clirig.h"
#include "rows.h"

#include "core/link/boardlink.h"
#include "core/link/i2cframes.h"
#include "core/registers/registermap.h"

#include <QJsonArray>
#include <benchmark/benchmark.h>

namespace {

constexpr double kFrameMs = UsbTimedTransport::kFrameNs / 1e6;
constexpr std::uint8_t kChip7 = 0x40;
// Neither command drains the input before its exchanges (each exchange takes
// what has arrived, without waiting). Run after run, an exchange takes two
// frames: the request leaves at the frame boundary after the last answer,
// and its answer is readable one frame later.
constexpr double kExchangeMs = 2 * kFrameMs;
constexpr int kScanExchanges = 128;  // one probe per 7-bit address
constexpr int kDumpAllExchanges = 5; // 256 registers, at most 62 a transfer

double floorMs(int exchanges) {
    return exchanges * kExchangeMs;
}

// `check` tells whether the first run's result is what the command gives on
// this board; the runs measured after it find the board connected.
template <typename Check>
void runCli(benchmark::State& state, const QStringList& commandLine, int exchanges, Check check) {
    CliRig rig(commandLine);
    const CommandResult first = runCommand(rig.bench);
    if (first.status != kDone || !check(first) ||
        rig.board().received.size() != static_cast<std::size_t>(exchanges)) {
        state.SkipWithError("the command did not run as expected");
        return;
    }
    rig.board().received.clear();
    for (auto _ : state) {
        benchmark::DoNotOptimize(runCommand(rig.bench));
        rig.board().received.clear();
    }
}

void cliScan(benchmark::State& state) {
    runCli(state, {QStringLiteral("scan")}, kScanExchanges, [](const CommandResult& r) {
        return r.json.value(QLatin1String("chips")).toArray() == QJsonArray{kChip7};
    });
}

void cliDumpAll(benchmark::State& state) {
    runCli(state, {QStringLiteral("dump"), QStringLiteral("--all")}, kDumpAllExchanges,
           [](const CommandResult& r) {
               const QJsonArray values = r.json.value(QLatin1String("values")).toArray();
               return values.size() == 256 && values.at(0).toInt() == kChipIdentity;
           });
}

// The same requests straight on the timed transport, without the tool.
void modelAlone(benchmark::State& state, const std::vector<Report>& requests) {
    TimedBoard timed{kChip7};
    timed.connect();
    int answered = 0;
    for (auto _ : state) {
        answered = 0;
        for (const Report& request : requests)
            answered += timed.exchange(request);
        timed.board().received.clear();
    }
    if (answered != static_cast<int>(requests.size()))
        state.SkipWithError("the simulated board did not answer every request");
}

Report readRequest(std::uint8_t address7, std::uint8_t first, int count) {
    Report request{};
    buildI2CReadRequest(request, static_cast<std::uint8_t>(address7 << 1), first,
                        static_cast<std::uint8_t>(count));
    return request;
}

void modelScan(benchmark::State& state) {
    std::vector<Report> requests;
    for (int a = 0; a < kScanExchanges; ++a)
        requests.push_back(readRequest(static_cast<std::uint8_t>(a), 0x00, 1));
    modelAlone(state, requests);
}

void modelDumpAll(benchmark::State& state) {
    std::vector<Report> requests;
    for (int first = 0; first < 256; first += kMaxReadCount)
        requests.push_back(readRequest(kChip7, static_cast<std::uint8_t>(first),
                                       std::min(kMaxReadCount, 256 - first)));
    modelAlone(state, requests);
}

} // namespace

BENCHMARK(cliScan)->Name("cli/scan")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(cliDumpAll)->Name("cli/dump_all")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(modelScan)->Name("cli/model_scan")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(modelDumpAll)->Name("cli/model_dump_all")->UseRealTime()->Unit(benchmark::kMillisecond);

void addCliRows(const Runs& runs, std::vector<ResultRow>& rows) {
    addModelledRows(
        runs,
        {
            {"cli/scan", "cli/model_scan",
             "qdm7720a-cli scan (128 exchanges), full-speed USB model", floorMs(kScanExchanges)},
            {"cli/dump_all", "cli/model_dump_all",
             "qdm7720a-cli dump --all (5 exchanges), full-speed USB model",
             floorMs(kDumpAllExchanges)},
        },
        rows);
}
