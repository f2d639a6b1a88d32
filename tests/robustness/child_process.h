// Runs a piece of the program in a forked child, under limits that would be unsafe or
// impossible to set on the test process itself, and reports how it ended and how much
// memory it held at its peak.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace robustness {

struct ChildLimits {
    std::optional<unsigned long long> fileSizeBytes;  // RLIMIT_FSIZE; SIGXFSZ ignored
    std::optional<uid_t> uid;                         // run as this user (and its group)
    unsigned alarmSeconds = 120;                      // a hang ends as SIGALRM
    bool touchAllocations = true;  // make every allocation resident, so RSS shows it
};

struct ChildResult {
    int exitCode = -1;  // -1 unless it exited
    int signal = 0;     // the signal that ended it, 0 if it exited
    long maxRssKb = 0;  // peak resident memory
};

// The body's return value is the child's exit code; an escaping exception gives 101.
ChildResult RunInChild(const std::function<int()>& body, const ChildLimits& limits = {});

// The peak memory of a child that does nothing: what every child starts with.
long BaselineRssKb();

// A started child the caller ends itself (the kill tests). `ready` is a descriptor the
// child writes one byte to when it reaches the moment the caller waits for.
struct RunningChild {
    pid_t pid = -1;
    int readyFd = -1;
};
RunningChild StartChild(const std::function<int(int readyFd)>& body);
// Blocks until the child says it is ready; false if it ended first.
bool WaitReady(const RunningChild& child);
ChildResult Reap(RunningChild& child);

}  // namespace robustness
