#include "windows/registergrid.h"

#include "core/operations/session.h"
#include "core/platform/prompt.h"
#include "windows/controlarrays.h"
#include "windows/hexkeys.h"

#include <QLabel>
#include <QLineEdit>

RegisterGrid::RegisterGrid(QWidget* window, Session& session)
    : QObject(window), session_(session),
      cells_(controlArray<QLineEdit, kCells>(window, "txtRegVal")),
      labels_(controlArray<QLabel, kLabels>(window, "lblRegAdd")) {
    for (int reg = 0; reg < kCells; ++reg) {
        const auto r = static_cast<std::uint8_t>(reg);
        QLineEdit* cell = cells_[reg];
        // Cells 0x0D to 0x0F exist in the grid but no register lies there.
        if (reg >= 0x0D && reg <= 0x0F)
            cell->hide();
        new HexKeyFilter(cell,
                         [this, r](int key, int modifiers) { keyReleased(r, key, modifiers); });
        connect(cell, &QLineEdit::textChanged, this, [this, r](const QString& text) {
            if (!showing_)
                session_.registers().setTyped(r, text);
        });
    }
    connect(&session_.registers(), &RegisterModel::changed, this, &RegisterGrid::show);
}

void RegisterGrid::show(std::uint8_t reg) {
    if (reg >= kCells)
        return;
    const QString text = session_.registers().text(reg);
    // Setting the same text again would only lose the user's selection.
    if (cells_[reg]->text() == text)
        return;
    showing_ = true;
    cells_[reg]->setText(text);
    showing_ = false;
}

void RegisterGrid::keyReleased(std::uint8_t reg, int key, int modifiers) {
    const CellWrite write = releaseKeyInCell(session_.chip(), reg, key, modifiers);
    if (write.outcome == CellWrite::Outcome::NotAByte)
        session_.prompt().beep(); // pasted text that is no byte: left to the user
    if (write.outcome != CellWrite::Outcome::Skipped)
        emit cellEdited(reg, write);
}
