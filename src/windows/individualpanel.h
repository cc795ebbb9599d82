// The individual register read/write panel: reads one register of the main
// set, and writes it with a two-value toggle followed by a read-back shown in
// the panel and in the grid.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>

class BoardLink;
class Dialogs;
class QLineEdit;
class QPushButton;
class RegisterGrid;

struct IndividualWidgets {
    QLineEdit* txtRegister;
    QLineEdit* txtReadIndividual;
    std::array<QLineEdit*, 2> txtWriteIndividual;
    QPushButton* cmdReadIndividual;
    std::array<QPushButton*, 2> cmdWriteIndividual;
};

class IndividualPanel : public QObject {
    Q_OBJECT
public:
    IndividualPanel(BoardLink& link, RegisterGrid& grid, Dialogs& dialogs,
                    const std::uint8_t& deviceAddress, const IndividualWidgets& widgets,
                    QObject* parent = nullptr);

    void cmdReadIndividual_Click();
    // The toggle write of button `index` (0 or 1).
    void cmdWriteIndividual_Click(int index);
    // Reads the register named in txtRegister; `status` is 1 when the read was
    // not acknowledged, else 0.
    void readIndividual(std::int16_t& status);

private:
    BoardLink& link_;
    RegisterGrid& grid_;
    Dialogs& dialogs_;
    const std::uint8_t& deviceAddress_;
    IndividualWidgets w_;
};
