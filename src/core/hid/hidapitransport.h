// The HID transport on hidapi's hidraw backend.
#pragma once

#include "core/hid/hidtransport.h"

#include <map>
#include <set>
#include <string>

struct hid_device_;

class HidapiTransport : public HidTransport {
public:
    HidapiTransport();
    ~HidapiTransport() override;
    HidapiTransport(const HidapiTransport&) = delete;
    HidapiTransport& operator=(const HidapiTransport&) = delete;

    std::vector<HidDevice> enumerate() override;
    HidHandle open(const std::string& path) override;
    std::optional<HidIds> attributes(HidHandle handle) override;
    IoResult write(HidHandle handle, const Report& report) override;
    IoResult read(HidHandle handle, Report& report, int timeoutMs) override;
    void close(HidHandle handle) override;

private:
    struct Open {
        hid_device_* device;
        std::string path;
    };
    std::map<HidHandle, Open> open_;
    std::map<std::string, HidIds> identities_; // from the last enumeration
    std::set<std::string> hinted_;             // nodes refused in this search
    HidHandle next_ = 1;
};
