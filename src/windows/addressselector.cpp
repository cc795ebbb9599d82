#include "registers/addressselector.h"

#include "app/dialogs.h"
#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "board/waitseconds.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr std::uint8_t kChipIdentity = 0x31; // register 0x00: device 3, revision 1
constexpr float kProbePauseSeconds = 0.1f;
} // namespace

AddressSelector::AddressSelector(BoardLink& link, Clock& clock, Dialogs& dialogs,
                                 std::uint8_t& deviceAddress, const AddressWidgets& widgets,
                                 std::function<void()> unloadMainWindow, QObject* parent)
    : QObject(parent), link_(link), clock_(clock), dialogs_(dialogs), deviceAddress_(deviceAddress),
      w_(widgets), unloadMainWindow_(std::move(unloadMainWindow)) {
    for (int i = 0; i < 7; ++i) {
        connect(w_.chkADDRbit[i], &QCheckBox::toggled, this, [this, i] { chkADDRbit_Click(i); });
    }
    connect(w_.cmdScanI2Caddress, &QPushButton::clicked, this,
            &AddressSelector::cmdScanI2Caddress_Click);
}

void AddressSelector::chkADDRbit_Click(int /*index*/) {
    buildI2Caddress();
}

void AddressSelector::buildI2Caddress() {
    int address = 0;
    for (int i = 0; i < 7; ++i) {
        if (w_.chkADDRbit[i]->isChecked())
            address += 1 << (i + 1);
    }
    deviceAddress_ = static_cast<std::uint8_t>(address);
    w_.txtI2Caddress->setText(hexByte(deviceAddress_));
}

void AddressSelector::showProbedAddress(std::uint8_t address) {
    w_.txtI2Caddress->setText(hexByte(address));
    for (int i = 0; i < 7; ++i)
        w_.chkADDRbit[i]->setChecked((address >> (i + 1)) & 1);
    // The boxes' own handling recomputed the byte along the way; it ends the same.
    deviceAddress_ = address;
}

void AddressSelector::cmdScanI2Caddress_Click() {
    link_.flushInput();
    std::uint8_t buffer[1] = {0};
    for (int a = 0x00; a <= 0xFE; a += 2) {
        const auto address = static_cast<std::uint8_t>(a);
        const LinkStatus status = link_.readRegisters(address, 0x00, 1, buffer, true);
        waitSeconds(clock_, kProbePauseSeconds);
        if (link_.isShutDown())
            return;
        showProbedAddress(address);
        if (status == LINK_OK && buffer[0] == kChipIdentity)
            return;
    }
    link_.dialogAnswer = dialogs_.message(kAddressNotFoundText, Buttons::YesNo);
    if (link_.dialogAnswer == Answer::Yes)
        unloadMainWindow_();
}
