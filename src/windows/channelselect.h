// The "Channel Select" options: the byte each option writes to register 0x02,
// and the option that shows the chip's state when a board is selected.
#pragma once

#include "controls/chipaccess.h"

#include <QObject>
#include <array>
#include <cstdint>

class QRadioButton;

inline constexpr std::uint8_t kChannelSelectRegister = 0x02;
inline constexpr int kChannelOptions = 6;
inline constexpr int kHardwareSelectOption = 5;
inline constexpr int kAutoSelectOption = 4;

// The whole register value option `index` writes: channels A to D and
// auto-select write their index, "Hardware Select" writes 0x08.
std::uint8_t channelOptionByte(int index);

// The option that shows register value `value`: hardware selection (bit 3)
// first, then automatic selection (bit 2), else the channel of bits 1:0,
// whatever the power-down and reset bits above them hold.
int channelOptionFor(std::uint8_t value);

class ChannelSelect : public QObject {
    Q_OBJECT
public:
    ChannelSelect(const ChipAccess& chip, const std::array<QRadioButton*, kChannelOptions>& options,
                  QObject* parent = nullptr);

    // The user chose option `Index`: write its byte and show the read-back.
    void obChannelSelect_Click(int Index);
    // Marks the option that matches the chip's register 0x02; writes nothing.
    void obChannelSelect_init();

private:
    ChipAccess chip_;
    std::array<QRadioButton*, kChannelOptions> obChannelSelect_;
};
