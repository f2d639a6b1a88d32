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
        const int code = RunBody(body, args);
        std::fflush(nullptr);
        ::_exit(code);  // no exit handlers: they belong to the test process
    }
    ChildResult result;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) return result;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.endedBy = WTERMSIG(status);
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

void EndAbruptly(int code) {
    ::_exit(code);
}

std::optional<int> RunChildIfAsked(int, char**) {
    return std::nullopt;  // a child is a fork and never starts from main
}

}  // namespace robustness

#endif
