#include "core/operations/session.h"

#include "core/operations/chipcontrols.h"
#include "core/platform/prompt.h"
#include "core/registers/registermap.h"

#include <QLocale>

namespace {
constexpr float kProbePauseSeconds = 0.1f;
} // namespace

Session::Session(HidTransport& transport, Prompt& prompt, ProcessEnd& end, Clock& clock,
                 QObject* parent)
    : QObject(parent), link_(transport), policy_(prompt, end), prompt_(prompt), clock_(clock) {
    link_.setFailurePolicy(&policy_);
    // Every connection that finds boards lists them and selects the first.
    link_.setConnectedHandler([this] {
        emit boardsChanged();
        selectBoard(0);
    });
}

void Session::start() {
    link_.connectBoards();
    if (hasEnded())
        return;
    address_.setByte(0);
}

void Session::selectBoard(int instance) {
    link_.selectBoard(instance);
    emit boardSelected(instance);
    if (const BoardAnswer<bool> led = readLedState(link_); led && *led != signals_.led) {
        // The LED box takes the state read, and a change of it sends the
        // board-signals command as a click does.
        signals_.led = *led;
        emit boardSignalsChanged();
        sendBoardSignals(link_, signals_);
    }
    if (const BoardAnswer<ClockList> list = readClockList(link_)) {
        clockList_ = *list;
        emit clockListChanged();
        // Selecting the divider in use sends it back to the board.
        if (clockList_.selected >= 0)
            selectClock(clockList_.selected);
    }
    // A selection cut short by the end of the program reads nothing more.
    if (hasEnded())
        return;
    if (const std::optional<int> option = readChannelOption(chip()))
        emit channelOptionRead(*option);
    else
        emit channelOptionUnread();
}

bool Session::setBoardSignals(const BoardSignals& state) {
    signals_ = state;
    return sendBoardSignals(link_, signals_).ok();
}

bool Session::selectClock(int index) {
    if (index < 0 || index >= static_cast<int>(clockList_.items.size()))
        return false;
    clockList_.selected = index;
    return setClockDivider(link_, clockList_.items[index].divider).ok();
}

void Session::showFirmwareVersion() {
    if (const BoardAnswer<FirmwareVersion> version = readFirmwareVersion(link_))
        prompt_.ask(firmwareVersionText(*version, QLocale()), Buttons::Ok);
}

ScanResult Session::scanForChip() {
    link_.flushInput();
    ScanResult scan;
    for (int a = 0x00; a <= 0xFE; a += 2) {
        const auto address = static_cast<std::uint8_t>(a);
        emit probing(address);
        const LinkResult probe = link_.readRegisters(address, 0x00, 1, true);
        ++scan.probes;
        waitSeconds(clock_, kProbePauseSeconds);
        if (hasEnded())
            return scan;
        address_.setByte(address);
        if (probe.ok() && probe.bytes[0] == kChipIdentity) {
            scan.found = address;
            return scan;
        }
    }
    if (prompt_.ask(kAddressNotFoundText, Buttons::YesNo) == Answer::Yes)
        endProgram();
    return scan;
}

void Session::endProgramWithStatus(int status) {
    if (hasEnded())
        return;
    emit ending();
    link_.shutDown();
    policy_.endProgram(status);
}
