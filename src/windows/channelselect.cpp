#include "controls/channelselect.h"

#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "registers/registergrid.h"

#include <QRadioButton>

namespace {
constexpr std::uint8_t kHardwareSelectBit = 0x08;
constexpr std::uint8_t kAutoSelectBit = 0x04;
constexpr std::uint8_t kChannelBits = 0x03;
} // namespace

std::uint8_t channelOptionByte(int index) {
    if (index == kHardwareSelectOption)
        return kHardwareSelectBit;
    return static_cast<std::uint8_t>(index);
}

int channelOptionFor(std::uint8_t value) {
    if (value & kHardwareSelectBit)
        return kHardwareSelectOption;
    if (value & kAutoSelectBit)
        return kAutoSelectOption;
    return value & kChannelBits;
}

ChannelSelect::ChannelSelect(const ChipAccess& chip,
                             const std::array<QRadioButton*, kChannelOptions>& options,
                             QObject* parent)
    : QObject(parent), chip_(chip), obChannelSelect_(options) {
    // Only a user's choice (a click, or the arrow keys within the group)
    // raises `clicked`; marking an option from code does not.
    for (int i = 0; i < kChannelOptions; ++i)
        connect(obChannelSelect_[i], &QRadioButton::clicked, this,
                [this, i] { obChannelSelect_Click(i); });
}

void ChannelSelect::obChannelSelect_Click(int Index) {
    chip_.link.flushInput();
    std::uint8_t data[1] = {channelOptionByte(Index)};
    if (chip_.link.writeRegisters(chip_.deviceAddress, kChannelSelectRegister, 1, data, false) ==
        LINK_DEVICE_ERROR)
        return;
    // A Retry inside the write reconnected, and the reconnection marked the
    // option of the chip's old value; the chip now holds the user's choice.
    obChannelSelect_[Index]->setChecked(true);
    // A failed read-back leaves the written byte in the buffer, and so in the cell.
    chip_.link.readRegistersOnce(chip_.deviceAddress, kChannelSelectRegister, 1, data);
    chip_.grid.setText(kChannelSelectRegister, hexByte(data[0]));
}

void ChannelSelect::obChannelSelect_init() {
    chip_.link.flushInput();
    std::uint8_t data[1] = {0};
    if (chip_.link.readRegisters(chip_.deviceAddress, kChannelSelectRegister, 1, data, false) ==
        LINK_DEVICE_ERROR)
        return;
    obChannelSelect_[channelOptionFor(data[0])]->setChecked(true);
}
