// The board's own controls: the LED, the microcontroller's polling and the
// manual HPD and DDC select lines, the I2C clock, and the firmware version.
#pragma once

#include "core/link/boardframes.h"
#include "core/link/linkresult.h"

#include <optional>

class BoardLink;

// A board's answer to a query, or why there is none.
template <typename T> struct BoardAnswer {
    std::optional<T> value;
    LinkResult failure;
    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }
};

struct BoardSignals {
    bool led = false;
    bool pollDisabled = false;
    SignalSwitches switches{}; // HPx_off D, C, B, A, then DDCSEL1, DDCSEL0
    bool operator==(const BoardSignals&) const = default;
};

// The board-signals command built from `signals`; no answer is read.
LinkResult sendBoardSignals(BoardLink& link, const BoardSignals& state);
// Whether the board's LED is on.
BoardAnswer<bool> readLedState(BoardLink& link);
// The I2C clock as the board reports it: its base clock and the divider in use.
struct I2CClock {
    int baseMHz = 0;
    int divider = 0;
    int kHz() const { return divider ? baseMHz * 1000 / divider : 0; }
};
BoardAnswer<I2CClock> readI2CClock(BoardLink& link);
// The I2C clock list the board's base clock and divider in use give.
BoardAnswer<ClockList> readClockList(BoardLink& link);
LinkResult setClockDivider(BoardLink& link, std::uint8_t divider);
BoardAnswer<FirmwareVersion> readFirmwareVersion(BoardLink& link);
