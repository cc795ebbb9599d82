#include "core/sim/simboard.h"

#include "core/platform/clock.h"

#include <algorithm>

namespace {
constexpr std::size_t kShortReportBytes = 16;
// What one report can carry: the answer's bytes after the status, the
// request's after its five header bytes.
constexpr int kMaxReadCount = kReportSize - 2;
constexpr int kMaxWriteCount = kReportSize - 5;
constexpr std::uint8_t kNak = 0x01;
} // namespace

SimBoard::SimBoard() = default;

SimChip& SimBoard::addChip(std::uint8_t address7) {
    chips.emplace_back(address7);
    return chips.back();
}

SimChip* SimBoard::chipAt(std::uint8_t address7) {
    auto it = std::find_if(chips.begin(), chips.end(),
                           [&](const SimChip& c) { return c.address7 == address7; });
    return it == chips.end() ? nullptr : &*it;
}

void SimBoard::receive(const Report& report) {
    received.push_back(report);
    if (laterFault && ++reportsTaken_ >= laterFault->fromReport) {
        if (laterFault->pulledOut) {
            unplugged = true;
            return;
        }
        everyAnswer = laterFault->answer;
    }
    obey(report);
    if (afterReceive)
        afterReceive(report);
}

void SimBoard::obey(const Report& report) {
    const std::uint8_t sub = report[2];
    Report reply{};
    switch (report[1]) {
    case CMD_BOARD_INFO:
        if (sub != 1)
            return;
        reply[2] = firmwareVersion;
        reply[3] = static_cast<std::uint8_t>(firmwareYear >> 8);
        reply[4] = static_cast<std::uint8_t>(firmwareYear & 0xFF);
        reply[5] = firmwareMonth;
        reply[6] = firmwareDay;
        answer(reply);
        return;
    case CMD_BOARD_SIGNALS:
        if (sub == 0) {
            ledOn = (report[3] & 0x01) != 0;
            pollDisabled = (report[3] & 0x02) != 0;
            switches = report[4];
        } else if (sub == 1) {
            reply[2] = ledOn ? 0x40 : 0x00;
            answer(reply);
        }
        return;
    case CMD_I2C:
        answer(i2cTransfer(report));
        return;
    case CMD_I2C_CLOCK:
        if (sub == 0) {
            divider = report[3];
        } else if (sub == 1) {
            reply[2] = baseClockMHz;
            reply[3] = divider;
            answer(reply);
        }
        return;
    default:
        return; // unknown commands are ignored
    }
}

Report SimBoard::i2cTransfer(const Report& request) {
    Report reply{};
    // A forced status means the chip never saw the transfer.
    const AnswerFault* next = !answerFaults.empty() ? &answerFaults.front()
                              : everyAnswer         ? &*everyAnswer
                                                    : nullptr;
    if (next && next->kind == AnswerFault::Kind::Status) {
        std::fill(reply.begin() + 2, reply.end(), kSimJunk);
        return reply; // answer() puts the status in
    }

    const int count = request[2];
    const bool isRead = (request[3] & 1) != 0;
    SimChip* chip = chipAt(static_cast<std::uint8_t>(request[3] >> 1));
    const int limit = isRead ? kMaxReadCount : kMaxWriteCount;
    if (!chip || count < 1 || count > limit) {
        reply[1] = kNak;
        return reply;
    }
    // A chip that stops acknowledging takes the bytes of a write up to the last.
    const bool nak = next && next->kind == AnswerFault::Kind::Nak;
    if (nak && isRead) {
        reply[1] = kNak;
        return reply;
    }
    // The time is looked at only while errors build up with it: a transfer
    // that finds the checker idle costs no look at the clock.
    if (clock && chip->isCounting())
        chip->advanceTo(clock->secondsSinceMidnight());
    const int taken = nak ? count - 1 : count;
    std::uint8_t reg = request[4];
    for (int i = 0; i < taken; ++i, ++reg) {
        if (isRead)
            reply[2 + i] = chip->read(reg);
        else
            chip->write(reg, request[5 + i]);
    }
    if (nak)
        reply[1] = kNak;
    return reply;
}

void SimBoard::answer(Report reply) {
    std::optional<AnswerFault> fault;
    if (!answerFaults.empty()) {
        fault = answerFaults.front();
        answerFaults.pop_front();
    } else {
        fault = everyAnswer;
    }
    if (!fault) {
        input_.emplace_back(reply.begin(), reply.end());
        return;
    }
    switch (fault->kind) {
    case AnswerFault::Kind::None:
    case AnswerFault::Kind::Nak: // the transfer carried it out already
        input_.emplace_back(reply.begin(), reply.end());
        return;
    case AnswerFault::Kind::Drop:
        return;
    case AnswerFault::Kind::Late:
        late_.push_back(reply);
        return;
    case AnswerFault::Kind::Short:
        input_.emplace_back(reply.begin(), reply.begin() + kShortReportBytes);
        return;
    case AnswerFault::Kind::Status:
        reply[1] = fault->status;
        input_.emplace_back(reply.begin(), reply.end());
        return;
    }
}

void SimBoard::queueInput(const Report& report, std::size_t bytes) {
    input_.emplace_back(report.begin(), report.begin() + std::min(bytes, report.size()));
}

bool SimBoard::takesWrite(const Report& report) {
    if (unplugAfterReports && (*unplugAfterReports)-- == 0) {
        unplugged = true;
        unplugAfterReports.reset();
    }
    if (unplugged)
        refused.push_back(report);
    return !unplugged;
}

void SimBoard::readTimedOut() {
    for (const Report& r : late_)
        input_.emplace_back(r.begin(), r.end());
    late_.clear();
}

std::optional<std::vector<std::uint8_t>> SimBoard::takeInput() {
    if (input_.empty())
        return std::nullopt;
    std::vector<std::uint8_t> r = std::move(input_.front());
    input_.pop_front();
    return r;
}
