// Any input report, from a board that may be faulty, must give a defined
// result and never make the link or the board commands read or write past a
// buffer. The input is one report as the transport would hand it over: 64
// bytes make a whole report, anything else a short or long one.
#include "core/link/boardlink.h"
#include "core/operations/boardcontrols.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// One board that answers every request with the fuzzed report.
class FuzzTransport : public HidTransport {
public:
    FuzzTransport(const std::uint8_t* data, std::size_t size) : input_(data, data + size) {}
    std::vector<HidDevice> enumerate() override { return {{"fuzz", {}}}; }
    HidHandle open(const std::string&) override { return 1; }
    std::optional<HidIds> attributes(HidHandle) override {
        return HidIds{kBoardVendorId, kBoardProductId};
    }
    IoResult write(HidHandle, const Report&) override {
        pending_ = true;
        return {};
    }
    IoResult read(HidHandle, Report& report, int) override {
        if (!std::exchange(pending_, false))
            return {IoStatus::Timeout, {}};
        if (input_.size() != report.size())
            return {input_.size() < report.size() ? IoStatus::Short : IoStatus::Failed, "odd"};
        std::copy(input_.begin(), input_.end(), report.begin());
        return {};
    }
    void close(HidHandle) override {}

private:
    std::vector<std::uint8_t> input_;
    bool pending_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTransport transport(data, size);
    BoardLink link(transport); // no policy: every failure comes back as it is
    if (!link.connectBoards() || !link.selectBoard(0))
        std::abort();
    // Every count a caller may ask for: exactly that many values, or none.
    const int count = size > 0 ? data[0] % kMaxReadCount + 1 : 1;
    const LinkResult read = link.readRegistersOnce(0x80, 0x00, count);
    if (read.status == LinkStatus::WriteFailed ||
        read.bytes.size() != (read.ok() ? std::size_t(count) : 0u) ||
        !link.writeRegistersOnce(0x80, 0x00, std::vector<std::uint8_t>(kMaxWriteCount))
             .bytes.empty())
        std::abort();
    // The board commands' answers, whatever the board put in them.
    if (const BoardAnswer<ClockList> clock = readClockList(link)) {
        const auto bad = [](const ClockItem& item) {
            return item.divider < 1 || item.kHz < 100;
        };
        if (std::any_of(clock->items.begin(), clock->items.end(), bad) ||
            clock->selected >= static_cast<int>(clock->items.size()))
            std::abort();
    }
    readLedState(link);
    if (const BoardAnswer<FirmwareVersion> v = readFirmwareVersion(link);
        v && firmwareVersionText(*v, QLocale::c()).isEmpty())
        std::abort();
    return 0;
}
