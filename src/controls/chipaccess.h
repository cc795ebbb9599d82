// What the chip controls work with: the link, the register grid that shows
// the values, the clock their pauses run on, and the device address byte
// (owned by the main window and read at the moment of each transfer).
#pragma once

#include <cstdint>

class BoardLink;
class Clock;
class RegisterGrid;

struct ChipAccess {
    BoardLink& link;
    RegisterGrid& grid;
    Clock& clock;
    const std::uint8_t& deviceAddress;
};
