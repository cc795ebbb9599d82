// The board's controls on the window: the instance list and "Reconnect",
// the LED, the poll switch with the manual HPD and DDC frame it enables, and
// the I2C clock list.
#pragma once

#include "core/operations/boardcontrols.h"

#include <QObject>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QWidget;
class Session;

class BoardPanel : public QObject {
    Q_OBJECT
public:
    BoardPanel(QWidget* window, Session& session);

    // Enables or disables a frame and everything in it, nested frames included.
    static void setFrameEnabled(QGroupBox* frame, bool enabled);

signals:
    // `sent` is false when the board did not take the command.
    void signalsSent(const BoardSignals& state, bool sent);
    void clockSelected(int kHz, bool sent);

private:
    void showBoards();
    void showSignals();
    void showClockList();
    void sendSignals();
    void selectClock(int index);

    Session& session_;
    QComboBox* cboEVBinstance_;
    QCheckBox* chkLED_;
    QCheckBox* chkDisablePoll_;
    QGroupBox* fraManualHPD_DDC_;
    std::array<QCheckBox*, 6> chkHPDoff_;
    QComboBox* cboSMBusFrequency_;
};
