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

    // The read buffer starts at zero on every run: a read-back that fails
    // shows "00 00 00", which no passing test shows.
    std::array<std::uint8_t, kMultiWriteCount> readBack{};
    chip_.link.readRegistersOnce(chip_.deviceAddress, kMultiWriteFirstRegister, kMultiWriteCount,
                                 readBack);
    for (int i = 0; i < kMultiWriteCount; ++i)
        chip_.grid.setText(kMultiWriteFirstRegister + i, hexByte(readBack[i]));
}
