// One run of the evaluation program around its board link: the start-up,
// the board instances and what selecting one reads back, the board controls'
// state, the address scan, and the end of the program. The windows render it
// and call it; its questions and messages go through the prompt.
#pragma once

#include "core/link/boardlink.h"
#include "core/link/failurepolicy.h"
#include "core/operations/boardcontrols.h"
#include "core/operations/chip.h"
#include "core/registers/deviceaddress.h"
#include "core/registers/registermodel.h"

#include <QObject>
#include <optional>

class Clock;
class ProcessEnd;
class Prompt;

inline const QString kAddressNotFoundText =
    QStringLiteral("QDM7720A I2C address not found. Close GUI?");

struct ScanResult {
    std::optional<std::uint8_t> found; // the address byte of the chip found
    int probes = 0;
};

class Session : public QObject {
    Q_OBJECT
public:
    // `end` ends the process once the boards are closed; `clock` paces the
    // pauses, with the window's events handled meanwhile.
    Session(HidTransport& transport, Prompt& prompt, ProcessEnd& end, Clock& clock,
            QObject* parent = nullptr);

    BoardLink& link() { return link_; }
    RegisterModel& registers() { return registers_; }
    DeviceAddress& address() { return address_; }
    Chip chip() { return {link_, registers_, address_, &clock_, &tracker_}; }
    ChipTracker& tracker() { return tracker_; }
    Prompt& prompt() { return prompt_; }

    // Finds the boards (asking while there are none), selects the first and
    // reads back its state, then sets the device address to 0.
    void start();
    // Closes the boards and finds them again, selecting the first.
    void reconnect() { link_.connectBoards(); }
    // Makes `instance` current and reads back its LED, its I2C clock and the
    // chip's channel selection.
    void selectBoard(int instance);

    const BoardSignals& boardSignals() const { return signals_; }
    // Sends the board-signals command with these states; false when the
    // board did not take it.
    bool setBoardSignals(const BoardSignals& state);
    const ClockList& clockList() const { return clockList_; }
    // Sends the divider of clock list item `index`; false when the board did
    // not take it.
    bool selectClock(int index);
    // Asks the board for its firmware version and shows it.
    void showFirmwareVersion();

    // Probes every address for a chip whose register 0x00 reads 0x31, 0.1 s
    // apart with the window live, each probe becoming the device address;
    // stops at the first found. When none is found, asks whether to close the
    // program; the last address probed, 0xFE, stays.
    ScanResult scanForChip();

    // Says it is ending, then closes the boards and ends the process.
    void endProgram() { endProgramWithStatus(0); }
    void endProgramWithStatus(int status);
    bool hasEnded() const { return link_.isShutDown(); }

signals:
    // The program ends: the boards are still open for a last exchange.
    void ending();
    // The boards were found anew (the list of instances changed).
    void boardsChanged();
    void boardSelected(int instance);
    // The LED state read back changed the board signals.
    void boardSignalsChanged();
    void clockListChanged();
    // The chip's channel selection read back at a board selection.
    void channelOptionRead(int option);
    // The chip did not answer that read-back.
    void channelOptionUnread();
    // Each address the scan probes, before its pause.
    void probing(std::uint8_t addressByte);

private:
    BoardLink link_;
    AskingPolicy policy_;
    Prompt& prompt_;
    Clock& clock_;
    RegisterModel registers_;
    ChipTracker tracker_{link_, registers_};
    DeviceAddress address_;
    BoardSignals signals_;
    ClockList clockList_;
};
