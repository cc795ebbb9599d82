// "Re-Cal Termination": a pulse on the Recalibrate bit (bit 7) of register
// 0x03 that keeps the register's other bits as the chip holds them.
#pragma once

#include "controls/chipaccess.h"

#include <QObject>

class QPushButton;

inline constexpr std::uint8_t kInputControlRegister = 0x03;
inline constexpr std::uint8_t kRecalibrateBit = 0x80;
// How long the bit is held high; the chip needs at least 1 ms.
inline constexpr float kRecalibratePulseSeconds = 0.1f;

class TerminationRecal : public QObject {
    Q_OBJECT
public:
    TerminationRecal(const ChipAccess& chip, QPushButton* cmdReCal, QObject* parent = nullptr);

    // Reads the register, writes it with bit 7 set, waits with the window
    // live, writes it with bit 7 clear; the grid shows each value written.
    void cmdReCal_Click();

private:
    ChipAccess chip_;
};
