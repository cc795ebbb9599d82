#include "probeprocess.h"
#include "monotonic.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

long long msLeft(long long deadlineNs) {
    return (deadlineNs - monotonicNs()) / 1'000'000;
}

// The number after `key` in a /proc status file, or -1.
long statusField(const std::string& path, const char* key) {
    std::FILE* status = std::fopen(path.c_str(), "r");
    if (!status)
        return -1;
    const std::size_t keyLength = std::strlen(key);
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, key, keyLength) == 0) {
            value = std::strtol(line + keyLength, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

} // namespace

ProbeProcess::ProbeProcess(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    startNs_ = monotonicNs();
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    out_ = pipeFds[0];
}

ProbeProcess::~ProbeProcess() {
    if (pid_ > 0)
        terminate();
    if (out_ >= 0)
        close(out_);
}

bool ProbeProcess::readLine(std::string& line, int timeoutMs) {
    const long long deadline = monotonicNs() + timeoutMs * 1'000'000LL;
    line.clear();
    while (pid_ > 0 && line.find('\n') == std::string::npos) {
        pollfd p{out_, POLLIN, 0};
        const long long left = msLeft(deadline);
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char buffer[256];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    return pid_ > 0;
}

bool ProbeProcess::waitForPaint(FirstPaintReport& report, int timeoutMs) {
    std::string line;
    if (!readLine(line, timeoutMs))
        return false;
    long long paintNs = 0;
    long peakKiB = 0;
    if (std::sscanf(line.c_str(), "painted %lld %ld %d %d", &paintNs, &peakKiB, &report.width,
                    &report.height) != 4)
        return false;
    report.startToPaintMs = (paintNs - startNs_) / 1e6;
    report.peakResidentMiB = peakKiB / 1024.0;
    return true;
}

long ProbeProcess::voluntarySwitches() const {
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    long total = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const long n =
            statusField(tasks + "/" + entry->d_name + "/status", "voluntary_ctxt_switches:");
        if (n > 0)
            total += n;
    }
    closedir(dir);
    return total;
}

bool ProbeProcess::waitForExit(int timeoutMs) {
    const long long deadline = monotonicNs() + timeoutMs * 1'000'000LL;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR)
            break;
        if (msLeft(deadline) <= 0)
            break;
        usleep(2000);
    }
    terminate();
    return false;
}

void ProbeProcess::terminate() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL); // it holds nothing that needs cleaning up
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
