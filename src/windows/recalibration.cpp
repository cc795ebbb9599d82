#include "controls/recalibration.h"

#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "board/waitseconds.h"
#include "registers/registergrid.h"

#include <QPushButton>

TerminationRecal::TerminationRecal(const ChipAccess& chip, QPushButton* cmdReCal, QObject* parent)
    : QObject(parent), chip_(chip) {
    connect(cmdReCal, &QPushButton::clicked, this, &TerminationRecal::cmdReCal_Click);
}

void TerminationRecal::cmdReCal_Click() {
    chip_.link.flushInput();
    std::uint8_t data[1] = {0};
    if (chip_.link.readRegisters(chip_.deviceAddress, kInputControlRegister, 1, data, false) ==
        LINK_DEVICE_ERROR)
        return;

    // The two writes are single attempts whose status is not looked at: the
    // pulse ends with the low write whatever became of the high one.
    data[0] |= kRecalibrateBit;
    chip_.grid.setText(kInputControlRegister, hexByte(data[0]));
    chip_.link.writeRegistersOnce(chip_.deviceAddress, kInputControlRegister, 1, data);

    waitSeconds(chip_.clock, kRecalibratePulseSeconds);

    data[0] &= static_cast<std::uint8_t>(~kRecalibrateBit);
    chip_.grid.setText(kInputControlRegister, hexByte(data[0]));
    chip_.link.writeRegistersOnce(chip_.deviceAddress, kInputControlRegister, 1, data);
}
