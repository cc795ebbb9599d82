#include "registers/individualpanel.h"

#include "app/dialogs.h"
#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "registers/hexkeys.h"
#include "registers/hextext.h"
#include "registers/registergrid.h"

#include <QLineEdit>
#include <QPushButton>

IndividualPanel::IndividualPanel(BoardLink& link, RegisterGrid& grid, Dialogs& dialogs,
                                 const std::uint8_t& deviceAddress,
                                 const IndividualWidgets& widgets, QObject* parent)
    : QObject(parent), link_(link), grid_(grid), dialogs_(dialogs), deviceAddress_(deviceAddress),
      w_(widgets) {
    // Typing is filtered like the grid cells, but never writes.
    new HexKeyFilter(w_.txtRegister);
    for (QLineEdit* box : w_.txtWriteIndividual)
        new HexKeyFilter(box);
    connect(w_.cmdReadIndividual, &QPushButton::clicked, this,
            &IndividualPanel::cmdReadIndividual_Click);
    for (int i = 0; i < 2; ++i) {
        connect(w_.cmdWriteIndividual[i], &QPushButton::clicked, this,
                [this, i] { cmdWriteIndividual_Click(i); });
    }
}

void IndividualPanel::cmdReadIndividual_Click() {
    std::int16_t status = 0;
    readIndividual(status);
}

void IndividualPanel::readIndividual(std::int16_t& status) {
    link_.flushInput();
    const std::optional<std::uint8_t> number = hexTextByte(w_.txtRegister->text());
    if (!number) {
        dialogs_.beep(); // pasted text that names no register: left for the user to correct
        status = 1;
        return;
    }
    int r = *number;
    // Only the main set: anything else becomes 0x10.
    if (!isMainRegister(r)) {
        w_.txtRegister->setText(QStringLiteral("10"));
        r = 0x10;
    } else {
        w_.txtRegister->setText(hexByte(static_cast<std::uint8_t>(r)));
    }
    std::uint8_t buffer[1] = {0};
    if (link_.readRegisters(deviceAddress_, static_cast<std::uint8_t>(r), 1, buffer, false) ==
        LINK_DEVICE_ERROR) {
        status = 1;
        return;
    }
    w_.txtReadIndividual->setText(hexByte(buffer[0]));
    status = 0;
}

void IndividualPanel::cmdWriteIndividual_Click(int index) {
    // A pasted value that is not a byte is left for the user to correct.
    const std::optional<std::uint8_t> own = hexTextByte(w_.txtWriteIndividual[index]->text());
    const std::optional<std::uint8_t> other = hexTextByte(w_.txtWriteIndividual[1 - index]->text());
    if (!own || !other) {
        dialogs_.beep();
        return;
    }
    std::int16_t status = 0;
    readIndividual(status);
    if (status == 1)
        return;

    const std::uint8_t current = hexTextByte(w_.txtReadIndividual->text()).value_or(0);
    const std::uint8_t r = hexTextByte(w_.txtRegister->text()).value_or(0x10);
    std::uint8_t buffer[1] = {*own != current ? *own : *other};
    // Whether the chip took it shows in the read-back.
    link_.writeRegisters(deviceAddress_, r, 1, buffer, false);
    buffer[0] = current;
    link_.readRegistersOnce(deviceAddress_, r, 1, buffer);

    w_.txtWriteIndividual[index]->setText(hexByte(*own));
    w_.txtReadIndividual->setText(hexByte(buffer[0]));
    grid_.setText(r, w_.txtReadIndividual->text());
}
