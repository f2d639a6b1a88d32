// Runs a piece of the program in a child process, under limits that would be unsafe or
// impossible to set on the test process itself, and reports how it ended and how much
// memory it held at its peak. A child's work is a body registered by name, so that it can
// run in a forked copy of this process (POSIX) or in a new run of this program (Windows).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace robustness {

using ChildArgs = std::vector<std::string>;
// The body's return value is the child's exit code; an escaping exception gives 101.
using ChildBody = int (*)(const ChildArgs& args);

// Makes a body known under a name, in the test process and in every child (one static
// object per body).
struct NamedChildBody {
    NamedChildBody(const char* name, ChildBody body);
};

struct ChildLimits {
    // POSIX only; a child asked for them on Windows does not start (exit code 102, 103).
    std::optional<unsigned long long> fileSizeBytes;  // RLIMIT_FSIZE; SIGXFSZ ignored
    std::optional<unsigned> uid;                      // run as this user (and its group)
    unsigned timeoutSeconds = 120;  // a hang ends as SIGALRM (POSIX) or kTimedOut (Windows)
    bool touchAllocations = true;   // make every allocation resident, so the peak shows it
};

// How a child stopped when the parent ended it for taking longer than its timeout.
constexpr unsigned long kTimedOut = 0xE0000001;

struct ChildResult {
    int exitCode = -1;  // -1 unless it exited
    // 0 if it exited, else what ended it: the signal (POSIX); the exception status, such
    // as 0xC0000005, or kTimedOut (Windows).
    unsigned long endedBy = 0;
    long maxRssKb = 0;  // peak resident memory (the peak working set on Windows)
};

ChildResult RunInChild(const std::string& body, const ChildArgs& args = {},
                       const ChildLimits& limits = {});

// The peak memory of a child that does nothing: what every child starts with.
long BaselineRssKb();

// In a child: ends it at once with this exit code, as a kill would, with no clean-up of
// any kind in any thread.
[[noreturn]] void EndAbruptly(int code);

// For the program's main: the exit code of a child run of this program, which it must
// return at once, or nothing when this run is the test run.
std::optional<int> RunChildIfAsked(int argc, char** argv);

// The registered body's exit code for these arguments (104 for an unknown body).
int RunBody(const std::string& body, const ChildArgs& args);

}  // namespace robustness
