// Runs a program to its end and prints one line,
//     exited <exit status> <ns from spawn to exit> <peak resident KiB> <own peak KiB>
// with its standard input and output on /dev/null.
//
// The peak is the child's ru_maxrss. Linux counts in it the peak of the
// memory the child ran in before its exec, which after a posix_spawn (or a
// fork) is its parent's: measured straight from the benchmark program, every
// child would seem as large as the benchmark program. This probe is small and
// uses no Qt, so the peak it reports is the child's own as long as it exceeds
// the probe's own peak, given last for the check.
#include "monotonic.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

long ownPeakKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            value = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qdm7720a-runprobe PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const long ownKiB = ownPeakKiB();
    const long long startNs = monotonicNs();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[1], &actions, nullptr, argv + 1, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "qdm7720a-runprobe: %s: %s\n", argv[1], std::strerror(spawned));
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    const long long endNs = monotonicNs();
    std::printf("exited %d %lld %ld %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                endNs - startNs, usage.ru_maxrss, ownKiB);
    return 0;
}
