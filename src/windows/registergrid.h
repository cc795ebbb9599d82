// The register grid: one text cell per register, indexed by register address,
// and the labels that name the registers. The cell text is the only place a
// register value lives on the host.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QWidget;

// The fourteen registers of the main set, in address order.
inline constexpr std::array<std::uint8_t, 14> kMainRegisters = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x10};
bool isMainRegister(int address);

class RegisterGrid {
public:
    static constexpr int kCells = 23;  // txtRegVal 0..22, index = register address
    static constexpr int kLabels = 19; // lblRegAdd 0..18

    // Looks the cells and labels up in the window by their names.
    explicit RegisterGrid(const QWidget* window);

    QString text(int address) const;
    void setText(int address, const QString& text);
    // The caption of label `index` (for the main set, index = address).
    QString caption(int index) const;

    QLineEdit* cell(int address) const { return txtRegVal[address]; }
    QLabel* label(int index) const { return lblRegAdd[index]; }

    std::array<QLineEdit*, kCells> txtRegVal;
    std::array<QLabel*, kLabels> lblRegAdd;
};
