// The board's own commands (board signals, I2C clock, firmware version): the
// reports the host sends and what it reads from the answers.
#pragma once

#include "core/hid/report.h"

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// The six HPx_off / DDCSELx boxes in index order: D, C, B, A, DDCSEL1, DDCSEL0.
using SignalSwitches = std::array<bool, 6>;

// Bit 0 LED, bit 1 polling disabled.
std::uint8_t signalsControlByte(bool ledOn, bool pollDisabled);
// Bits 0..3 HPx_off of D, C, B, A; bit 6 DDCSEL1; bit 7 DDCSEL0.
std::uint8_t signalsSwitchByte(const SignalSwitches& switches);

// Set command: bytes 0..4 only; the rest of the buffer is left as it is.
void buildSignalsSet(Report& report, std::uint8_t controlByte, std::uint8_t switchByte);
// Queries and the clock set, on a cleared buffer.
void buildSignalsQuery(Report& report);
void buildClockQuery(Report& report);
void buildClockSet(Report& report, std::uint8_t divider);
void buildFirmwareQuery(Report& report);

// Answer of the signals query: LED on when bit 6 of byte 2 is set.
bool ledOnInAnswer(const Report& answer);

// The I2C clock list built from the clock query's answer: one item per
// divider from the lowest frequency of at least 100 kHz up to the base clock.
struct ClockItem {
    int kHz;
    std::uint8_t divider;
};
struct ClockList {
    std::vector<ClockItem> items;
    int selected = -1; // index of the divider in use, -1 when it is not listed
};
ClockList clockListFromAnswer(const Report& answer);

// The firmware query's answer: version in byte 2 (major in the high nibble),
// year in bytes 3 and 4 (high byte first), month and day in bytes 5 and 6.
struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    int year = 0;
    int month = 0;
    int day = 0;
};
FirmwareVersion firmwareVersionFromAnswer(const Report& answer);

// "Firmware Version 1.2 - 2007/March/5", with the month named in `locale`'s
// language (a month the board should never send is shown as its number).
QString firmwareVersionText(const FirmwareVersion& version, const QLocale& locale);
