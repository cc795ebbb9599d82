// Any input report, from a board that may be faulty, must give a defined
// status and never make the link or the board commands read or write past a
// buffer. The input is one report as the transport would hand it over: 64
// bytes make a whole report, anything else a short or long one.
#include "app/dialogs.h"
#include "board/boardcommands.h"
#include "board/boardlink.h"
#include "board/i2cframes.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// One board that answers every request with the fuzzed report.
class FuzzTransport : public HidTransport {
public:
    FuzzTransport(const std::uint8_t* data, std::size_t size) : input_(data, data + size) {}

    std::vector<std::string> enumerate() override { return {"fuzz"}; }
    HidHandle open(const std::string&) override { return 1; }
    bool attributes(HidHandle, std::uint16_t& vendorId, std::uint16_t& productId) override {
        vendorId = kBoardVendorId;
        productId = kBoardProductId;
        return true;
    }
    bool write(HidHandle, const Report&) override {
        pending_ = true;
        return true;
    }
    ReadResult read(HidHandle, Report& report, int) override {
        if (!pending_)
            return ReadResult::Timeout;
        pending_ = false;
        if (input_.size() != report.size())
            return ReadResult::Failed;
        std::copy(input_.begin(), input_.end(), report.begin());
        return ReadResult::Ok;
    }
    void close(HidHandle) override {}

private:
    std::vector<std::uint8_t> input_;
    bool pending_ = false;
};

// The single-attempt transfers never show a message.
class NoDialogs : public Dialogs {
public:
    std::int16_t message(const QString&, Buttons, const QString&) override { std::abort(); }
    std::optional<QString> fileDialog(const FileDialogRequest&) override { std::abort(); }
    void beep() override {}
};

bool isLinkStatus(LinkStatus s) {
    return s == LINK_OK || s == LINK_DEVICE_ERROR || s == LINK_READ_TIMEOUT ||
           s == LINK_WRITE_FAILED;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTransport transport(data, size);
    NoDialogs dialogs;
    BoardLink link(transport, dialogs);
    link.boardWriteHandles = {1};
    link.boardReadHandles = {1};
    link.selectInstance(0);

    // Every count a caller may ask for, into a buffer of exactly that size.
    const int count = size > 0 ? data[0] % kMaxReadCount + 1 : 1;
    std::vector<std::uint8_t> registers(count, 0xA5);
    const LinkStatus read = link.readRegistersOnce(0x80, 0x00, count, registers);
    if (!isLinkStatus(read) || read == LINK_WRITE_FAILED)
        std::abort();
    if (read != LINK_OK &&
        std::any_of(registers.begin(), registers.end(), [](std::uint8_t b) { return b != 0xA5; }))
        std::abort(); // a failed read must leave the caller's data alone

    const std::vector<std::uint8_t> values(kMaxWriteCount, 0x5A);
    if (!isLinkStatus(link.writeRegistersOnce(0x80, 0x00, kMaxWriteCount, values)))
        std::abort();

    // The board commands' answers, whatever the board put in them.
    Report answer{};
    std::copy_n(data, std::min(size, answer.size()), answer.begin());
    if (answerStatus(answer) != LINK_OK && answerStatus(answer) != LINK_DEVICE_ERROR)
        std::abort();
    (void)ledOnInAnswer(answer);
    const ClockList clock = clockListFromAnswer(answer);
    for (const ClockItem& item : clock.items) {
        if (item.divider < 1 || item.kHz < 100)
            std::abort();
    }
    if (clock.selected >= static_cast<int>(clock.items.size()))
        std::abort();
    if (firmwareVersionText(answer, QLocale::c()).isEmpty())
        std::abort();
    return 0;
}
