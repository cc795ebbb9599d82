// The HID transport on hidapi's hidraw backend.
#pragma once

#include "board/hidtransport.h"

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

    std::vector<std::string> enumerate() override;
    HidHandle open(const std::string& path) override;
    bool attributes(HidHandle handle, std::uint16_t& vendorId, std::uint16_t& productId) override;
    bool write(HidHandle handle, const Report& report) override;
    ReadResult read(HidHandle handle, Report& report, int timeoutMs) override;
    void close(HidHandle handle) override;

private:
    struct Open {
        hid_device_* device;
        std::string path;
    };
    struct Identity {
        std::uint16_t vendorId;
        std::uint16_t productId;
    };
    std::map<HidHandle, Open> open_;
    std::map<std::string, Identity> identities_; // from the last enumeration
    std::set<std::string> hinted_;               // nodes refused in this search
    HidHandle next_ = 1;
};
