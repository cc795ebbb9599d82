// Simulated boards behind a full-speed USB link: an output report leaves at
// the next 1 ms frame boundary (the write returns then), and the board's
// answer can be read one frame after that. Everything else is the simulated
// transport underneath, which answers at once.
#pragma once

#include "core/hid/hidtransport.h"

#include <cstdint>
#include <map>

class FrameClock;
class SimBoard;
class SimTransport;

class UsbTimedTransport : public HidTransport {
public:
    static constexpr std::int64_t kFrameNs = 1'000'000;

    // `inner` waits for answers that never come on its own clock, which must
    // run on the same time as `clock`.
    UsbTimedTransport(SimTransport& inner, FrameClock& clock);

    std::vector<HidDevice> enumerate() override;
    HidHandle open(const std::string& path) override;
    std::optional<HidIds> attributes(HidHandle handle) override;
    IoResult write(HidHandle handle, const Report& report) override;
    IoResult read(HidHandle handle, Report& report, int timeoutMs) override;
    void close(HidHandle handle) override;

private:
    SimTransport& inner_;
    FrameClock& clock_;
    // Per board: when the answer to the last output report becomes readable.
    // Input queued before it waits until then too, which is exact for a host
    // that reads each answer before it writes again.
    std::map<const SimBoard*, std::int64_t> readableAt_;
};
