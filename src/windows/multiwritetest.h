// "MultiWriteTest" on the second test tab: one three-byte I2C write to
// registers 0x06 to 0x08, then one read of the three back into the grid.
#pragma once

#include "controls/chipaccess.h"

#include <QObject>

class QPushButton;

inline constexpr std::uint8_t kMultiWriteFirstRegister = 0x06;
inline constexpr std::uint8_t kMultiWriteCount = 3;
inline constexpr std::uint8_t kMultiWriteValue = 0x01;
inline constexpr float kMultiWritePauseSeconds = 0.2f;

class MultiWriteTest : public QObject {
    Q_OBJECT
public:
    MultiWriteTest(const ChipAccess& chip, QPushButton* cmdMultiWriteTest,
                   QObject* parent = nullptr);

    // Writes 0x01 to the three registers in one transfer, waits with the
    // window live and shows the three read back. A read-back that fails
    // shows zeros; a write the chip did not take changes nothing.
    void cmdMultiWriteTest_Click();

private:
    ChipAccess chip_;
};
