#include "core/link/boardlink.h"

#include "core/link/i2cframes.h"
#include "core/link/reporttrace.h"

#include <algorithm>

namespace {
// A board that keeps sending reports must not hold the drain for ever.
constexpr int kMaxDrainedReports = 1024;
// With a stop to look for, an answer is awaited in slices this long.
constexpr int kStopSliceMs = 50;

LinkResult refused(const char* why) {
    return {LinkStatus::NotAcknowledged, {}, 0, QString::fromLatin1(why)};
}

LinkFailure::Kind failureKindOf(LinkStatus status) {
    switch (status) {
    case LinkStatus::NoAnswer:
    case LinkStatus::ReadFailed: // the same message as an answer that never came
        return LinkFailure::Kind::NoAnswer;
    case LinkStatus::WriteFailed:
        return LinkFailure::Kind::WriteFailed;
    default:
        return LinkFailure::Kind::NotAcknowledged;
    }
}
} // namespace

BoardLink::BoardLink(HidTransport& transport) : transport_(transport) {}

BoardLink::~BoardLink() {
    closeBoards();
}

bool BoardLink::connectBoards() {
    if (shutDown_)
        return false;
    closeBoards();
    for (;;) {
        for (const HidDevice& device : transport_.enumerate()) {
            const HidHandle candidate = transport_.open(device.path);
            const std::optional<HidIds> ids =
                candidate != kInvalidHandle ? transport_.attributes(candidate) : std::nullopt;
            if (ids && ids->vendorId == kBoardVendorId && ids->productId == kBoardProductId) {
                // The second open is not examined: a board whose reads cannot
                // be opened is still listed, and its reads fail later.
                boards_.push_back({device, candidate, transport_.open(device.path)});
            } else {
                transport_.close(candidate);
            }
        }
        if (!boards_.empty())
            break;
        if (decide({LinkFailure::Kind::NoBoard}) != FailureDecision::Retry)
            return false;
    }
    if (connected_)
        connected_();
    return true;
}

void BoardLink::closeBoards() {
    for (const Board& b : boards_) {
        transport_.close(b.write);
        transport_.close(b.read);
    }
    boards_.clear();
    selected_ = -1;
}

bool BoardLink::selectBoard(int instance) {
    const bool valid = instance >= 0 && instance < boardCount();
    selected_ = valid ? instance : -1;
    return valid;
}

HidHandle BoardLink::writeHandle() const {
    return selected_ >= 0 ? boards_[selected_].write : kInvalidHandle;
}

HidHandle BoardLink::readHandle() const {
    return selected_ >= 0 ? boards_[selected_].read : kInvalidHandle;
}

FailureDecision BoardLink::decide(const LinkFailure& failure) {
    if (shutDown_ || !policy_)
        return FailureDecision::GiveUp;
    const FailureDecision decision = policy_->decide(failure);
    if (decision == FailureDecision::EndProgram && !shutDown_) {
        shutDown();
        policy_->endProgram();
    }
    return shutDown_ ? FailureDecision::GiveUp : decision;
}

void BoardLink::logFailure(const char* operation, const std::string& reason) {
    lastReason_ = reason;
    if (reason.empty())
        return;
    const QString line = QStringLiteral("board %1: the %2 failed: %3")
                             .arg(selected_)
                             .arg(QLatin1String(operation), QString::fromStdString(reason));
    if (trace_)
        trace_->note(QStringLiteral("# ") + line);
    if (failureLog_)
        failureLog_(line);
}

void BoardLink::flushInput() {
    drainInput(kFlushWaitMs);
}

void BoardLink::drainInput(int waitMs) {
    for (int drained = 0; drained < kMaxDrainedReports; ++drained) {
        const IoResult result = transport_.read(readHandle(), report_, waitMs);
        // A short report is stale input like any other: the reports behind it
        // must go too. A failed read ends the drain (the board is gone).
        if (result.status == IoStatus::Timeout)
            return;
        if (result.status == IoStatus::Failed) {
            logFailure("read of the input report", result.reason);
            return;
        }
        if (result.ok() && trace_)
            trace_->input(selected_, report_);
    }
}

void BoardLink::traceMeaning(bool answered, bool givenUp) {
    if (trace_)
        trace_->note(
            QStringLiteral("# ") + describeExchange(request_, answered ? &report_ : nullptr) +
            (givenUp ? QStringLiteral(" (the wait given up: a stop was asked)") : QString()));
}

bool BoardLink::writeReport() {
    request_ = report_;
    const IoResult result = transport_.write(writeHandle(), report_);
    if (trace_)
        trace_->output(selected_, report_, result.ok());
    if (!result.ok())
        logFailure("write of the output report", result.reason);
    return result.ok();
}

IoResult BoardLink::readAnswer() {
    givenUp_ = false;
    if (!stopAsked_)
        return transport_.read(readHandle(), report_, answerLimitMs_);
    int left = answerLimitMs_;
    bool stopping = false;
    for (;;) {
        if (!stopping && stopAsked_()) {
            stopping = true;
            givenUp_ = left > kStopGraceMs;
            left = std::min(left, kStopGraceMs);
        }
        const int slice = std::min(left, kStopSliceMs);
        const IoResult result = transport_.read(readHandle(), report_, slice);
        left -= slice;
        if (result.status != IoStatus::Timeout || left <= 0)
            return result;
    }
}

LinkStatus BoardLink::readReport() {
    report_.fill(0);
    const IoResult result = readAnswer();
    switch (result.status) {
    case IoStatus::Ok:
        if (trace_)
            trace_->input(selected_, report_);
        return LinkStatus::Ok;
    case IoStatus::Failed:
        logFailure("read of the input report", result.reason);
        return LinkStatus::ReadFailed;
    case IoStatus::Short: // something came, but not the answer
        logFailure("read of the input report", result.reason);
        if (lastReason_.empty())
            lastReason_ = "a short report came in its place";
        return LinkStatus::NoAnswer;
    case IoStatus::Timeout:
        break;
    }
    lastReason_.clear();
    return LinkStatus::NoAnswer;
}

LinkResult BoardLink::answer() {
    const LinkStatus read = readReport();
    const bool givenUp = read == LinkStatus::NoAnswer && givenUp_;
    traceMeaning(read == LinkStatus::Ok, givenUp);
    if (read != LinkStatus::Ok)
        return {read, {}, 0, QString::fromStdString(lastReason_), givenUp};
    return {answerStatus(report_), {}, report_[1], {}};
}

// The callers drain once before their first exchange, but a report can still
// come between their exchanges: while they pause with the window live, or as
// the late answer of an exchange given up. The answer to this request must
// not be taken from it. What has arrived is taken without waiting, so this
// costs nothing when nothing is there.
LinkResult BoardLink::readRegistersOnce(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                                        int count) {
    if (shutDown_)
        return refused("the program is ending");
    if (!readCountValid(count))
        return refused("a read takes 1 to 62 registers");
    drainInput(0);
    report_.fill(0);
    buildI2CReadRequest(report_, deviceAddress, firstRegister, static_cast<std::uint8_t>(count));
    if (!writeReport())
        return {LinkStatus::WriteFailed, {}, 0, QString::fromStdString(lastReason_)};
    LinkResult result = answer();
    if (result.ok()) {
        result.bytes = readAnswerValues(report_, count);
        if (listener_)
            listener_->registersRead(deviceAddress, firstRegister, result.bytes);
    }
    return result;
}

LinkResult BoardLink::writeRegistersOnce(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                                         std::span<const std::uint8_t> data) {
    if (shutDown_)
        return refused("the program is ending");
    if (!writeCountValid(static_cast<int>(data.size())))
        return refused("a write takes 1 to 59 bytes");
    drainInput(0);
    report_.fill(0);
    buildI2CWriteRequest(report_, deviceAddress, firstRegister, data);
    if (!writeReport())
        return {LinkStatus::WriteFailed, {}, 0, QString::fromStdString(lastReason_)};
    LinkResult result = answer();
    // Without an answer the chip may have taken the write all the same.
    if (listener_ && result.mayHaveReached())
        listener_->registersWritten(deviceAddress, firstRegister, data, result.ok());
    return result;
}

template <typename Once> LinkResult BoardLink::withPolicy(Once once, bool quiet) {
    for (;;) {
        LinkResult result = once();
        if (result.ok() || shutDown_)
            return result;
        if (decide({failureKindOf(result.status), quiet}) != FailureDecision::Retry)
            return result;
        // Reconnected: the same transfer again, on the board now selected.
        connectBoards();
    }
}

LinkResult BoardLink::readRegisters(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                                    int count, bool quiet) {
    if (!readCountValid(count))
        return refused("a read takes 1 to 62 registers");
    return withPolicy([&] { return readRegistersOnce(deviceAddress, firstRegister, count); },
                      quiet);
}

LinkResult BoardLink::writeRegisters(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                                     std::span<const std::uint8_t> data) {
    if (!writeCountValid(static_cast<int>(data.size())))
        return refused("a write takes 1 to 59 bytes");
    return withPolicy([&] { return writeRegistersOnce(deviceAddress, firstRegister, data); },
                      false);
}

LinkResult BoardLink::commandFailed(LinkStatus status) {
    const LinkResult failure{status, {}, 0, QString::fromStdString(lastReason_)};
    // Retry reconnects; the command itself is not repeated.
    if (decide({LinkFailure::Kind::CommandFailed}) == FailureDecision::Retry)
        connectBoards();
    return failure;
}

LinkResult BoardLink::queryBoard(const Report& request) {
    if (shutDown_)
        return refused("the program is ending");
    flushInput();
    report_ = request;
    if (!writeReport())
        return commandFailed(LinkStatus::WriteFailed);
    const LinkStatus read = readReport();
    traceMeaning(read == LinkStatus::Ok);
    if (read != LinkStatus::Ok)
        return commandFailed(read);
    return {
        LinkStatus::Ok, std::vector<std::uint8_t>(report_.begin(), report_.end()), report_[1], {}};
}

LinkResult BoardLink::sendBoardCommand(const Report& request) {
    if (shutDown_)
        return refused("the program is ending");
    report_ = request;
    return sent() ? LinkResult{} : commandFailed(LinkStatus::WriteFailed);
}

LinkResult BoardLink::sendOverLastReport(std::span<const std::uint8_t> head) {
    if (shutDown_)
        return refused("the program is ending");
    std::copy_n(head.begin(), std::min<std::size_t>(head.size(), report_.size()), report_.begin());
    return sent() ? LinkResult{} : commandFailed(LinkStatus::WriteFailed);
}

// A command without an answer: written, and its meaning traced.
bool BoardLink::sent() {
    if (!writeReport())
        return false;
    traceMeaning(false);
    return true;
}

void BoardLink::shutDown() {
    closeBoards();
    shutDown_ = true;
}
