// A stand-in for hidapi 0.13 (hidraw): the functions the transport calls, with
// hidapi's return conventions, playing boards over the simulated board. Tests
// link it or preload it; hid_init reads the QDM_STANDIN_* variables that the
// README describes. A read with nothing to take waits as long as it was told to.
#include "core/platform/clock.h"
#include "core/sim/simtransport.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>
#include <utility>

#pragma GCC visibility push(default)
#include <hidapi/hidapi.h>
SimTransport* hidStandin(); // for tests that link the stand-in
#pragma GCC visibility pop

struct hid_device_ {
    HidHandle handle;
    std::wstring error = L"Success";
};

namespace {

// The simulated cables count errors in real time.
struct RealClock : Clock {
    double secondsSinceMidnight() override {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        return std::fmod(std::chrono::duration<double>(now).count(), 86400.0);
    }
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

struct Fault {
    std::string kind;
    int report; // 0: every report
    bool hits(const char* k, int n) const { return kind == k && (report == 0 || report == n); }
};

struct StandIn {
    RealClock clock;
    SimTransport transport{clock};
    std::vector<Fault> faults;
    std::string reason;
};
StandIn* standIn = nullptr;

std::vector<std::string> listed(const char* name, const char* otherwise = "") {
    const char* value = std::getenv(name);
    std::istringstream in(value && *value ? value : otherwise);
    std::vector<std::string> items;
    for (std::string item; std::getline(in, item, ',');)
        items.push_back(item);
    return items;
}

std::optional<AnswerFault> answerFault(const Fault& f) {
    static const std::map<std::string, AnswerFault> faults{{"short", AnswerFault::shortReport()},
                                                           {"silent", AnswerFault::drop()},
                                                           {"late", AnswerFault::late()},
                                                           {"nak", AnswerFault::nak()}};
    const auto it = faults.find(f.kind);
    return it == faults.end() ? std::nullopt : std::optional(it->second);
}

int fail(hid_device* dev, const std::string& reason) {
    dev->error.assign(reason.begin(), reason.end());
    return -1;
}

} // namespace

SimTransport* hidStandin() {
    return standIn ? &standIn->transport : nullptr;
}

int hid_init() {
    if (standIn)
        return 0;
    standIn = new StandIn;
    for (const std::string& other : listed("QDM_STANDIN_OTHERS"))
        standIn->transport.addOtherDevice(
            std::stoi(other, nullptr, 16),
            std::stoi(other.substr(other.find(':') + 1), nullptr, 16));
    for (const std::string& f : listed("QDM_STANDIN_FAULTS")) {
        const std::size_t at = f.find('@');
        standIn->faults.push_back(
            {f.substr(0, at), at == f.npos ? 0 : std::stoi(f.substr(at + 1))});
    }
    standIn->reason = listed("QDM_STANDIN_REASON", "Input/output error").at(0);
    for (int i = std::stoi(listed("QDM_STANDIN_BOARDS", "1").at(0)); i > 0; --i) {
        SimBoard& board = standIn->transport.addBoard();
        board.addChip(std::stoi(listed("QDM_STANDIN_ADDRESS", "0x40").at(0), nullptr, 0));
        for (const Fault& f : standIn->faults) {
            if (f.kind == "unplug" && f.report)
                board.unplugAfterReports = f.report - 1;
            else if (f.kind == "unplug")
                board.unplugged = true;
            else if (f.report == 0)
                board.everyAnswer = answerFault(f);
        }
    }
    return 0;
}

int hid_exit() {
    delete standIn;
    standIn = nullptr;
    return 0;
}

// hidraw lists a device once per top-level collection: the board has two.
hid_device_info* hid_enumerate(unsigned short vendorId, unsigned short productId) {
    hid_init();
    SimTransport& t = standIn->transport;
    const std::vector<HidDevice> devices = t.enumerate();
    hid_device_info* list = nullptr;
    for (auto d = devices.rbegin(); d != devices.rend(); ++d) {
        const HidHandle h = t.open(d->path);
        const HidIds ids = t.attributes(h).value_or(HidIds{});
        const int collections = t.boardOf(h) ? 2 : 1;
        t.close(h);
        if ((vendorId && vendorId != ids.vendorId) || (productId && productId != ids.productId))
            continue;
        const std::wstring serial(d->serialNumber.begin(), d->serialNumber.end());
        for (unsigned short usage = collections; usage > 0; --usage) {
            hid_device_info* info = new hid_device_info{};
            info->path = strdup(d->path.c_str());
            info->vendor_id = ids.vendorId;
            info->product_id = ids.productId;
            info->serial_number = wcsdup(serial.c_str());
            info->usage_page = 0xFF00;
            info->usage = usage;
            info->next = std::exchange(list, info);
        }
    }
    return list;
}

void hid_free_enumeration(hid_device_info* list) {
    for (hid_device_info* next; list; list = next) {
        next = list->next;
        std::free(list->path);
        std::free(list->serial_number);
        delete list;
    }
}

hid_device* hid_open_path(const char* path) {
    hid_init();
    const HidHandle h = standIn->transport.open(path);
    return h == kInvalidHandle ? nullptr : new hid_device{h};
}

void hid_close(hid_device* dev) {
    if (standIn && dev)
        standIn->transport.close(dev->handle);
    delete dev;
}

const wchar_t* hid_error(hid_device* dev) {
    return dev ? dev->error.c_str() : L"Success";
}

// The board has no numbered reports: the report ID 0, then its 63 bytes.
int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    SimBoard* board = standIn->transport.boardOf(dev->handle);
    if (!board || length != kReportSize || data[0] != 0)
        return fail(dev, "Invalid argument");
    Report report;
    std::memcpy(report.data(), data, kReportSize);
    const int n = static_cast<int>(board->received.size() + board->refused.size()) + 1;
    for (const Fault& f : standIn->faults) {
        if (f.report == n && answerFault(f))
            board->answerFaults = {*answerFault(f)};
        if (f.hits("error", n)) // an empty report ahead of the answer: the read fails
            board->queueInput(report, 0);
    }
    const IoResult written = standIn->transport.write(dev->handle, report);
    board->answerFaults.clear();
    if (!written.ok())
        return fail(dev, written.reason);
    Report stale;
    stale.fill(kSimJunk);
    stale[0] = stale[1] = 0;
    for (const Fault& f : standIn->faults) {
        if (f.hits("stale", n))
            board->queueInput(stale);
    }
    dev->error = L"Success";
    return static_cast<int>(length);
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
    SimBoard* board = standIn->transport.boardOf(dev->handle);
    if (!board || board->unplugged)
        return fail(dev, board ? "No such device" : "Invalid argument");
    dev->error = L"Success";
    if (!board->hasInput()) {
        standIn->clock.sleepMs(milliseconds < 0 ? INT_MAX : milliseconds);
        board->readTimedOut();
        return 0;
    }
    const std::vector<std::uint8_t> in = *board->takeInput();
    if (in.empty()) {
        board->takeInput(); // the answer is lost with the read
        return fail(dev, standIn->reason);
    }
    const std::size_t n = std::min(length, in.size() - 1);
    std::memcpy(data, in.data() + 1, n);
    return static_cast<int>(n);
}
