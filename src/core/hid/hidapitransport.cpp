#include "core/hid/hidapitransport.h"

#include "core/hid/accesshint.h"

#include <QCoreApplication>
#include <hidapi/hidapi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

std::string narrow(const wchar_t* text) {
    std::string out;
    if (!text)
        return out;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (; *text; ++text) {
        const std::size_t n = std::wcrtomb(buffer, *text, &state);
        out.append(n == static_cast<std::size_t>(-1) ? "?" : std::string(buffer, n));
    }
    return out;
}

// hidapi's reason for the last failure on `device`, else the system's.
std::string reasonOf(hid_device* device, int error) {
    std::string reason = narrow(hid_error(device));
    if (reason.empty() || reason == "Success")
        reason = std::strerror(error);
    return reason;
}

// hidapi's state is the process's: several transports (the Python module
// opens one per board object, on any thread) share it, only the last one to
// end may free it, and its searches and opens, which set its error text, go
// one at a time. Reports to and from a device need no lock.
std::mutex hidapiGlobal;
int hidapiUserCount = 0;

} // namespace

HidapiTransport::HidapiTransport() {
    const std::lock_guard lock(hidapiGlobal);
    if (hidapiUserCount++ == 0)
        hid_init();
}

HidapiTransport::~HidapiTransport() {
    for (auto& [handle, o] : open_)
        hid_close(o.device);
    const std::lock_guard lock(hidapiGlobal);
    if (--hidapiUserCount == 0)
        hid_exit();
}

std::vector<HidDevice> HidapiTransport::enumerate() {
    std::vector<HidDevice> devices;
    identities_.clear();
    hinted_.clear();
    const std::lock_guard lock(hidapiGlobal);
    // Only the board's identity is listed, so that no other HID device (a
    // keyboard, say) is ever opened; the link still checks the attributes.
    hid_device_info* list = hid_enumerate(kBoardVendorId, kBoardProductId);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path)
            continue;
        // hidapi lists a device once per top-level collection; open it once.
        if (identities_.count(d->path))
            continue;
        identities_[d->path] = {d->vendor_id, d->product_id};
        devices.push_back({d->path, narrow(d->serial_number)});
    }
    hid_free_enumeration(list);
    return devices;
}

HidHandle HidapiTransport::open(const std::string& path) {
    std::unique_lock lock(hidapiGlobal);
    hid_device* device = hid_open_path(path.c_str());
    lock.unlock();
    if (!device) {
        // The board link only says that no board was found; a user who
        // started the program from a terminal learns why here, once per node
        // and search (the not-found Retry searches again and again).
        if (lacksPermission(path) && hinted_.insert(path).second)
            std::fputs(accessHint(QCoreApplication::applicationName().toStdString(), path,
                                  findUdevRule(udevRuleFolders()))
                           .c_str(),
                       stderr);
        return kInvalidHandle;
    }
    const HidHandle h = next_++;
    open_[h] = {device, path};
    return h;
}

std::optional<HidIds> HidapiTransport::attributes(HidHandle handle) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return std::nullopt;
    auto id = identities_.find(o->second.path);
    if (id == identities_.end())
        return std::nullopt;
    return id->second;
}

IoResult HidapiTransport::write(HidHandle handle, const Report& report) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return {IoStatus::Failed, "the board is not open"};
    // Byte 0 is the report ID (0: the board has no numbered reports).
    errno = 0;
    const int n = hid_write(o->second.device, report.data(), report.size());
    if (n < 0)
        return {IoStatus::Failed, reasonOf(o->second.device, errno)};
    if (n != static_cast<int>(report.size()))
        return {IoStatus::Failed, "only " + std::to_string(n) + " of 64 bytes were written"};
    return {};
}

IoResult HidapiTransport::read(HidHandle handle, Report& report, int timeoutMs) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return {IoStatus::Failed, "the board is not open"};
    // Without numbered reports hidapi returns the 63 data bytes without the
    // report ID; they go to bytes 1..63 and byte 0 stays 0.
    std::array<unsigned char, kReportSize + 1> in{};
    errno = 0;
    const int n = hid_read_timeout(o->second.device, in.data(), in.size(), timeoutMs);
    if (n == 0)
        return {IoStatus::Timeout, {}};
    if (n < 0)
        return {IoStatus::Failed, reasonOf(o->second.device, errno)};
    if (n < kReportSize - 1)
        return {IoStatus::Short, shortReportReason(n + 1)};
    report[0] = 0;
    std::copy_n(in.begin(), kReportSize - 1, report.begin() + 1);
    return {};
}

void HidapiTransport::close(HidHandle handle) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return;
    hid_close(o->second.device);
    open_.erase(o);
}
