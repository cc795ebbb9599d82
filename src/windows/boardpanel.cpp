#include "board/boardpanel.h"

#include "app/dialogs.h"
#include "board/boardcommands.h"
#include "board/boardlink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSignalBlocker>

BoardPanel::BoardPanel(BoardLink& link, Dialogs& dialogs, const BoardWidgets& widgets,
                       QObject* parent)
    : QObject(parent), link_(link), dialogs_(dialogs), w_(widgets) {
    // A change of the LED box from code (the LED read-back) sends the set
    // command too, as a click does.
    connect(w_.chkLED, &QCheckBox::toggled, this, [this] { chkLED_Click(); });
    connect(w_.chkDisablePoll, &QCheckBox::toggled, this, [this] { chkDisablePoll_Click(); });
    for (int i = 0; i < static_cast<int>(w_.chkHPDoff.size()); ++i)
        connect(w_.chkHPDoff[i], &QCheckBox::toggled, this, [this, i] { chkHPDoff_Click(i); });
    connect(w_.cboSMBusFrequency, &QComboBox::activated, this,
            [this] { cboSMBusFrequency_Click(); });
}

void BoardPanel::chkHPDoff_Click(int /*index*/) {
    SignalSwitches switches{};
    for (std::size_t i = 0; i < switches.size(); ++i)
        switches[i] = w_.chkHPDoff[i]->isChecked();
    // Only bytes 0..4 are set: the rest goes out as the last exchange left it.
    buildSignalsSet(link_.report,
                    signalsControlByte(w_.chkLED->isChecked(), w_.chkDisablePoll->isChecked()),
                    signalsSwitchByte(switches));
    link_.checkGPstatus(link_.writeReport());
}

void BoardPanel::chkDisablePoll_Click() {
    setFrameEnabled(w_.fraManualHPD_DDC, w_.chkDisablePoll->isChecked());
    chkHPDoff_Click(0);
}

void BoardPanel::setFrameEnabled(QGroupBox* frame, bool enabled) {
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* inner = qobject_cast<QGroupBox*>(child))
            setFrameEnabled(inner, enabled);
        child->setEnabled(enabled);
    }
    frame->setEnabled(enabled);
}

// Drain, send a query built on a cleared buffer and read its answer. The
// answers of the board commands are not judged by their status byte.
bool BoardPanel::queryBoard(void (*build)(Report&)) {
    link_.flushInput();
    link_.fillReport(0);
    build(link_.report);
    if (link_.checkGPstatus(link_.writeReport()) != 8)
        return false;
    if (!link_.readReport()) {
        link_.checkGPstatus(false);
        return false;
    }
    return true;
}

void BoardPanel::readLedState() {
    if (!queryBoard(buildSignalsQuery))
        return;
    w_.chkLED->setChecked(ledOnInAnswer(link_.report));
}

void BoardPanel::cboSMBusFrequency_init() {
    if (!queryBoard(buildClockQuery))
        return;
    const ClockList list = clockListFromAnswer(link_.report);
    QComboBox* combo = w_.cboSMBusFrequency;
    {
        const QSignalBlocker block(combo);
        combo->clear();
        for (const ClockItem& item : list.items)
            combo->addItem(QString::number(item.kHz), item.divider);
        combo->setCurrentIndex(list.selected);
    }
    // Selecting the divider in use sends it back to the board.
    if (list.selected >= 0)
        cboSMBusFrequency_Click();
}

void BoardPanel::cboSMBusFrequency_Click() {
    const int index = w_.cboSMBusFrequency->currentIndex();
    if (index < 0)
        return;
    link_.fillReport(0);
    buildClockSet(link_.report,
                  static_cast<std::uint8_t>(w_.cboSMBusFrequency->itemData(index).toInt()));
    link_.checkGPstatus(link_.writeReport());
}

void BoardPanel::showFirmwareVersion() {
    if (!queryBoard(buildFirmwareQuery))
        return;
    dialogs_.message(firmwareVersionText(link_.report, QLocale()), Buttons::Ok);
}
