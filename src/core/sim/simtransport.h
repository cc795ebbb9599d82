// HID devices in memory: simulated evaluation boards, and other HID devices
// that the discovery must pass over.
#pragma once

#include "core/hid/hidtransport.h"
#include "core/sim/simboard.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class Clock;

class SimTransport : public HidTransport {
public:
    // Waits for answers that do not come are slept on `clock`.
    explicit SimTransport(Clock& clock);
    ~SimTransport() override;

    // A board, plugged in, at the end of the enumeration order.
    SimBoard& addBoard();
    // A HID device that is not a board, or that cannot be opened or identified.
    void addOtherDevice(std::uint16_t vendorId, std::uint16_t productId, bool openable = true,
                        bool attributesReadable = true);

    SimBoard& board(std::size_t i) { return *boards_.at(i); }
    std::size_t boardCount() const { return boards_.size(); }
    // Handles open now, for checks that nothing leaks.
    std::size_t openHandleCount() const { return handles_.size(); }
    bool isOpen(HidHandle handle) const { return handles_.count(handle) != 0; }
    // The board a handle belongs to, or nullptr.
    SimBoard* boardOf(HidHandle handle);

    std::vector<HidDevice> enumerate() override;
    HidHandle open(const std::string& path) override;
    std::optional<HidIds> attributes(HidHandle handle) override;
    IoResult write(HidHandle handle, const Report& report) override;
    IoResult read(HidHandle handle, Report& report, int timeoutMs) override;
    void close(HidHandle handle) override;

private:
    struct Device {
        std::string path;
        std::string serialNumber;
        std::uint16_t vendorId;
        std::uint16_t productId;
        bool openable;
        bool attributesReadable;
        SimBoard* board; // nullptr for other devices
        bool present() const { return !board || !board->unplugged; }
    };
    Device* deviceOf(HidHandle handle);

    Clock& clock_;
    std::vector<std::unique_ptr<SimBoard>> boards_;
    std::vector<Device> devices_;
    std::map<HidHandle, std::size_t> handles_; // handle -> index in devices_
    HidHandle next_ = 1;
};

// A fault the demo boards make on request, so that a script can rehearse its
// failures and a person the window's messages without hardware: from the
// exchange numbered `fromExchange` on (1 is the first output report a board
// takes), the chip acknowledges nothing, the board answers nothing or only
// short reports, or the board is gone.
struct DemoFault {
    enum class Kind { Nak, Silent, Gone, Short };
    Kind kind;
    int fromExchange = 1;
};
inline constexpr int kMaxDemoFaultExchange = 1'000'000;

// "KIND" or "KIND@N": nak, silent, gone or short, from exchange N (decimal,
// 1 to kMaxDemoFaultExchange; default 1); nothing when `text` is none of these.
std::optional<DemoFault> parseDemoFault(std::string_view text);
// What parseDemoFault() takes, for the programs' messages.
std::string demoFaultForms();

// The boards of demo mode: `boards` boards, each with its chip at `address7`,
// each making `fault` if one is given.
std::unique_ptr<SimTransport> makeDemoTransport(Clock& clock, int boards, std::uint8_t address7,
                                                std::optional<DemoFault> fault = std::nullopt);
