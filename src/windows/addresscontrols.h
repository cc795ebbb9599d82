// The chip's I2C address on the window: seven check boxes, one per address
// bit, the address byte beside them, and "Scan Address".
#pragma once

#include "core/operations/session.h"

#include <QObject>
#include <array>

class QCheckBox;
class QLineEdit;
class QWidget;

class AddressControls : public QObject {
    Q_OBJECT
public:
    AddressControls(QWidget* window, Session& session);

signals:
    void scanned(const ScanResult& result);

private:
    void show(std::uint8_t byte);

    Session& session_;
    std::array<QCheckBox*, 7> chkADDRbit_; // index = address bit
    QLineEdit* txtI2Caddress_;
};
