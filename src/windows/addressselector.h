// The chip's I2C address: seven check boxes, one per address bit, the 8-bit
// address byte shown beside them, and the bus scan that finds the chip.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

class BoardLink;
class Clock;
class Dialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;

struct AddressWidgets {
    std::array<QCheckBox*, 7> chkADDRbit; // index = address bit
    QLineEdit* txtI2Caddress;
    QPushButton* cmdScanI2Caddress;
};

inline const QString kAddressNotFoundText =
    QStringLiteral("QDM7720A I2C address not found. Close GUI?");

class AddressSelector : public QObject {
    Q_OBJECT
public:
    // `deviceAddress` is the address byte every register operation uses;
    // `unloadMainWindow` ends the program (Yes after a scan that found nothing).
    AddressSelector(BoardLink& link, Clock& clock, Dialogs& dialogs, std::uint8_t& deviceAddress,
                    const AddressWidgets& widgets, std::function<void()> unloadMainWindow,
                    QObject* parent = nullptr);

    void chkADDRbit_Click(int index);
    // The address byte from the check boxes: bit i of the 7-bit address is bit
    // i + 1 of the byte.
    void buildI2Caddress();
    // Probes every address for a chip whose register 0x00 reads 0x31.
    void cmdScanI2Caddress_Click();

private:
    void showProbedAddress(std::uint8_t address);

    BoardLink& link_;
    Clock& clock_;
    Dialogs& dialogs_;
    std::uint8_t& deviceAddress_;
    AddressWidgets w_;
    std::function<void()> unloadMainWindow_;
};
