#include "core/platform/processend.h"

#include <cstdio>
#include <cstdlib>

void SystemProcessEnd::endProcess(int code) {
    // No further event of any window may run: leave without unwinding the
    // event loops, after the caller closed the board handles.
    std::fflush(nullptr);
    std::_Exit(code);
}
