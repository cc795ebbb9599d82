#include "windows/addresscontrols.h"

#include "core/registers/hextext.h"
#include "windows/controlarrays.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

AddressControls::AddressControls(QWidget* window, Session& session)
    : QObject(window), session_(session),
      chkADDRbit_(controlArray<QCheckBox, 7>(window, "chkADDRbit")),
      txtI2Caddress_(window->findChild<QLineEdit*>(QStringLiteral("txtI2Caddress"))) {
    for (QCheckBox* box : chkADDRbit_) {
        connect(box, &QCheckBox::toggled, this, [this] {
            std::array<bool, 7> bits{};
            for (int i = 0; i < 7; ++i)
                bits[i] = chkADDRbit_[i]->isChecked();
            session_.address().setByte(addressByteFromBits(bits));
        });
    }
    connect(&session_.address(), &DeviceAddress::changed, this, &AddressControls::show);
    connect(window->findChild<QPushButton*>(QStringLiteral("cmdScanI2Caddress")),
            &QPushButton::clicked, this, [this] { emit scanned(session_.scanForChip()); });
}

void AddressControls::show(std::uint8_t byte) {
    txtI2Caddress_->setText(hexByte(byte));
    for (int i = 0; i < 7; ++i) {
        const QSignalBlocker block(chkADDRbit_[i]);
        chkADDRbit_[i]->setChecked((byte >> (i + 1)) & 1);
    }
}
