// Read All: the fourteen registers of the main set into the grid, in two
// bursts (0x00..0x0C, then 0x10) or one register at a time.
#pragma once

#include <QObject>
#include <cstdint>

class BoardLink;
class QCheckBox;
class RegisterGrid;

class ReadAll : public QObject {
    Q_OBJECT
public:
    ReadAll(BoardLink& link, RegisterGrid& grid, QCheckBox* chkBurstRead,
            const std::uint8_t& deviceAddress, QObject* parent = nullptr);

    void cmdReadAllRegisters_Click();
    // Reads registers first..last into their cells. `status` is 1 when a read
    // was not acknowledged (the range stops there), else 0.
    void readRegsToGrid(std::uint8_t first, std::uint8_t last, std::int16_t& status);

private:
    BoardLink& link_;
    RegisterGrid& grid_;
    QCheckBox* chkBurstRead_;
    const std::uint8_t& deviceAddress_;
};
