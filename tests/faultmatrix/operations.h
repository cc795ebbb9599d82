// The fault matrix's two axes: every operation that talks to the board, as
// the real window triggers it, and every fault the simulated board can
// inject; and what the program promises for a fault on each kind of path.
#pragma once

#include "board/report.h"
#include "sim/simboard.h"
#include "support/testrig.h"

#include <QStringList>
#include <functional>
#include <set>
#include <vector>

// How the operation handles the exchange the fault hits.
enum class Path {
    Retrying,      // I2C transfer with the Retry/Cancel dialogs
    Quiet,         // the same without the not-acknowledged dialog (the scan)
    SingleAttempt, // I2C transfer without any dialog
    BoardQuery,    // board command whose answer is read but not judged
    BoardCommand,  // board command without an answer
};

struct Operation {
    const char* name = "";
    Path path = Path::Retrying;
    // Answers and output reports of the operation before the exchange the
    // fault hits.
    int answersBefore = 0;
    int reportsBefore = 0;
    // Reports of the clean run after the faulted one that belong to the same
    // step, and so are not sent when that step fails.
    int skippedAfterFailure = 0;
    std::function<void(TestRig&)> setUp = {};
    std::function<void(TestRig&)> trigger = {};
    // After a transfer that was not acknowledged: the messages the operation
    // itself shows, and the reports it still sends (none unless given).
    QStringList afterRefusal = {};
    std::function<std::vector<Report>(const std::vector<Report>& clean, std::size_t faulted)>
        sentAfterRefusal = {};
    // The operation is the start-up itself: nothing is loaded before it.
    bool startUp = false;
    // Cells that show 00 when the operation's read-back fails.
    std::set<int> zerosWhenReadBackFails = {};
};

enum class Fault {
    Unplugged,      // writes refused; Cancel
    BackAfterRetry, // unplugged, plugged back in while the message is open; Retry
    NoAnswer,
    NoAnswerCancel, // no answer; Cancel
    Late,           // the answer comes after the limit, as a stale report
    Stale,          // stale reports waiting before the request, and more during pauses
    NotAcknowledged,
    Status01,
    Status80,
    StatusFF,
    ShortReport,
};

// Every fault, with the name its rows carry.
extern const std::vector<std::pair<Fault, const char*>> kFaults;

// What the program promises for a fault on a path.
enum class Outcome {
    AsClean,    // as if nothing had happened (besides the fault's message)
    Repeated,   // message, Retry reconnects, the same transfer again, then as clean
    Reconnects, // message, Retry reconnects, the command is not repeated
    Ends,       // message, Cancel ends the program, nothing more is sent
    Abandoned,  // not acknowledged: the operation stops (after the message, if any)
    Silent,     // the single attempt fails without a message
};

struct Expectation {
    Outcome outcome;
    QString message; // the fault's own message, or none
    bool reached;    // the faulted request reached the board
};

Expectation expectationFor(Path path, Fault fault);

// Register values no answer would show by chance; the error counters stay 0,
// so that reading them changes nothing.
void plantRegisters(SimChip& chip);
// Queues one of three stale reports full of a value no register holds: a
// whole one with status 0 (which looks like a good answer), a short one, and
// a whole one with a failing status.
void queueStale(SimBoard& board, int which);

std::vector<Report> slice(const std::vector<Report>& v, std::size_t from, std::size_t to);

std::vector<Operation> operations();
const Operation& operationNamed(const QString& name);
