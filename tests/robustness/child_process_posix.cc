// Children as forked copies of the test process.
#ifndef _WIN32

#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "child_process.h"

namespace robustness {

namespace {

int g_readyFd = -1;  // in a started child, the write end of its pipe

ChildResult Collect(pid_t pid) {
    ChildResult result;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.endedBy = WTERMSIG(status);
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

[[noreturn]] void Exit(int code) {
    std::fflush(nullptr);
    ::_exit(code);  // no exit handlers: they belong to the test process
}

}  // namespace

ChildResult RunInChild(const std::string& body, const ChildArgs& args, const ChildLimits& limits) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::alarm(limits.timeoutSeconds);
        // An allocation the program never writes would not show in RSS; filling every one
        // makes the peak count what was asked for, not what was touched.
        // (Memory the allocator maps on its own comes zeroed and untouched: no mapping.)
        if (limits.touchAllocations) {
            ::mallopt(M_MMAP_MAX, 0);
            ::mallopt(M_PERTURB, 0x5A);
        }
        if (limits.fileSizeBytes) {
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
            const rlimit r{*limits.fileSizeBytes, *limits.fileSizeBytes};
            if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(102);
        }
        if (limits.uid && (::setgid(*limits.uid) != 0 || ::setuid(*limits.uid) != 0)) ::_exit(103);
        Exit(RunBody(body, args));
    }
    return Collect(pid);
}

RunningChild StartChild(const std::string& body, const ChildArgs& args) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(fds[0]);
        g_readyFd = fds[1];
        Exit(RunBody(body, args));
    }
    ::close(fds[1]);
    return RunningChild{pid, fds[0]};
}

bool SignalReady() {
    return ::write(g_readyFd, "r", 1) == 1;
}

bool WaitReady(const RunningChild& child) {
    char byte;
    ssize_t n;
    while ((n = ::read(static_cast<int>(child.ready), &byte, 1)) < 0 && errno == EINTR) {
    }
    return n == 1;
}

void Kill(const RunningChild& child) {
    // A child that did not start has -1, and kill(-1) signals every process it may.
    if (child.process > 0) ::kill(static_cast<pid_t>(child.process), SIGKILL);
}

ChildResult Reap(RunningChild& child) {
    if (child.ready >= 0) ::close(static_cast<int>(child.ready));
    child.ready = -1;
    ChildResult r = Collect(static_cast<pid_t>(child.process));
    child.process = -1;
    return r;
}

std::optional<int> RunChildIfAsked(int, char**) {
    return std::nullopt;  // a child is a fork and never starts from main
}

}  // namespace robustness

#endif
