// What an exchange with the board comes to: its status, the bytes it
// brought, and the system's reason when it failed.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

enum class LinkStatus {
    Ok,              // answered, status byte 0
    NotAcknowledged, // answered, status byte not 0: the chip did not take the transfer
    NoAnswer,        // no whole input report within the answer limit
    WriteFailed,     // the system refused the output report: the board is gone
    ReadFailed,      // the system refused the read of the answer: the board is gone
};

struct LinkResult {
    LinkStatus status = LinkStatus::Ok;
    std::vector<std::uint8_t> bytes; // a read's register values, first register first
    std::uint8_t statusByte = 0;     // byte 1 of the answer, when one came
    QString reason;                  // the system's words, where it gave some
    bool givenUp = false;            // no answer: its wait was cut short, a stop being asked
    bool ok() const { return status == LinkStatus::Ok; }
    // A write with this result may have reached the chip: taken, or sent and
    // its answer lost.
    bool mayHaveReached() const {
        return ok() || status == LinkStatus::NoAnswer || status == LinkStatus::ReadFailed;
    }
};

// Registers one transfer can carry: 64 - 2 answer bytes, 64 - 5 request bytes.
constexpr int kMaxReadCount = 62;
constexpr int kMaxWriteCount = 59;

// How long an answer may take, and how long the input drain waits per report.
constexpr int kAnswerLimitMs = 6000;
// Once a stop is asked, how long an answer is still waited for: a board that
// works answers well within it, one that hangs holds the stop no longer.
constexpr int kStopGraceMs = 250;
constexpr int kFlushWaitMs = 1;
