#include "core/link/boardframes.h"

std::uint8_t signalsControlByte(bool ledOn, bool pollDisabled) {
    return static_cast<std::uint8_t>((pollDisabled ? 2 : 0) + (ledOn ? 1 : 0));
}

std::uint8_t signalsSwitchByte(const SignalSwitches& switches) {
    std::uint8_t b = 0;
    for (int i = 0; i < 4; ++i) {
        if (switches[i])
            b |= static_cast<std::uint8_t>(1 << i);
    }
    if (switches[4])
        b |= 0x40;
    if (switches[5])
        b |= 0x80;
    return b;
}

void buildSignalsSet(Report& report, std::uint8_t controlByte, std::uint8_t switchByte) {
    report[0] = 0;
    report[1] = CMD_BOARD_SIGNALS;
    report[2] = 0;
    report[3] = controlByte;
    report[4] = switchByte;
}

void buildSignalsQuery(Report& report) {
    report[0] = 0;
    report[1] = CMD_BOARD_SIGNALS;
    report[2] = 1;
}

void buildClockQuery(Report& report) {
    report[0] = 0;
    report[1] = CMD_I2C_CLOCK;
    report[2] = 1;
}

void buildClockSet(Report& report, std::uint8_t divider) {
    report[0] = 0;
    report[1] = CMD_I2C_CLOCK;
    report[2] = 0;
    report[3] = divider;
}

void buildFirmwareQuery(Report& report) {
    report[0] = 0;
    report[1] = CMD_BOARD_INFO;
    report[2] = 1;
}

bool ledOnInAnswer(const Report& answer) {
    return (answer[2] & 0x40) != 0;
}

ClockList clockListFromAnswer(const Report& answer) {
    // The divider travels in one byte, so 256 is never offered; plain int
    // arithmetic keeps a base clock above 32 MHz from overflowing.
    const int baseKHz = answer[2] * 1000;
    const int current = answer[3];
    ClockList list;
    for (int d = 255; d >= 1; --d) {
        const int q = baseKHz / d;
        if (q > 99)
            list.items.push_back({q, static_cast<std::uint8_t>(d)});
        if (d == current && !list.items.empty())
            list.selected = static_cast<int>(list.items.size()) - 1;
    }
    return list;
}

FirmwareVersion firmwareVersionFromAnswer(const Report& answer) {
    return {answer[2] >> 4, answer[2] & 0x0F, (answer[3] << 8) | answer[4], answer[5], answer[6]};
}

QString firmwareVersionText(const FirmwareVersion& v, const QLocale& locale) {
    const QString monthText = (v.month >= 1 && v.month <= 12)
                                  ? locale.monthName(v.month, QLocale::LongFormat)
                                  : QString::number(v.month);
    return QStringLiteral("Firmware Version %1.%2 - %3/%4/%5")
        .arg(QString::number(v.major), QString::number(v.minor), QString::number(v.year), monthText,
             QString::number(v.day));
}
