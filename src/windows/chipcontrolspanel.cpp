#include "windows/chipcontrolspanel.h"

#include "core/operations/session.h"
#include "windows/controlarrays.h"

#include <QPushButton>
#include <QRadioButton>

ChipControlsPanel::ChipControlsPanel(QWidget* window, Session& session)
    : QObject(window), session_(session),
      obChannelSelect_(controlArray<QRadioButton, kChannelOptions>(window, "obChannelSelect")) {
    // Only a user's choice (a click, or the arrow keys within the group)
    // raises `clicked`; marking an option from code does not.
    for (int i = 0; i < kChannelOptions; ++i)
        connect(obChannelSelect_[i], &QRadioButton::clicked, this, [this, i] { select(i); });
    connect(&session_, &Session::channelOptionRead, this,
            [this](int option) { obChannelSelect_[option]->setChecked(true); });
    connect(window->findChild<QPushButton*>(QStringLiteral("cmdReCal")), &QPushButton::clicked,
            this, [this] { emit recalibrated(recalibrateTermination(session_.chip())); });
    connect(window->findChild<QPushButton*>(QStringLiteral("cmdMultiWriteTest")),
            &QPushButton::clicked, this,
            [this] { emit multiWritten(runMultiWriteTest(session_.chip())); });
}

void ChipControlsPanel::select(int option) {
    const ChannelWrite write = selectChannel(session_.chip(), option);
    // A Retry inside the write reconnected, and the reconnection marked the
    // option of the chip's old value; the chip now holds the user's choice.
    if (write.written)
        obChannelSelect_[option]->setChecked(true);
    emit channelSelected(option, write);
}
