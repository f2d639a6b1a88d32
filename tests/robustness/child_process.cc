#include "child_process.h"

#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

namespace robustness {

namespace {

ChildResult Collect(pid_t pid) {
    ChildResult result;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

[[noreturn]] void RunBody(const std::function<int()>& body) {
    int code = 101;
    try {
        code = body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child: %s\n", e.what());
    } catch (...) {
    }
    std::fflush(nullptr);
    ::_exit(code);  // no exit handlers: they belong to the test process
}

}  // namespace

ChildResult RunInChild(const std::function<int()>& body, const ChildLimits& limits) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::alarm(limits.alarmSeconds);
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
        RunBody(body);
    }
    return Collect(pid);
}

long BaselineRssKb() {
    static const long baseline = RunInChild([] { return 0; }).maxRssKb;
    return baseline;
}

RunningChild StartChild(const std::function<int(int)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(fds[0]);
        const int ready = fds[1];
        RunBody([&] { return body(ready); });
    }
    ::close(fds[1]);
    return RunningChild{pid, fds[0]};
}

bool WaitReady(const RunningChild& child) {
    char byte;
    ssize_t n;
    while ((n = ::read(child.readyFd, &byte, 1)) < 0 && errno == EINTR) {
    }
    return n == 1;
}

ChildResult Reap(RunningChild& child) {
    if (child.readyFd >= 0) ::close(child.readyFd);
    child.readyFd = -1;
    ChildResult r = Collect(child.pid);
    child.pid = -1;
    return r;
}

}  // namespace robustness
