// What decoding the register fields costs: all fourteen main registers, each
// field with its value and words, as the window's tooltips and the tool's
// dump --fields do it, next to the least any decode does, each field's value
// taken out of its byte by mask and shift alone.
#include "rows.h"

#include "core/registers/registerfields.h"
#include "core/registers/registermap.h"

#include <benchmark/benchmark.h>

namespace {

void decodeAll(benchmark::State& state) {
    std::uint8_t byte = 0;
    for (auto _ : state) {
        for (std::uint8_t reg : kMainRegisters)
            benchmark::DoNotOptimize(decodeFields(reg, byte++));
    }
}

void valuesFloor(benchmark::State& state) {
    std::uint8_t byte = 0;
    for (auto _ : state) {
        for (std::uint8_t reg : kMainRegisters) {
            for (const RegisterField& f : registerFields(reg))
                benchmark::DoNotOptimize(f.valueIn(byte));
            ++byte;
        }
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(decodeAll)->Name("fields/decode14");
BENCHMARK(valuesFloor)->Name("fields/floor_values");

void addFieldRows(const Runs& runs, std::vector<ResultRow>& rows) {
    constexpr double kGoalNs = 20'000;
    const char* const what = "register fields: decode of the 14 main registers, with words";
    const auto run = runs.find("fields/decode14");
    const auto floor = runs.find("fields/floor_values");
    if (run == runs.end() || floor == runs.end())
        return; // left out by a filter
    const double ns = run->second.GetAdjustedCPUTime();
    const double floorNs = floor->second.GetAdjustedCPUTime();
    rows.push_back({what, withUnit(ns, 0, "ns"),
                    withUnit(floorNs, 1, "ns (values by mask and shift)"), ns / floorNs,
                    "< 20000 ns", ns < kGoalNs});
}
