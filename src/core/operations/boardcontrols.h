// The board's own controls: the LED, the microcontroller's polling and the
// manual HPD and DDC select lines, the I2C clock, and the firmware version.
#pragma once

#include "core/link/boardframes.h"

#include <optional>

class BoardLink;

struct BoardSignals {
    bool led = false;
    bool pollDisabled = false;
    SignalSwitches switches{}; // HPx_off D, C, B, A, then DDCSEL1, DDCSEL0
    bool operator==(const BoardSignals&) const = default;
};

// The board-signals command built from `signals`; no answer is read.
bool sendBoardSignals(BoardLink& link, const BoardSignals& state);
// Whether the board's LED is on, or nothing when the board did not answer.
std::optional<bool> readLedState(BoardLink& link);
// The I2C clock list the board's base clock and divider in use give.
std::optional<ClockList> readClockList(BoardLink& link);
bool setClockDivider(BoardLink& link, std::uint8_t divider);
std::optional<FirmwareVersion> readFirmwareVersion(BoardLink& link);
