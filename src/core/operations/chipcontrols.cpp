#include "core/operations/chipcontrols.h"

#include <QThread>
#include <array>

namespace {
constexpr std::uint8_t kHardwareSelectBit = 0x08;
constexpr std::uint8_t kAutoSelectBit = 0x04;
constexpr std::uint8_t kChannelBits = 0x03;

constexpr std::uint8_t kInputControlRegister = 0x03;
// How long a pulse is held high; the chip needs at least 1 ms.
constexpr float kRecalibratePulseSeconds = 0.1f;
constexpr int kRecalibratePulseLeastMs = 2;

constexpr float kMultiWritePauseSeconds = 0.2f;

const char* const kChannelNames[kChannelOptions] = {"A", "B", "C", "D", "auto", "hardware"};
} // namespace

QString channelOptionName(int option) {
    return option >= 0 && option < kChannelOptions ? QLatin1String(kChannelNames[option])
                                                   : QString();
}

std::optional<int> channelOptionNamed(QStringView name) {
    for (int option = 0; option < kChannelOptions; ++option) {
        if (name.compare(QLatin1String(kChannelNames[option]), Qt::CaseInsensitive) == 0)
            return option;
    }
    return std::nullopt;
}

void Chip::hold(float seconds, int leastMs) const {
    if (pauses)
        pause(seconds);
    else
        QThread::msleep(static_cast<unsigned long>(leastMs));
}

std::uint8_t channelOptionByte(int option) {
    return option == kHardwareSelectOption ? kHardwareSelectBit : static_cast<std::uint8_t>(option);
}

int channelOptionFor(std::uint8_t value) {
    if (value & kHardwareSelectBit)
        return kHardwareSelectOption;
    if (value & kAutoSelectBit)
        return kAutoSelectOption;
    return value & kChannelBits;
}

ChannelWrite selectChannel(const Chip& chip, int option) {
    chip.link.flushInput();
    ChannelWrite result;
    result.value = channelOptionByte(option);
    const std::uint8_t data[1] = {result.value};
    result.failure = chip.link.writeRegisters(chip.address.byte(), kChannelSelectRegister, data);
    if (!result.failure.ok())
        return result;
    result.written = true;
    const LinkResult readBack =
        chip.link.readRegistersOnce(chip.address.byte(), kChannelSelectRegister, 1);
    if (readBack.ok()) {
        result.readBack = readBack.bytes[0];
        chip.registers.setRead(kChannelSelectRegister, readBack.bytes[0]);
    } else {
        result.failure = readBack;
    }
    return result;
}

std::optional<int> readChannelOption(const Chip& chip) {
    chip.link.flushInput();
    const LinkResult read = chip.link.readRegisters(chip.address.byte(), kChannelSelectRegister, 1);
    if (!read.ok())
        return std::nullopt;
    return channelOptionFor(read.bytes[0]);
}

Recalibration pulseField(const Chip& chip, const RegisterField& field, std::uint8_t value) {
    Recalibration result;
    result.done = true;
    std::uint8_t data[1] = {encodeField(field, 1, value)};
    result.high = chip.link.writeRegistersOnce(chip.address.byte(), field.reg, data);

    chip.hold(kRecalibratePulseSeconds, kRecalibratePulseLeastMs);

    data[0] = encodeField(field, 0, value);
    result.value = data[0];
    result.low = chip.link.writeRegistersOnce(chip.address.byte(), field.reg, data);
    result.failure = result.high.ok() ? result.low : result.high;
    return result;
}

Recalibration recalibrateTermination(const Chip& chip) {
    chip.link.flushInput();
    const LinkResult read = chip.link.readRegisters(chip.address.byte(), kInputControlRegister, 1);
    if (!read.ok()) {
        Recalibration result;
        result.failure = read;
        return result;
    }
    return pulseField(chip, *findField(kInputControlRegister, u"Recalibrate"), read.bytes[0]);
}

MultiWrite runMultiWriteTest(const Chip& chip) {
    chip.link.flushInput();
    MultiWrite result;
    std::array<std::uint8_t, kMultiWriteCount> written;
    written.fill(kMultiWriteValue);
    result.failure =
        chip.link.writeRegisters(chip.address.byte(), kMultiWriteFirstRegister, written);
    if (!result.failure.ok())
        return result;
    result.written = true;

    chip.pause(kMultiWritePauseSeconds);

    const LinkResult readBack = chip.link.readRegistersOnce(
        chip.address.byte(), kMultiWriteFirstRegister, kMultiWriteCount);
    result.readBack = readBack.ok();
    for (int i = 0; i < kMultiWriteCount; ++i) {
        const auto reg = static_cast<std::uint8_t>(kMultiWriteFirstRegister + i);
        // The read buffer starts at zero on every run: a failed read-back
        // shows "00 00 00", which no passing test shows.
        if (readBack.ok())
            chip.registers.setRead(reg, readBack.bytes[i]);
        else
            chip.registers.setReadFailed(reg);
    }
    if (!readBack.ok())
        result.failure = readBack;
    return result;
}
