// A simulated evaluation board: it obeys the four commands of the board
// protocol, carries chips on its I2C bus, records every output report it
// receives and can be told to misbehave.
#pragma once

#include "core/hid/report.h"
#include "core/sim/simchip.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class Clock;

// Something wrong with one answer the board sends.
struct AnswerFault {
    enum class Kind {
        None,   // sent as usual (a place holder in a list of faults)
        Drop,   // never sent
        Late,   // sent only after the host's read has given up
        Short,  // sent as a short report
        Status, // sent with `status` in byte 1, the transfer not carried out
        Nak,    // the chip does not acknowledge: a write stops before its last
                // byte, a read at the address; the status is 0x01
    };
    Kind kind;
    std::uint8_t status = 0;

    static AnswerFault none() { return {Kind::None}; }
    static AnswerFault drop() { return {Kind::Drop}; }
    static AnswerFault late() { return {Kind::Late}; }
    static AnswerFault shortReport() { return {Kind::Short}; }
    static AnswerFault withStatus(std::uint8_t s) { return {Kind::Status, s}; }
    static AnswerFault nak() { return {Kind::Nak, 0x01}; }
};

// What a board's buffer holds where an answer carries no data of its own.
constexpr std::uint8_t kSimJunk = 0xEE;

class SimBoard {
public:
    SimBoard();

    // Takes one output report, as the board's microcontroller would.
    void receive(const Report& report);
    // Queues an input report the host has not asked for (a stale report);
    // with `bytes` below 64 a short one.
    void queueInput(const Report& report, std::size_t bytes = kReportSize);
    // Called as the host writes a report: false when the board is unplugged
    // (then or by `unplugAfterReports`), and the report is kept in `refused`.
    bool takesWrite(const Report& report);
    // The host's read gave up: answers that were running late arrive now.
    void readTimedOut();
    // The next input report, if one is waiting. A short one has fewer bytes.
    std::optional<std::vector<std::uint8_t>> takeInput();
    bool hasInput() const { return !input_.empty(); }

    SimChip& addChip(std::uint8_t address7);
    SimChip* chipAt(std::uint8_t address7);

    // Board state, as the commands set and report it.
    bool ledOn = false;
    bool pollDisabled = false;
    std::uint8_t switches = 0;
    std::uint8_t baseClockMHz = 12;
    std::uint8_t divider = 120; // 100 kHz
    std::uint8_t firmwareVersion = 0x20;
    std::uint16_t firmwareYear = 2010;
    std::uint8_t firmwareMonth = 1;
    std::uint8_t firmwareDay = 15;

    std::vector<SimChip> chips;
    // The time the chips' error counters run on; none: they count nothing.
    Clock* clock = nullptr;

    // Unplugged: not enumerated, and every write and read on it fails.
    bool unplugged = false;
    // Pulled out after taking this many more output reports: the write after
    // them finds the board unplugged.
    std::optional<int> unplugAfterReports;
    // Faults for the next answers, one each, in order; then `everyAnswer`.
    std::deque<AnswerFault> answerFaults;
    std::optional<AnswerFault> everyAnswer;
    // A fault that starts at an output report: from the one numbered
    // `fromReport` on (1 is the first the board takes), every answer has
    // `answer`; or, with `pulledOut`, the board is pulled out as it takes
    // that report: the report is never obeyed, and the reads and writes
    // after it fail.
    struct LaterFault {
        int fromReport = 1;
        std::optional<AnswerFault> answer;
        bool pulledOut = false;
    };
    std::optional<LaterFault> laterFault;

    // Every output report the board received, in order, and those the host
    // tried to write while it was unplugged.
    std::vector<Report> received;
    std::vector<Report> refused;
    // Called after the board has obeyed each report (a test's observer).
    std::function<void(const Report&)> afterReceive;

private:
    void obey(const Report& report);
    void answer(Report reply);
    Report i2cTransfer(const Report& request);

    int reportsTaken_ = 0;
    std::deque<std::vector<std::uint8_t>> input_;
    std::vector<Report> late_;
};
