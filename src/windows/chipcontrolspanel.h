// The chip controls on the window: the six "Channel Select" options,
// "Re-Cal Termination" and "MultiWriteTest".
#pragma once

#include "core/operations/chipcontrols.h"

#include <QObject>
#include <array>

class QRadioButton;
class QWidget;
class Session;

class ChipControlsPanel : public QObject {
    Q_OBJECT
public:
    ChipControlsPanel(QWidget* window, Session& session);

signals:
    void channelSelected(int option, const ChannelWrite& write);
    void recalibrated(const Recalibration& result);
    void multiWritten(const MultiWrite& result);

private:
    void select(int option);

    Session& session_;
    std::array<QRadioButton*, kChannelOptions> obChannelSelect_;
};
