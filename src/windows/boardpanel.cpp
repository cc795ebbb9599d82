#include "windows/boardpanel.h"

#include "core/operations/session.h"
#include "windows/controlarrays.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>

BoardPanel::BoardPanel(QWidget* window, Session& session)
    : QObject(window), session_(session),
      cboEVBinstance_(window->findChild<QComboBox*>(QStringLiteral("cboEVBinstance"))),
      chkLED_(window->findChild<QCheckBox*>(QStringLiteral("chkLED"))),
      chkDisablePoll_(window->findChild<QCheckBox*>(QStringLiteral("chkDisablePoll"))),
      fraManualHPD_DDC_(window->findChild<QGroupBox*>(QStringLiteral("fraManualHPD_DDC_0"))),
      chkHPDoff_(controlArray<QCheckBox, 6>(window, "chkHPDoff")),
      cboSMBusFrequency_(window->findChild<QComboBox*>(QStringLiteral("cboSMBusFrequency"))) {
    connect(cboEVBinstance_, &QComboBox::activated, &session_, &Session::selectBoard);
    connect(window->findChild<QPushButton*>(QStringLiteral("cmdReconnect")), &QPushButton::clicked,
            &session_, &Session::reconnect);
    connect(chkLED_, &QCheckBox::toggled, this, &BoardPanel::sendSignals);
    connect(chkDisablePoll_, &QCheckBox::toggled, this, [this](bool checked) {
        setFrameEnabled(fraManualHPD_DDC_, checked);
        sendSignals();
    });
    for (QCheckBox* box : chkHPDoff_)
        connect(box, &QCheckBox::toggled, this, &BoardPanel::sendSignals);
    connect(cboSMBusFrequency_, &QComboBox::activated, this, &BoardPanel::selectClock);

    connect(&session_, &Session::boardsChanged, this, &BoardPanel::showBoards);
    connect(&session_, &Session::boardSelected, this, [this](int instance) {
        const QSignalBlocker block(cboEVBinstance_);
        cboEVBinstance_->setCurrentIndex(instance);
    });
    connect(&session_, &Session::boardSignalsChanged, this, &BoardPanel::showSignals);
    connect(&session_, &Session::clockListChanged, this, &BoardPanel::showClockList);
}

void BoardPanel::setFrameEnabled(QGroupBox* frame, bool enabled) {
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* inner = qobject_cast<QGroupBox*>(child))
            setFrameEnabled(inner, enabled);
        child->setEnabled(enabled);
    }
    frame->setEnabled(enabled);
}

void BoardPanel::showBoards() {
    const QSignalBlocker block(cboEVBinstance_);
    cboEVBinstance_->clear();
    for (int i = 0; i < session_.link().boardCount(); ++i)
        cboEVBinstance_->addItem(QString::number(i), i);
}

void BoardPanel::showSignals() {
    const QSignalBlocker block(chkLED_);
    chkLED_->setChecked(session_.boardSignals().led);
}

void BoardPanel::showClockList() {
    const QSignalBlocker block(cboSMBusFrequency_);
    cboSMBusFrequency_->clear();
    for (const ClockItem& item : session_.clockList().items)
        cboSMBusFrequency_->addItem(QString::number(item.kHz), item.divider);
    cboSMBusFrequency_->setCurrentIndex(session_.clockList().selected);
}

// The frequency is taken before the divider goes out: a failure answered with
// Retry reconnects, and the list is then the new board's, rebuilt already.
void BoardPanel::selectClock(int index) {
    const std::vector<ClockItem>& items = session_.clockList().items;
    if (index < 0 || index >= static_cast<int>(items.size()))
        return;
    const int kHz = items[index].kHz;
    const bool sent = session_.selectClock(index);
    emit clockSelected(kHz, sent);
}

// Any box of the board signals sends them all, as the boxes show them.
void BoardPanel::sendSignals() {
    BoardSignals s;
    s.led = chkLED_->isChecked();
    s.pollDisabled = chkDisablePoll_->isChecked();
    for (std::size_t i = 0; i < s.switches.size(); ++i)
        s.switches[i] = chkHPDoff_[i]->isChecked();
    const bool sent = session_.setBoardSignals(s);
    emit signalsSent(s, sent);
}
