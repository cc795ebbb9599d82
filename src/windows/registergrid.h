// The register grid: one cell per register, indexed by register address,
// showing the register model. A cell's text goes to the model as it is
// typed; every key release in a cell writes the register.
#pragma once

#include "core/operations/celledit.h"

#include <QObject>
#include <array>

class QLabel;
class QLineEdit;
class QWidget;
class Session;

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

private:
    void show(std::uint8_t reg);
    void keyReleased(std::uint8_t reg, int key, int modifiers);

    Session& session_;
    std::array<QLineEdit*, kCells> cells_;
    std::array<QLabel*, kLabels> labels_;
    bool showing_ = false;
};
