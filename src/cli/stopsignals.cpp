#include "cli/stopsignals.h"

#include <csignal>
#include <pthread.h>

void StopSignals::hold() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals)
        sigaddset(&set, signal);
    held_ = pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

int StopSignals::pending() const {
    sigset_t set;
    if (!held_ || sigpending(&set) != 0)
        return 0;
    for (const int signal : kStopSignals) {
        if (sigismember(&set, signal) == 1)
            return signal;
    }
    return 0;
}
