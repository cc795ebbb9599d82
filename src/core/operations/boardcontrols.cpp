#include "core/operations/boardcontrols.h"

#include "core/link/boardlink.h"

namespace {
Report requestBuiltBy(void (*build)(Report&)) {
    Report request{};
    build(request);
    return request;
}
} // namespace

bool sendBoardSignals(BoardLink& link, const BoardSignals& s) {
    Report head{};
    buildSignalsSet(head, signalsControlByte(s.led, s.pollDisabled), signalsSwitchByte(s.switches));
    // Only bytes 0 to 4: the rest goes out as the last exchange left it.
    return link.sendOverLastReport(std::span<const std::uint8_t>(head).first(5));
}

std::optional<bool> readLedState(BoardLink& link) {
    const std::optional<Report> answer = link.queryBoard(requestBuiltBy(buildSignalsQuery));
    if (!answer)
        return std::nullopt;
    return ledOnInAnswer(*answer);
}

std::optional<ClockList> readClockList(BoardLink& link) {
    const std::optional<Report> answer = link.queryBoard(requestBuiltBy(buildClockQuery));
    if (!answer)
        return std::nullopt;
    return clockListFromAnswer(*answer);
}

bool setClockDivider(BoardLink& link, std::uint8_t divider) {
    Report request{};
    buildClockSet(request, divider);
    return link.sendBoardCommand(request);
}

std::optional<FirmwareVersion> readFirmwareVersion(BoardLink& link) {
    const std::optional<Report> answer = link.queryBoard(requestBuiltBy(buildFirmwareQuery));
    if (!answer)
        return std::nullopt;
    return firmwareVersionFromAnswer(*answer);
}
