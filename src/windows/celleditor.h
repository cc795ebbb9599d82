// Editing a register in its grid cell: every key release in a cell writes the
// cell's value to the register and shows the value read back; the arrow and
// page keys step the value first.
#pragma once

#include <QObject>
#include <cstdint>

class BoardLink;
class Clock;
class Dialogs;
class RegisterGrid;

class CellEditor : public QObject {
    Q_OBJECT
public:
    CellEditor(BoardLink& link, RegisterGrid& grid, Clock& clock, Dialogs& dialogs,
               const std::uint8_t& deviceAddress, QObject* parent = nullptr);

    // `index` is the cell's register address; `keyCode` a Qt::Key; `shift`
    // the modifier state (1 Shift, 2 Ctrl, 4 Alt).
    void txtRegVal_KeyUp(int index, int keyCode, int shift);

private:
    BoardLink& link_;
    RegisterGrid& grid_;
    Clock& clock_;
    Dialogs& dialogs_;
    const std::uint8_t& deviceAddress_;
};
