#include "core/operations/boardcontrols.h"

#include "core/link/boardlink.h"

#include <algorithm>

namespace {

// The answer to a query built by `build`, made into a value by `decode`.
template <typename T>
BoardAnswer<T> query(BoardLink& link, void (*build)(Report&), T (*decode)(const Report&)) {
    Report request{};
    build(request);
    const LinkResult answer = link.queryBoard(request);
    if (!answer.ok())
        return {std::nullopt, answer};
    Report report{};
    std::copy_n(answer.bytes.begin(), report.size(), report.begin());
    return {decode(report), {}};
}

I2CClock clockFromAnswer(const Report& answer) {
    return {answer[2], answer[3]};
}

} // namespace

LinkResult sendBoardSignals(BoardLink& link, const BoardSignals& s) {
    Report head{};
    buildSignalsSet(head, signalsControlByte(s.led, s.pollDisabled), signalsSwitchByte(s.switches));
    // Only bytes 0 to 4: the rest goes out as the last exchange left it.
    return link.sendOverLastReport(std::span<const std::uint8_t>(head).first(5));
}

BoardAnswer<bool> readLedState(BoardLink& link) {
    return query(link, buildSignalsQuery, ledOnInAnswer);
}

BoardAnswer<I2CClock> readI2CClock(BoardLink& link) {
    return query(link, buildClockQuery, clockFromAnswer);
}

BoardAnswer<ClockList> readClockList(BoardLink& link) {
    return query(link, buildClockQuery, clockListFromAnswer);
}

LinkResult setClockDivider(BoardLink& link, std::uint8_t divider) {
    Report request{};
    buildClockSet(request, divider);
    return link.sendBoardCommand(request);
}

BoardAnswer<FirmwareVersion> readFirmwareVersion(BoardLink& link) {
    return query(link, buildFirmwareQuery, firmwareVersionFromAnswer);
}
