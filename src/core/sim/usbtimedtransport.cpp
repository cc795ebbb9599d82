#include "core/sim/usbtimedtransport.h"

#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"

namespace {
constexpr std::int64_t kNsPerMs = 1'000'000;

std::int64_t nextFrameBoundary(std::int64_t ns) {
    const std::int64_t frame = UsbTimedTransport::kFrameNs;
    return (ns / frame + 1) * frame;
}
} // namespace

UsbTimedTransport::UsbTimedTransport(SimTransport& inner, FrameClock& clock)
    : inner_(inner), clock_(clock) {}

std::vector<HidDevice> UsbTimedTransport::enumerate() {
    return inner_.enumerate();
}

HidHandle UsbTimedTransport::open(const std::string& path) {
    return inner_.open(path);
}

std::optional<HidIds> UsbTimedTransport::attributes(HidHandle handle) {
    return inner_.attributes(handle);
}

IoResult UsbTimedTransport::write(HidHandle handle, const Report& report) {
    const SimBoard* board = inner_.boardOf(handle);
    if (!board)
        return inner_.write(handle, report);
    const std::int64_t leaves = nextFrameBoundary(clock_.nowNs());
    clock_.sleepUntilNs(leaves);
    IoResult written = inner_.write(handle, report);
    // Commands that set something are not answered.
    if (written.ok() && board->hasInput())
        readableAt_[board] = leaves + kFrameNs;
    return written;
}

IoResult UsbTimedTransport::read(HidHandle handle, Report& report, int timeoutMs) {
    const SimBoard* board = inner_.boardOf(handle);
    auto pending = board ? readableAt_.find(board) : readableAt_.end();
    if (pending == readableAt_.end())
        return inner_.read(handle, report, timeoutMs);

    const std::int64_t start = clock_.nowNs();
    const std::int64_t deadline = start + timeoutMs * kNsPerMs;
    if (pending->second > deadline) {
        clock_.sleepUntilNs(deadline); // the answer is still on its way
        return {IoStatus::Timeout, {}};
    }
    clock_.sleepUntilNs(pending->second);
    readableAt_.erase(pending);
    const std::int64_t leftNs = deadline - clock_.nowNs();
    const int leftMs = leftNs > 0 ? static_cast<int>((leftNs + kNsPerMs - 1) / kNsPerMs) : 0;
    return inner_.read(handle, report, leftMs);
}

void UsbTimedTransport::close(HidHandle handle) {
    inner_.close(handle);
}
