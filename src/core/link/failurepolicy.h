// What the link does when an exchange fails: the windows ask the user (Retry
// reconnects, Cancel ends the program), a script's tool gives up and reports
// the failure, tests answer from a script.
#pragma once

#include <QString>

class ProcessEnd;
class Prompt;

struct LinkFailure {
    enum class Kind {
        NoBoard,         // no board was found
        NotAcknowledged, // an I2C transfer the chip did not take
        NoAnswer,        // an I2C transfer the board did not answer in time
        WriteFailed,     // an I2C request the board would not take
        CommandFailed,   // a board command that could not be sent or was not answered
    };
    Kind kind;
    bool quiet = false; // a transfer not acknowledged is expected (the address scan)
};

enum class FailureDecision {
    Retry,      // search again, or reconnect and repeat the transfer
    GiveUp,     // return the failure to the caller
    EndProgram, // close the boards and end the program
};

class FailurePolicy {
public:
    virtual ~FailurePolicy() = default;
    virtual FailureDecision decide(const LinkFailure& failure) = 0;
    // Ends the program once the link has closed its boards.
    virtual void endProgram() = 0;
};

inline const QString kBoardNotFoundText =
    QStringLiteral("Please check USB connection.\r\nQDM7720A Evaluation Board not found.");
inline const QString kInvalidAddressText =
    QStringLiteral("Invalid I2C address. Press Retry to return to GUI and enter valid address "
                   "or Cancel to close GUI.");
inline const QString kReadFileErrorText =
    QStringLiteral("Please check USB connection.\r\nUSB ReadFile error.");
inline const QString kWriteFileErrorText =
    QStringLiteral("Please check USB connection.\r\nUSB WriteFile error.");
inline const QString kCheckGPstatusText =
    QStringLiteral("Please check USB connection.\r\ncheckGPstatus");

// The program's own policy: a Retry/Cancel message for every failure (none
// for a quiet transfer not acknowledged). Retry searches again or reconnects;
// after a transfer not acknowledged it only returns to the caller. Cancel
// ends the program.
class AskingPolicy : public FailurePolicy {
public:
    AskingPolicy(Prompt& prompt, ProcessEnd& end) : prompt_(prompt), end_(end) {}
    FailureDecision decide(const LinkFailure& failure) override;
    void endProgram() override { endProgram(0); }
    void endProgram(int status);

private:
    Prompt& prompt_;
    ProcessEnd& end_;
};
