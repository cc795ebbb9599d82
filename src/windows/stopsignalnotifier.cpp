#include "windows/stopsignalnotifier.h"

#include "core/platform/stopsignal.h"

#include <QSocketNotifier>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t stopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void StopSignalNotifier::blockStopSignals() {
    const sigset_t set = stopSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
    const sigset_t set = stopSignalSet();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignalNotifier::readSignal);
}

StopSignalNotifier::~StopSignalNotifier() {
    if (fd_ >= 0)
        ::close(fd_);
}

void StopSignalNotifier::readSignal() {
    signalfd_siginfo info;
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit received(static_cast<int>(info.ssi_signo));
}
