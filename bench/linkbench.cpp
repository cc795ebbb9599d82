// What the link itself costs per exchange: the single-attempt I2C transfers
// against a simulated board that answers at once, next to the least any
// transport must do, one copy of the report in and one out.
#include "rows.h"

#include "core/link/boardlink.h"
#include "core/platform/clock.h"
#include "core/sim/simtransport.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::uint8_t kChip7 = 0x40;
constexpr std::uint8_t kChipAddress = kChip7 << 1;
// The board keeps every report it receives; a long loop must not grow it
// without bound.
constexpr std::size_t kKeptReports = 4096;

struct LinkRig {
    LinkRig() {
        transport.addBoard().addChip(kChip7);
        link.connectBoards();
        link.selectBoard(0);
    }
    SimBoard& board() { return transport.board(0); }

    SystemClock clock;
    SimTransport transport{clock};
    BoardLink link{transport};
};

template <typename Exchange> void runExchanges(benchmark::State& state, Exchange exchange) {
    LinkRig rig;
    if (!exchange(rig.link).ok()) {
        state.SkipWithError("the simulated chip did not acknowledge");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(exchange(rig.link));
        if (rig.board().received.size() >= kKeptReports)
            rig.board().received.clear();
    }
}

void readOne(benchmark::State& state) {
    runExchanges(state,
                 [&](BoardLink& link) { return link.readRegistersOnce(kChipAddress, 0x00, 1); });
}

void readMost(benchmark::State& state) {
    runExchanges(state, [&](BoardLink& link) {
        return link.readRegistersOnce(kChipAddress, 0x00, kMaxReadCount);
    });
}

void writeMost(benchmark::State& state) {
    // Registers 0x20 on hold nothing the chip reacts to.
    const std::uint8_t data[kMaxWriteCount] = {};
    runExchanges(
        state, [&](BoardLink& link) { return link.writeRegistersOnce(kChipAddress, 0x20, data); });
}

// Takes a report in and gives it back: the least work of any transport.
class EchoTransport : public HidTransport {
public:
    std::vector<HidDevice> enumerate() override { return {}; }
    HidHandle open(const std::string&) override { return kInvalidHandle; }
    std::optional<HidIds> attributes(HidHandle) override { return std::nullopt; }
    IoResult write(HidHandle, const Report& report) override {
        held_ = report;
        return {};
    }
    IoResult read(HidHandle, Report& report, int) override {
        report = held_;
        return {};
    }
    void close(HidHandle) override {}

private:
    Report held_{};
};

void copyFloor(benchmark::State& state) {
    EchoTransport echo;
    HidTransport* transport = &echo;
    benchmark::DoNotOptimize(transport);
    Report out{};
    Report in{};
    for (auto _ : state) {
        out[4] = static_cast<std::uint8_t>(out[4] + 1);
        transport->write(1, out);
        transport->read(1, in, 0);
        benchmark::DoNotOptimize(in.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(readOne)->Name("link/read1");
BENCHMARK(readMost)->Name("link/read62");
BENCHMARK(writeMost)->Name("link/write59");
BENCHMARK(copyFloor)->Name("link/floor_copy");

void addLinkRows(const Runs& runs, std::vector<ResultRow>& rows) {
    // Under 2 % of a full-speed exchange of 2 ms.
    constexpr double kGoalNs = 40'000;
    const auto floor = runs.find("link/floor_copy");
    const struct {
        const char* name;
        const char* what;
    } exchanges[] = {
        {"link/read1", "link: I2C read of 1 register, one attempt, per exchange"},
        {"link/read62", "link: I2C read of 62 registers, one attempt, per exchange"},
        {"link/write59", "link: I2C write of 59 bytes, one attempt, per exchange"},
    };
    for (const auto& e : exchanges) {
        const auto run = runs.find(e.name);
        if (run == runs.end() || floor == runs.end())
            continue; // left out by a filter
        if (run->second.error_occurred) {
            rows.push_back(missingRow(e.what, run->second.error_message));
            continue;
        }
        const double ns = run->second.GetAdjustedCPUTime();
        const double floorNs = floor->second.GetAdjustedCPUTime();
        rows.push_back({e.what, withUnit(ns, 0, "ns"), withUnit(floorNs, 1, "ns (copy in+out)"),
                        ns / floorNs, "< 40000 ns", ns < kGoalNs});
    }
}
