// The stop signals as an event of the window program: blocked for every
// thread from the start and read from a signal descriptor when the event
// loop comes to it, so that the program ends as Quit ends it, between two
// handlers, never in the middle of an exchange with the board.
#pragma once

#include <QObject>

class QSocketNotifier;

class StopSignalNotifier : public QObject {
    Q_OBJECT
public:
    // Blocks the stop signals in the calling thread and every thread it
    // starts later: call it first thing in main.
    static void blockStopSignals();

    explicit StopSignalNotifier(QObject* parent = nullptr);
    ~StopSignalNotifier() override;

signals:
    void received(int signal);

private:
    void readSignal();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
