#include "board/hidapitransport.h"

#include "board/accesshint.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cstdio>

HidapiTransport::HidapiTransport() {
    hid_init();
}

HidapiTransport::~HidapiTransport() {
    for (auto& [handle, o] : open_)
        hid_close(o.device);
    hid_exit();
}

std::vector<std::string> HidapiTransport::enumerate() {
    std::vector<std::string> paths;
    identities_.clear();
    hinted_.clear();
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
        paths.emplace_back(d->path);
    }
    hid_free_enumeration(list);
    return paths;
}

HidHandle HidapiTransport::open(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    if (!device) {
        // The board link only says that no board was found; a user who
        // started the program from a terminal learns why here, once per node
        // and search (the not-found Retry searches again and again).
        if (lacksPermission(path) && hinted_.insert(path).second)
            std::fputs(accessHint(path, findUdevRule(udevRuleFolders())).c_str(), stderr);
        return kInvalidHandle;
    }
    const HidHandle h = next_++;
    open_[h] = {device, path};
    return h;
}

bool HidapiTransport::attributes(HidHandle handle, std::uint16_t& vendorId,
                                 std::uint16_t& productId) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return false;
    auto id = identities_.find(o->second.path);
    if (id == identities_.end())
        return false;
    vendorId = id->second.vendorId;
    productId = id->second.productId;
    return true;
}

bool HidapiTransport::write(HidHandle handle, const Report& report) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return false;
    // Byte 0 is the report ID (0: the board has no numbered reports).
    return hid_write(o->second.device, report.data(), report.size()) ==
           static_cast<int>(report.size());
}

ReadResult HidapiTransport::read(HidHandle handle, Report& report, int timeoutMs) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return ReadResult::Failed;
    // Without numbered reports hidapi returns the 63 data bytes without the
    // report ID; they go to bytes 1..63 and byte 0 stays 0.
    std::array<unsigned char, kReportSize + 1> in{};
    const int n = hid_read_timeout(o->second.device, in.data(), in.size(), timeoutMs);
    if (n == 0)
        return ReadResult::Timeout;
    if (n < 0)
        return ReadResult::Failed;
    if (n < kReportSize - 1)
        return ReadResult::Short;
    report[0] = 0;
    std::copy_n(in.begin(), kReportSize - 1, report.begin() + 1);
    return ReadResult::Ok;
}

void HidapiTransport::close(HidHandle handle) {
    auto o = open_.find(handle);
    if (o == open_.end())
        return;
    hid_close(o->second.device);
    open_.erase(o);
}
