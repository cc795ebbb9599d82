#include "registers/registergrid.h"

#include "app/controlarrays.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>

bool isMainRegister(int address) {
    return std::find(kMainRegisters.begin(), kMainRegisters.end(), address) != kMainRegisters.end();
}

RegisterGrid::RegisterGrid(const QWidget* window)
    : txtRegVal(controlArray<QLineEdit, kCells>(window, "txtRegVal")),
      lblRegAdd(controlArray<QLabel, kLabels>(window, "lblRegAdd")) {}

QString RegisterGrid::text(int address) const {
    return txtRegVal[address]->text();
}

void RegisterGrid::setText(int address, const QString& text) {
    // Setting the same text again would only lose the user's selection.
    if (txtRegVal[address]->text() != text)
        txtRegVal[address]->setText(text);
}

QString RegisterGrid::caption(int index) const {
    return lblRegAdd[index]->text();
}
