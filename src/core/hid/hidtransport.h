// How the program reaches HID devices: open, write one report, read one with
// a time limit, close. The real transport talks to hidraw nodes through
// hidapi; the simulated one to boards in memory.
#pragma once

#include "core/hid/report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A handle is a small positive number issued by the transport. 0 stands for
// "no board", -1 for a closed or failed handle.
using HidHandle = std::intptr_t;
constexpr HidHandle kNoHandle = 0;
constexpr HidHandle kInvalidHandle = -1;

// A device as the enumeration lists it.
struct HidDevice {
    std::string path;         // the hidraw node, or the simulated board's name
    std::string serialNumber; // empty when the device gives none
};

struct HidIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

enum class IoStatus {
    Ok,      // one whole report went out or came in
    Short,   // a report shorter than 64 bytes came in and was dropped (the reason says so)
    Timeout, // nothing arrived within the limit; nothing will be filled in later
    Failed,  // the system refused the write or the read
};

struct IoResult {
    IoStatus status = IoStatus::Ok;
    std::string reason; // the system's words, when it failed
    bool ok() const { return status == IoStatus::Ok; }
};

// What a failed read says of a report of `bytes` bytes, the report ID counted.
inline std::string shortReportReason(std::size_t bytes) {
    return "only " + std::to_string(bytes) + " of 64 bytes came in";
}

class HidTransport {
public:
    virtual ~HidTransport() = default;

    // The devices present now, in enumeration order.
    virtual std::vector<HidDevice> enumerate() = 0;
    // Open a device; kInvalidHandle when it cannot be opened.
    virtual HidHandle open(const std::string& path) = 0;
    // Vendor and product ID of an open device; nothing when they cannot be read.
    virtual std::optional<HidIds> attributes(HidHandle handle) = 0;
    // Write one 64-byte output report (byte 0 is the report ID).
    virtual IoResult write(HidHandle handle, const Report& report) = 0;
    // Read one 64-byte input report into `report`, waiting at most `timeoutMs`.
    // `report` is only changed when the result is Ok.
    virtual IoResult read(HidHandle handle, Report& report, int timeoutMs) = 0;
    // Closing kNoHandle or kInvalidHandle does nothing.
    virtual void close(HidHandle handle) = 0;
};
