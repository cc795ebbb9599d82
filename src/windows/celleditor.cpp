#include "registers/celleditor.h"

#include "app/dialogs.h"
#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "board/waitseconds.h"
#include "registers/hexkeys.h"
#include "registers/hextext.h"
#include "registers/registergrid.h"

#include <QLineEdit>

namespace {
constexpr float kTypingPauseSeconds = 0.5f;
constexpr float kReadBackPauseSeconds = 0.2f;
} // namespace

CellEditor::CellEditor(BoardLink& link, RegisterGrid& grid, Clock& clock, Dialogs& dialogs,
                       const std::uint8_t& deviceAddress, QObject* parent)
    : QObject(parent), link_(link), grid_(grid), clock_(clock), dialogs_(dialogs),
      deviceAddress_(deviceAddress) {
    for (int i = 0; i < RegisterGrid::kCells; ++i) {
        new HexKeyFilter(grid_.cell(i),
                         [this, i](int keyCode, int shift) { txtRegVal_KeyUp(i, keyCode, shift); });
    }
}

void CellEditor::txtRegVal_KeyUp(int index, int keyCode, int shift) {
    QLineEdit* cell = grid_.cell(index);
    // The read-only registers' cells are never written from here.
    if (!cell->isEnabled())
        return;
    link_.flushInput();
    if (!releaseWrites(shift))
        return;

    if (const std::optional<int> step = stepOfKey(keyCode)) {
        const std::optional<std::uint8_t> value = hexTextByte(cell->text());
        if (!value) {
            dialogs_.beep(); // a pasted text that is not a byte: left for the user to correct
            return;
        }
        grid_.setText(index, hexByte(addWrapped(*value, static_cast<std::int16_t>(*step))));
    } else {
        // Let a second digit typed meanwhile become part of the value.
        waitSeconds(clock_, kTypingPauseSeconds);
    }

    const std::optional<std::uint8_t> value = hexTextByte(cell->text());
    if (!value) {
        dialogs_.beep();
        return;
    }
    std::uint8_t buffer[1] = {*value};
    const auto reg = static_cast<std::uint8_t>(index);
    if (link_.writeRegisters(deviceAddress_, reg, 1, buffer, false) == LINK_DEVICE_ERROR)
        return;
    waitSeconds(clock_, kReadBackPauseSeconds);
    // A failed read-back leaves the buffer as written.
    link_.readRegistersOnce(deviceAddress_, reg, 1, buffer);
    grid_.setText(index, hexByte(buffer[0]));
}
