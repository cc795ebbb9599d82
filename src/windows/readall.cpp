#include "registers/readall.h"

#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "registers/registergrid.h"

#include <QCheckBox>
#include <vector>

ReadAll::ReadAll(BoardLink& link, RegisterGrid& grid, QCheckBox* chkBurstRead,
                 const std::uint8_t& deviceAddress, QObject* parent)
    : QObject(parent), link_(link), grid_(grid), chkBurstRead_(chkBurstRead),
      deviceAddress_(deviceAddress) {}

void ReadAll::cmdReadAllRegisters_Click() {
    link_.flushInput();
    std::int16_t status = 0;
    readRegsToGrid(0x00, 0x0C, status);
    if (status != 1)
        readRegsToGrid(0x10, 0x10, status);
}

void ReadAll::readRegsToGrid(std::uint8_t first, std::uint8_t last, std::int16_t& status) {
    if (chkBurstRead_->isChecked()) {
        const auto count = static_cast<std::uint8_t>(last - first + 1);
        std::vector<std::uint8_t> buffer(count);
        if (link_.readRegisters(deviceAddress_, first, count, buffer, false) == LINK_DEVICE_ERROR) {
            status = 1;
            return;
        }
        for (int r = first; r <= last; ++r)
            grid_.setText(r, hexByte(buffer[r - first]));
    } else {
        std::uint8_t buffer[1] = {0};
        for (int r = first; r <= last; ++r) {
            if (link_.readRegisters(deviceAddress_, static_cast<std::uint8_t>(r), 1, buffer,
                                    false) == LINK_DEVICE_ERROR) {
                status = 1;
                return;
            }
            grid_.setText(r, hexByte(buffer[0]));
        }
    }
    status = 0;
}
