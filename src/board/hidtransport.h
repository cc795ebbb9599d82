// How the program reaches HID devices. The real transport talks to hidraw
// nodes through hidapi; the simulated one to boards in memory.
#pragma once

#include "board/report.h"

#include <cstdint>
#include <string>
#include <vector>

// A handle is a small positive number issued by the transport. 0 stands for
// "no board" in the handle tables, -1 for a closed or failed handle.
using HidHandle = std::intptr_t;
constexpr HidHandle kNoHandle = 0;
constexpr HidHandle kInvalidHandle = -1;

enum class ReadResult {
    Ok,      // one whole input report was read
    Short,   // a report shorter than 64 bytes was read and dropped
    Timeout, // nothing arrived within the limit; nothing will be filled later
    Failed,  // the read failed
};

class HidTransport {
public:
    virtual ~HidTransport() = default;

    // Paths of the HID devices present now, in enumeration order.
    virtual std::vector<std::string> enumerate() = 0;
    // Open a device; kInvalidHandle when it cannot be opened.
    virtual HidHandle open(const std::string& path) = 0;
    // Vendor and product ID of an open device; false when they cannot be read.
    virtual bool attributes(HidHandle handle, std::uint16_t& vendorId,
                            std::uint16_t& productId) = 0;
    // Write one 64-byte output report (byte 0 is the report ID); false when refused.
    virtual bool write(HidHandle handle, const Report& report) = 0;
    // Read one 64-byte input report into `report`, waiting at most `timeoutMs`.
    // `report` is only changed when the result is Ok.
    virtual ReadResult read(HidHandle handle, Report& report, int timeoutMs) = 0;
    // Closing kNoHandle or kInvalidHandle does nothing.
    virtual void close(HidHandle handle) = 0;
};
