// Notices the first paint of a window, reports it on standard output with
// the time and the peak resident memory so far, and ends the event loop
// unless told to stay.
#pragma once

#include <QObject>

class QWidget;

class FirstPaint : public QObject {
    Q_OBJECT
public:
    FirstPaint(QWidget* window, bool stay);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report();

    QWidget* window_;
    bool stay_;
    bool seen_ = false;
};

// Peak resident memory of this process so far (VmHWM), in KiB.
long peakResidentKiB();
