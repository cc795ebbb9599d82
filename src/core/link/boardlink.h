// The link to the evaluation boards: discovery and the open boards, the
// selected board, the I2C register transfers and the board's own commands.
// Every exchange returns its result as a value; what happens on a failure
// (a message, a reconnection, the end of the program) is the policy's say.
#pragma once

#include "core/hid/hidtransport.h"
#include "core/link/failurepolicy.h"
#include "core/link/linkresult.h"
#include "core/link/transferlistener.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class ReportTrace;

class BoardLink {
public:
    explicit BoardLink(HidTransport& transport);
    ~BoardLink();
    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    // Without a policy every failure comes back to the caller as it is.
    void setFailurePolicy(FailurePolicy* policy) { policy_ = policy; }
    void setTrace(ReportTrace* trace) { trace_ = trace; }
    // Told of every register transfer that reached the chip or may have.
    void setTransferListener(TransferListener* listener) { listener_ = listener; }
    // Receives one line for every write or read the system refused, with the
    // board, the operation and the system's reason.
    void setFailureLog(std::function<void(const QString&)> log) { failureLog_ = std::move(log); }
    // Runs after every connection that found boards: it selects one.
    void setConnectedHandler(std::function<void()> handler) { connected_ = std::move(handler); }
    void setAnswerLimitMs(int ms) { answerLimitMs_ = ms; }
    // Looked at while an answer is awaited: once it says a stop was asked,
    // no answer is waited for longer than kStopGraceMs. Without it every
    // wait is one read of the whole answer limit.
    void setStopRequest(std::function<bool()> asked) { stopAsked_ = std::move(asked); }
    int answerLimitMs() const { return answerLimitMs_; }

    // Closes the boards open now, then finds every board and opens it twice,
    // once for writing and once for reading. While none is found the policy
    // decides whether to search again; false when none was found.
    bool connectBoards();
    void closeBoards();
    int boardCount() const { return static_cast<int>(boards_.size()); }
    const HidDevice& boardDevice(int instance) const { return boards_.at(instance).device; }
    // Makes `instance` the board every exchange goes to; false when there is none such.
    bool selectBoard(int instance);
    int selectedBoard() const { return selected_; }

    // Drains input reports that arrived outside an exchange.
    void flushInput();

    // I2C register transfers at the 8-bit `deviceAddress` (a read sends it
    // plus one): 1 to 62 registers read, 1 to 59 bytes written. A request
    // outside these limits is refused as not acknowledged, without exchange.
    LinkResult readRegistersOnce(std::uint8_t deviceAddress, std::uint8_t firstRegister, int count);
    LinkResult writeRegistersOnce(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                                  std::span<const std::uint8_t> data);
    // The same with the policy: a failure is decided there, and after a
    // reconnection the same transfer is repeated on the board then selected.
    LinkResult readRegisters(std::uint8_t deviceAddress, std::uint8_t firstRegister, int count,
                             bool quiet = false);
    LinkResult writeRegisters(std::uint8_t deviceAddress, std::uint8_t firstRegister,
                              std::span<const std::uint8_t> data);

    // The board's own commands. A query drains the input, sends `request` and
    // returns the answer's 64 bytes (its status byte is not judged); a command
    // is only sent. On a failure the policy decides; a reconnection does not
    // repeat the command.
    LinkResult queryBoard(const Report& request);
    LinkResult sendBoardCommand(const Report& request);
    // Sends `head` as the first bytes of the report last exchanged, the rest
    // going out as they stand (the board-signals command is built this way).
    LinkResult sendOverLastReport(std::span<const std::uint8_t> head);

    // The end of the program: closes the boards and refuses every later
    // exchange, so that a handler interrupted by the end unwinds quietly.
    void shutDown();
    bool isShutDown() const { return shutDown_; }

private:
    struct Board {
        HidDevice device;
        HidHandle write = kInvalidHandle;
        HidHandle read = kInvalidHandle;
    };

    template <typename Once> LinkResult withPolicy(Once once, bool quiet);
    // After a failed command: what the policy decides, and the failure.
    LinkResult commandFailed(LinkStatus status);
    // The policy's decision (GiveUp without one); EndProgram ends here.
    FailureDecision decide(const LinkFailure& failure);
    void drainInput(int waitMs);
    bool writeReport();
    // Ok, NoAnswer (nothing, or a short report, in time) or ReadFailed.
    LinkStatus readReport();
    // The read of one report within the answer limit, or within the grace
    // once a stop is asked.
    IoResult readAnswer();
    bool sent();
    LinkResult answer();
    void logFailure(const char* operation, const std::string& reason);
    // The trace's line of what the exchange of `request_` meant.
    void traceMeaning(bool answered, bool givenUp = false);
    HidHandle writeHandle() const;
    HidHandle readHandle() const;

    HidTransport& transport_;
    FailurePolicy* policy_ = nullptr;
    ReportTrace* trace_ = nullptr;
    TransferListener* listener_ = nullptr;
    std::function<void(const QString&)> failureLog_;
    std::function<void()> connected_;
    std::function<bool()> stopAsked_;
    bool givenUp_ = false; // the last answer's wait was cut short
    int answerLimitMs_ = kAnswerLimitMs;
    std::vector<Board> boards_;
    int selected_ = -1;
    bool shutDown_ = false;
    // The report last written or read: the board-signals command goes out
    // over it, as the board has always been sent.
    Report report_{};
    Report request_{}; // the last report written
    std::string lastReason_;
};
