// How an operation that failed is told to a script, the command-line tool or
// the Python module: the kind of failure, which picks the tool's exit status
// and the module's exception, and one line that says what failed and why.
#pragma once

#include "core/link/linkresult.h"

#include <QString>
#include <cstdint>

enum class FailureKind {
    NotAcknowledged, // the chip or the board answered with a failure
    Differs,         // what was read back or compared differs from what it should hold
    Usage,           // the request itself is wrong: nothing was sent
    File,            // a file that cannot be opened or written (the trace)
    NoBoard,         // no board found, or none of that number
    BoardGone,       // the system refused a report: the board was pulled out
    TimedOut,        // no answer within the answer limit
    Stopped,         // a run of the link test stopped by what it found or what came between
};

struct OperationFailure {
    FailureKind kind = FailureKind::NotAcknowledged;
    QString message;
};

// "0x0C": a register, value or address as every message says it.
QString hexValue(int value);
// "1 register", "14 registers".
QString registerCount(int count);
// `part` of `whole` registers, as the subject of a sentence: "the register",
// "both registers", "all 3 registers", "2 of the 3 registers".
QString registersOf(int part, int whole);
// " at 0x40": the chip's 7-bit address, for the messages.
QString atAddress(std::uint8_t address7);

// What failed, `what` ("read of register 0x02 at 0x40"), and why, as the
// link's result says: not acknowledged, no answer from `board` within
// `answerLimitMs`, or the board gone with the system's reason.
OperationFailure linkFailure(const QString& what, const LinkResult& result, int board,
                             int answerLimitMs);
