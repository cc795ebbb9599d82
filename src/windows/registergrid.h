// The register grid: one cell per register, indexed by register address,
// showing the register model. A cell's text goes to the model as it is
// typed; every key release in a cell writes the register. A cell's
// background marks where its value came from, and its tooltip decodes it.
#pragma once

#include "core/operations/celledit.h"

#include <QObject>
#include <QPalette>
#include <array>

class QLabel;
class QLineEdit;
class QWidget;
class Session;

// Where a register's value came from, in words: "read from the chip", ...
QString originWords(RegisterModel::Origin origin);

class RegisterGrid : public QObject {
    Q_OBJECT
public:
    static constexpr int kCells = 23;  // txtRegVal 0..22, index = register address
    static constexpr int kLabels = 19; // lblRegAdd 0..18

    // Looks the cells and labels up in `window` by their names.
    RegisterGrid(QWidget* window, Session& session);

    QLineEdit* cell(int reg) const { return cells_[reg]; }
    QLabel* label(int index) const { return labels_[index]; }

signals:
    // A key release in a cell went on to write, or was refused.
    void cellEdited(std::uint8_t reg, const CellWrite& write);
    // A cell took the focus, or a register's label was clicked.
    void registerSelected(std::uint8_t reg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(std::uint8_t reg);
    // The cell's background and font for where its value came from, and its
    // tooltip: what the register holds, decoded, and the marks' legend.
    void mark(std::uint8_t reg);
    void keyReleased(std::uint8_t reg, int key, int modifiers);

    Session& session_;
    std::array<QLineEdit*, kCells> cells_;
    std::array<QLabel*, kLabels> labels_;
    std::array<QString, kCells> toolTips_;  // as designed
    std::array<QPalette, kCells> palettes_; // as designed, without a mark
    bool showing_ = false;
};
