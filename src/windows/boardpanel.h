// The controls of the board's own commands: the LED, the poll switch and the
// manual HPD/DDC boxes, the I2C clock list, and the firmware-version query.
#pragma once

#include "board/report.h"

#include <QObject>
#include <array>

class BoardLink;
class Dialogs;
class QCheckBox;
class QComboBox;
class QGroupBox;

struct BoardWidgets {
    QCheckBox* chkLED;
    QCheckBox* chkDisablePoll;
    QGroupBox* fraManualHPD_DDC; // the outer frame, index 0
    std::array<QCheckBox*, 6> chkHPDoff;
    QComboBox* cboSMBusFrequency;
};

class BoardPanel : public QObject {
    Q_OBJECT
public:
    BoardPanel(BoardLink& link, Dialogs& dialogs, const BoardWidgets& widgets,
               QObject* parent = nullptr);

    // Sends the board-signals set command built from the check boxes.
    void chkHPDoff_Click(int index);
    void chkLED_Click() { chkHPDoff_Click(0); }
    void chkDisablePoll_Click();
    // Enables or disables a frame and everything in it, nested frames included.
    static void setFrameEnabled(QGroupBox* frame, bool enabled);

    // Read-backs run at every board instance selection.
    void readLedState();
    void cboSMBusFrequency_init();
    void cboSMBusFrequency_Click();

    // The About window's "Firmware Version" button.
    void showFirmwareVersion();

private:
    bool queryBoard(void (*build)(Report&));

    BoardLink& link_;
    Dialogs& dialogs_;
    BoardWidgets w_;
};
