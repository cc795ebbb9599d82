// The Python module qdm7720a in an interpreter embedded here: read(0x00, 14)
// from Python on a simulated board behind the full-speed USB timing model,
// next to qdm7720a-cli read 0x00 14 run in process on the same model; the
// equalizer sweep of 16 gains from Python on the same model, next to the
// tool's sweep (linktest/sweep); and what the module adds to an exchange
// (Python's call, the interpreter let go and taken back, the board's lock,
// the values made Python's), read(0x00) from Python on a board that answers
// at once next to the core's read alone.
#include "clirig.h"
#include "rows.h"

#include "core/operations/scriptaccess.h"
#include "python/bindings.h"
#include "python/session.h"

#pragma push_macro("slots")
#undef slots
#include <pybind11/embed.h>
#pragma pop_macro("slots")

#include <benchmark/benchmark.h>

namespace py = pybind11;

PYBIND11_EMBEDDED_MODULE(qdm7720a, module) {
    defineModule(module);
}

namespace {

// The board keeps every report it receives; a long loop must not grow it
// without bound.
constexpr std::size_t kKeptReports = 4096;

// One interpreter for every measurement, never ended.
void startPython() {
    if (!Py_IsInitialized())
        py::initialize_interpreter(false); // Ctrl+C stays the benchmark's
}

// `once(chip)` compiled as a script writes it, and a Chip on `transport`.
struct PythonRig {
    PythonRig(HidTransport& transport, const char* once) {
        startPython();
        py::module_::import("qdm7720a");
        py::dict scope;
        py::exec(py::str("def once(chip):\n    return ") + py::str(once), scope);
        call = scope["once"];
        chip = chipOnSession(std::make_unique<BoardSession>(transport, OpenOptions{}));
    }
    ~PythonRig() { chip.attr("close")(); }
    py::object call;
    py::object chip;
};

void pythonRead14(benchmark::State& state) {
    TimedBoard timed{0x40};
    PythonRig rig(timed.usb, "chip.read(0x00, 14)");
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.call(rig.chip).ptr());
        timed.board().received.clear();
    }
}

void cliRead14(benchmark::State& state) {
    CliRig rig({QStringLiteral("read"), QStringLiteral("0x00"), QStringLiteral("14")});
    for (auto _ : state) {
        benchmark::DoNotOptimize(runCommand(rig.bench));
        rig.board().received.clear();
    }
}

// The tool's sweep of linktest/sweep, from Python.
void pythonSweep(benchmark::State& state) {
    TimedBoard timed{0x40};
    const std::string sweep =
        "chip.sweep('B', generator='prbs7', dwell_ms=" + std::to_string(kSweepDwellMs) +
        ", settle_ms=" + std::to_string(kSweepSettleMs) + ")";
    PythonRig rig(timed.usb, sweep.c_str());
    py::object result;
    for (auto _ : state) {
        try {
            result = rig.call(rig.chip);
        } catch (const py::error_already_set& failure) {
            state.SkipWithError(failure.what());
            return;
        }
    }
    const py::object best = result.attr("best_gain");
    if (best.is_none() || best.cast<int>() != kSweepBestGain ||
        py::len(result.attr("points")) != kSweepGains)
        state.SkipWithError("the sweep did not find channel B's best gain");
}

struct InstantBoard {
    InstantBoard() { transport.addBoard().addChip(0x40); }
    void keepShort() {
        if (transport.board(0).received.size() >= kKeptReports)
            transport.board(0).received.clear();
    }
    SystemClock clock;
    SimTransport transport{clock};
};

void pythonReadOne(benchmark::State& state) {
    InstantBoard board;
    PythonRig rig(board.transport, "chip.read(0x00)");
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.call(rig.chip).ptr());
        board.keepShort();
    }
}

void coreReadOne(benchmark::State& state) {
    InstantBoard board;
    BoardLink link{board.transport};
    RegisterModel registers;
    DeviceAddress address;
    address.setByte(0x80);
    connectBoard(link, 0, {});
    const Chip chip{link, registers, address};
    for (auto _ : state) {
        benchmark::DoNotOptimize(readSpan(chip, 0x00, 1));
        board.keepShort();
    }
}

} // namespace

BENCHMARK(pythonRead14)->Name("python/read14")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(cliRead14)->Name("python/cli_read14")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(pythonSweep)
    ->Name("python/sweep")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(pythonReadOne)->Name("python/read_one")->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(coreReadOne)->Name("python/core_read_one")->UseRealTime()->Unit(benchmark::kMicrosecond);

void addPythonRows(const Runs& runs, std::vector<ResultRow>& rows) {
    const auto ran = [&](const char* name) -> const benchmark::BenchmarkReporter::Run* {
        const auto run = runs.find(name);
        return run == runs.end() || run->second.error_occurred ? nullptr : &run->second;
    };
    // A row of `name` against `floorName`, met when `met(figure, floor)`.
    const auto row = [&](const char* name, const char* floorName, const char* what,
                         const char* floorNote, const char* unit, double scale, const char* goal,
                         auto met) {
        const auto *figure = ran(name), *floor = ran(floorName);
        if (figure && !runs.count(floorName)) { // a filter left the floor out
            rows.push_back({what, withUnit(figure->GetAdjustedRealTime() * scale, 3, unit),
                            std::string(floorName) + " not run", 0, goal, false, true, false});
            return;
        }
        if (!figure || !floor) {
            if (runs.count(name) || runs.count(floorName))
                rows.push_back(missingRow(what, "the measurement failed"));
            return;
        }
        const double f = figure->GetAdjustedRealTime() * scale;
        const double b = floor->GetAdjustedRealTime() * scale;
        rows.push_back(
            {what, withUnit(f, 3, unit), withUnit(b, 3, unit) + floorNote, f / b, goal, met(f, b)});
    };
    row("python/read14", "python/cli_read14", "Python chip.read(0x00, 14), full-speed USB model",
        " (qdm7720a-cli read 0x00 14)", "ms", 1, "ratio <= 1.05",
        [](double f, double b) { return f / b <= 1.05; });
    row("python/sweep", "linktest/sweep",
        "Python chip.sweep('B', ...) (16 gains x (10 + 100) ms), full-speed USB model",
        " (qdm7720a-cli sweep, the same)", "ms", 1, "ratio <= 1.05",
        [](double f, double b) { return f / b <= 1.05; });
    row("python/read_one", "python/core_read_one",
        "Python chip.read(0x00), a board that answers at once", " (the core's read alone)", "us", 1,
        "under 5 us more", [](double f, double b) { return f - b < 5; });
}
