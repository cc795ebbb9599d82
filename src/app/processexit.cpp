#include "app/processexit.h"

#include <cstdio>
#include <cstdlib>

void SystemProcessExit::endProcess(int code) {
    // No further event of any window may run: leave without unwinding the
    // event loops, after the board handles were closed by the caller.
    std::fflush(nullptr);
    std::_Exit(code);
}
