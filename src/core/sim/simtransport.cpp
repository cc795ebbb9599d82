#include "core/sim/simtransport.h"

#include "core/platform/clock.h"

#include <algorithm>

SimTransport::SimTransport(Clock& clock) : clock_(clock) {}

SimTransport::~SimTransport() = default;

SimBoard& SimTransport::addBoard() {
    boards_.push_back(std::make_unique<SimBoard>());
    SimBoard* b = boards_.back().get();
    b->clock = &clock_;
    const std::string number = std::to_string(boards_.size() - 1);
    devices_.push_back({"sim:board" + number, "SIM" + std::string(4 - number.size(), '0') + number,
                        kBoardVendorId, kBoardProductId, true, true, b});
    return *b;
}

void SimTransport::addOtherDevice(std::uint16_t vendorId, std::uint16_t productId, bool openable,
                                  bool attributesReadable) {
    devices_.push_back({"sim:hid" + std::to_string(devices_.size()),
                        {},
                        vendorId,
                        productId,
                        openable,
                        attributesReadable,
                        nullptr});
}

SimTransport::Device* SimTransport::deviceOf(HidHandle handle) {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : &devices_[it->second];
}

SimBoard* SimTransport::boardOf(HidHandle handle) {
    Device* d = deviceOf(handle);
    return d ? d->board : nullptr;
}

std::vector<HidDevice> SimTransport::enumerate() {
    std::vector<HidDevice> found;
    for (const Device& d : devices_) {
        if (d.present())
            found.push_back({d.path, d.serialNumber});
    }
    return found;
}

HidHandle SimTransport::open(const std::string& path) {
    auto it = std::find_if(devices_.begin(), devices_.end(),
                           [&](const Device& d) { return d.path == path; });
    if (it == devices_.end() || !it->present() || !it->openable)
        return kInvalidHandle;
    const HidHandle h = next_++;
    handles_[h] = static_cast<std::size_t>(it - devices_.begin());
    return h;
}

std::optional<HidIds> SimTransport::attributes(HidHandle handle) {
    Device* d = deviceOf(handle);
    if (!d || !d->present() || !d->attributesReadable)
        return std::nullopt;
    return HidIds{d->vendorId, d->productId};
}

// A board pulled out answers as the system does for a vanished device.
IoResult SimTransport::write(HidHandle handle, const Report& report) {
    Device* d = deviceOf(handle);
    if (!d || !d->board)
        return {IoStatus::Failed, "Bad file descriptor"};
    if (!d->board->takesWrite(report))
        return {IoStatus::Failed, "No such device"};
    d->board->receive(report);
    return {};
}

IoResult SimTransport::read(HidHandle handle, Report& report, int timeoutMs) {
    Device* d = deviceOf(handle);
    if (!d || !d->board)
        return {IoStatus::Failed, "Bad file descriptor"};
    if (!d->present())
        return {IoStatus::Failed, "No such device"};
    SimBoard& b = *d->board;
    if (!b.hasInput()) {
        clock_.sleepMs(timeoutMs);
        b.readTimedOut();
        return {IoStatus::Timeout, {}};
    }
    const std::vector<std::uint8_t> in = *b.takeInput();
    if (in.size() < report.size())
        return {IoStatus::Short, shortReportReason(in.size())};
    std::copy_n(in.begin(), report.size(), report.begin());
    return {};
}

void SimTransport::close(HidHandle handle) {
    handles_.erase(handle);
}

std::optional<DemoFault> parseDemoFault(std::string_view text) {
    static const std::pair<std::string_view, DemoFault::Kind> kinds[] = {
        {"nak", DemoFault::Kind::Nak},
        {"silent", DemoFault::Kind::Silent},
        {"gone", DemoFault::Kind::Gone},
        {"short", DemoFault::Kind::Short},
    };
    const std::size_t at = text.find('@');
    DemoFault fault{DemoFault::Kind::Nak};
    if (at != std::string_view::npos) {
        const std::string_view number = text.substr(at + 1);
        // Decimal digits only; more than seven are beyond the limit anyway.
        if (number.empty() || number.size() > 7 ||
            number.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        fault.fromExchange = std::stoi(std::string(number));
        if (fault.fromExchange < 1 || fault.fromExchange > kMaxDemoFaultExchange)
            return std::nullopt;
    }
    for (const auto& [name, kind] : kinds) {
        if (text.substr(0, at) == name) {
            fault.kind = kind;
            return fault;
        }
    }
    return std::nullopt;
}

std::string demoFaultForms() {
    return "nak, silent, gone or short, with @N for the exchange it starts at (1 to " +
           std::to_string(kMaxDemoFaultExchange) + ")";
}

std::unique_ptr<SimTransport> makeDemoTransport(Clock& clock, int boards, std::uint8_t address7,
                                                std::optional<DemoFault> fault) {
    auto transport = std::make_unique<SimTransport>(clock);
    for (int i = 0; i < boards; ++i) {
        SimBoard& board = transport->addBoard();
        board.addChip(address7);
        if (!fault)
            continue;
        SimBoard::LaterFault& later = board.laterFault.emplace(SimBoard::LaterFault{});
        later.fromReport = fault->fromExchange;
        switch (fault->kind) {
        case DemoFault::Kind::Nak:
            later.answer = AnswerFault::nak();
            break;
        case DemoFault::Kind::Silent:
            later.answer = AnswerFault::drop();
            break;
        case DemoFault::Kind::Short:
            later.answer = AnswerFault::shortReport();
            break;
        case DemoFault::Kind::Gone:
            later.pulledOut = true;
            break;
        }
    }
    return transport;
}
