#include "controls/multiwritetest.h"

#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "board/waitseconds.h"
#include "registers/registergrid.h"

#include <QPushButton>
#include <array>

MultiWriteTest::MultiWriteTest(const ChipAccess& chip, QPushButton* cmdMultiWriteTest,
                               QObject* parent)
    : QObject(parent), chip_(chip) {
    connect(cmdMultiWriteTest, &QPushButton::clicked, this,
            &MultiWriteTest::cmdMultiWriteTest_Click);
}

void MultiWriteTest::cmdMultiWriteTest_Click() {
    chip_.link.flushInput();
    std::array<std::uint8_t, kMultiWriteCount> written;
    written.fill(kMultiWriteValue);
    if (chip_.link.writeRegisters(chip_.deviceAddress, kMultiWriteFirstRegister, kMultiWriteCount,
                                  written, false) == LINK_DEVICE_ERROR)
        return;

    waitSeconds(chip_.clock, kMultiWritePauseSeconds);

    // A failed read-back leaves the bytes written (and acknowledged) in the
    // buffer, as the other read-backs do, rather than zeros no register held.
    std::array<std::uint8_t, kMultiWriteCount> readBack = written;
    chip_.link.readRegistersOnce(chip_.deviceAddress, kMultiWriteFirstRegister, kMultiWriteCount,
                                 readBack);
    for (int i = 0; i < kMultiWriteCount; ++i)
        chip_.grid.setText(kMultiWriteFirstRegister + i, hexByte(readBack[i]));
}
