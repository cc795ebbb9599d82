#include "board/boardlink.h"

#include "app/dialogs.h"
#include "board/i2cframes.h"
#include "board/reporttrace.h"

namespace {
// A board that keeps sending reports must not hold the drain for ever.
constexpr int kMaxDrainedReports = 1024;
} // namespace

BoardLink::BoardLink(HidTransport& transport, Dialogs& dialogs)
    : transport_(transport), dialogs_(dialogs) {}

void BoardLink::connectBoards() {
    if (shutDown_)
        return;
    if (boardWriteHandles[0] != kNoHandle)
        closeBoards();

    bool found = false;
    do {
        std::size_t n = 0;
        for (const std::string& path : transport_.enumerate()) {
            const HidHandle candidate = transport_.open(path);
            std::uint16_t vendorId = 0;
            std::uint16_t productId = 0;
            if (candidate != kInvalidHandle &&
                transport_.attributes(candidate, vendorId, productId) &&
                vendorId == kBoardVendorId && productId == kBoardProductId) {
                found = true;
                dialogAnswer = Answer::Ok;
                boardWriteHandles.resize(n + 1);
                boardReadHandles.resize(n + 1);
                boardWriteHandles[n] = candidate;
                // Not examined: a board whose second open failed is still
                // listed, and its reads fail later with the read error.
                boardReadHandles[n] = transport_.open(path);
                ++n;
            } else {
                transport_.close(candidate);
            }
        }
        if (!found)
            dialogAnswer = dialogs_.message(kBoardNotFoundText, Buttons::RetryCancel);
    } while (!found && dialogAnswer == Answer::Retry);

    if (!found) {
        unload();
        return;
    }
    if (host_)
        host_->cboEVB_init();
}

void BoardLink::closeBoards() {
    for (std::size_t i = 0; i < boardWriteHandles.size(); ++i) {
        transport_.close(boardWriteHandles[i]);
        transport_.close(boardReadHandles[i]);
    }
    boardWriteHandles.assign(1, kNoHandle);
    boardReadHandles.assign(1, kNoHandle);
    writeHandle = kInvalidHandle;
    readHandle = kInvalidHandle;
    selected_ = -1;
}

void BoardLink::selectInstance(int k) {
    if (k < 0 || static_cast<std::size_t>(k) >= boardWriteHandles.size()) {
        writeHandle = kInvalidHandle;
        readHandle = kInvalidHandle;
        selected_ = -1;
        return;
    }
    writeHandle = boardWriteHandles[k];
    readHandle = boardReadHandles[k];
    selected_ = k;
}

void BoardLink::flushInput() {
    drainInput(kFlushWaitMs);
}

// The callers drain once before their first exchange, but a report can still
// come between their exchanges: while they pause with the window live (the
// reaction to a board command sent meanwhile, say), or as the late answer of
// an exchange given up. The answer to this request must not be taken from
// it. What has arrived is taken without waiting, so this costs nothing when
// nothing is there.
void BoardLink::drainBeforeRequest() {
    drainInput(0);
}

void BoardLink::drainInput(int waitMs) {
    for (int drained = 0; drained < kMaxDrainedReports; ++drained) {
        const ReadResult result = transport_.read(readHandle, report, waitMs);
        // A short report is stale input like any other: the reports behind it
        // must go too.
        if (result == ReadResult::Timeout || result == ReadResult::Failed)
            return;
        if (result == ReadResult::Ok && trace_)
            trace_->input(selected_, report);
    }
}

void BoardLink::fillReport(std::uint8_t fillByte) {
    report.fill(fillByte);
}

bool BoardLink::writeReport() {
    const bool written = transport_.write(writeHandle, report);
    if (trace_)
        trace_->output(selected_, report, written);
    return written;
}

bool BoardLink::readReport() {
    fillReport(0);
    if (transport_.read(readHandle, report, answerLimitMs) != ReadResult::Ok)
        return false;
    if (trace_)
        trace_->input(selected_, report);
    return true;
}

LinkStatus BoardLink::readAnswer() {
    if (!readReport())
        return LINK_READ_TIMEOUT;
    return answerStatus(report);
}

LinkStatus BoardLink::readRegistersOnce(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                        std::uint8_t count, std::span<std::uint8_t> data) {
    if (!readRequestValid(count, data.size()))
        return LINK_DEVICE_ERROR;
    drainBeforeRequest();
    fillReport(0);
    buildI2CReadRequest(report, deviceAddress, startRegister, count);
    if (!writeReport())
        return LINK_WRITE_FAILED;
    const LinkStatus status = readAnswer();
    if (status != LINK_OK)
        return status;
    copyReadAnswer(report, data.first(count));
    return LINK_OK;
}

LinkStatus BoardLink::writeRegistersOnce(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                         std::uint8_t count, std::span<const std::uint8_t> data) {
    if (!writeRequestValid(count, data.size()))
        return LINK_DEVICE_ERROR;
    drainBeforeRequest();
    fillReport(0);
    buildI2CWriteRequest(report, deviceAddress, startRegister, data.first(count));
    if (!writeReport())
        return LINK_WRITE_FAILED;
    return readAnswer();
}

template <typename Once> LinkStatus BoardLink::withRetry(Once once, bool quiet) {
    for (;;) {
        const LinkStatus status = once();
        reportLinkStatus(status, quiet);
        if (shutDown_)
            return LINK_DEVICE_ERROR;
        // Retry has reconnected the boards: repeat on the board now selected.
        if (status != LINK_READ_TIMEOUT && status != LINK_WRITE_FAILED)
            return status;
    }
}

LinkStatus BoardLink::readRegisters(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                    std::uint8_t count, std::span<std::uint8_t> data, bool quiet) {
    if (!readRequestValid(count, data.size()))
        return LINK_DEVICE_ERROR;
    return withRetry([&] { return readRegistersOnce(deviceAddress, startRegister, count, data); },
                     quiet);
}

LinkStatus BoardLink::writeRegisters(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                     std::uint8_t count, std::span<const std::uint8_t> data,
                                     bool quiet) {
    if (!writeRequestValid(count, data.size()))
        return LINK_DEVICE_ERROR;
    return withRetry([&] { return writeRegistersOnce(deviceAddress, startRegister, count, data); },
                     quiet);
}

void BoardLink::reportLinkStatus(LinkStatus status, bool quiet) {
    if (shutDown_)
        return;
    QString text;
    switch (status) {
    case LINK_DEVICE_ERROR:
        if (quiet)
            return;
        text = kInvalidAddressText;
        break;
    case LINK_READ_TIMEOUT:
        text = kReadFileErrorText;
        break;
    case LINK_WRITE_FAILED:
        text = kWriteFileErrorText;
        break;
    default:
        return;
    }
    dialogAnswer = dialogs_.message(text, Buttons::RetryCancel);
    if (dialogAnswer != Answer::Retry)
        unload();
    else if (status != LINK_DEVICE_ERROR)
        connectBoards();
}

std::uint16_t BoardLink::checkGPstatus(bool writeSucceeded) {
    if (writeSucceeded)
        return 8;
    if (shutDown_)
        return 0;
    dialogAnswer = dialogs_.message(kCheckGPstatusText, Buttons::RetryCancel);
    if (dialogAnswer == Answer::Retry)
        connectBoards();
    else
        unload();
    return 0;
}

void BoardLink::shutDown() {
    closeBoards();
    shutDown_ = true;
}

void BoardLink::unload() {
    if (host_)
        host_->unloadMainWindow();
    else
        shutDown();
}
