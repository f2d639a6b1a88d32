#include "cli/batch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "files/file.h"
#include "files/file_system.h"
#include "iff/iff_manager.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Slot {
    FileResult result;
    FileOutput output;
    bool finished = false;
};

FileResult WorkOn(const InputFile& file, const FileWork& work, FileOutput& output) {
    const CaptureOutput capture(output);
    FileResult failed;
    failed.status = ExitStatus::failed;
    failed.outcome = Outcome::failed;
    if (!file.problem.empty()) {
        ReportMessage(file.path, file.problem, file.detail);
        if (file.failure) return failed;
        FileResult notice;
        notice.outcome = Outcome::notice;
        return notice;
    }
    // One file's surprise must not keep the others from being worked on.
    try {
        return work(file.path);
    } catch (const CFileException& e) {
        ReportMessage(file.path, e.GetErrorMessage());
    } catch (const std::exception& e) {
        ReportMessage(file.path, e.what());
    }
    return failed;
}

// Files that are one file on disk (named twice, or through a link) run one after the
// other on one thread, as they would without threads: each is held exclusively while
// worked on, so side by side the second would be refused.
std::vector<std::vector<size_t>> Chains(const std::vector<InputFile>& files) {
    std::vector<std::vector<size_t>> chains;
    std::map<std::pair<ULONGLONG, ULONGLONG>, size_t> byIdentity;
    for (size_t i = 0; i < files.size(); ++i) {
        FileIdentity identity = files[i].identity;
        bool known = files[i].identityKnown;
        if (!known && files[i].problem.empty()) {
            BOOL regular = FALSE;
            known = IdentifyFilePath(files[i].path, &identity, &regular);
        }
        if (known) {
            const auto key = std::make_pair(identity.volume, identity.index);
            const auto found = byIdentity.find(key);
            if (found != byIdentity.end()) {
                chains[found->second].push_back(i);
                continue;
            }
            byIdentity.emplace(key, chains.size());
        }
        chains.push_back({i});
    }
    return chains;
}

std::string Clock2(long long seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

// The line kept up to date on stderr. It is wiped before anything else is printed.
class ProgressLine {
public:
    ProgressLine(bool on, size_t total) : m_on(on), m_total(total), m_start(Clock::now()) {}

    void Show(size_t finished, const BatchTotals& printed, bool force = false) {
        if (!m_on) return;
        const Clock::time_point now = Clock::now();
        if (!force && now - m_last < std::chrono::milliseconds(100)) return;
        m_last = now;
        const double elapsed = std::chrono::duration<double>(now - m_start).count();
        std::string line = Grouped(static_cast<long long>(finished)) + "/" +
                           Grouped(static_cast<long long>(m_total)) + " files, " +
                           Grouped(printed.warnings) + " with warnings, " +
                           Grouped(printed.failed) + " failed, " +
                           Clock2(static_cast<long long>(elapsed)) + " elapsed";
        if (finished > 0 && finished < m_total)
            line += ", about " +
                    Clock2(static_cast<long long>(elapsed / static_cast<double>(finished) *
                                                  static_cast<double>(m_total - finished))) +
                    " left";
        Wipe();
        std::cerr << line << std::flush;
        m_length = line.size();
    }

    void Wipe() {
        if (!m_on || m_length == 0) return;
        std::cerr << '\r' << std::string(m_length, ' ') << '\r' << std::flush;
        m_length = 0;
    }

private:
    bool m_on;
    size_t m_total;
    Clock::time_point m_start, m_last;
    size_t m_length = 0;
};

void Print(Slot& slot, BatchTotals& totals) {
    if (!slot.output.err.empty()) std::cerr << slot.output.err << std::flush;
    if (!slot.output.out.empty()) std::cout << slot.output.out;
    std::cout.flush();
    slot.output = FileOutput();
    const FileResult& r = slot.result;
    if (r.outcome == Outcome::notice) return;
    ++totals.files;
    switch (r.outcome) {
        case Outcome::notice:
            break;
        case Outcome::done:
            ++totals.done;
            break;
        case Outcome::unchanged:
            ++totals.unchanged;
            break;
        case Outcome::warning:
            ++totals.warnings;
            break;
        case Outcome::failed:
            ++totals.failed;
            break;
    }
    totals.frames += r.frames;
    totals.sprites += r.sprites;
    totals.status = Worse(totals.status, r.status);
}

}  // namespace

BatchTotals RunBatch(const std::vector<InputFile>& files, const BatchOptions& options,
                     const FileWork& work) {
    BatchTotals totals;
    std::vector<Slot> slots(files.size());
    ProgressLine progress(options.progress, files.size());
    const unsigned jobs = options.jobs ? options.jobs : 1;

    if (jobs == 1 || files.size() < 2) {
        for (size_t i = 0; i < files.size(); ++i) {
            progress.Show(i, totals);
            slots[i].result = WorkOn(files[i], work, slots[i].output);
            progress.Wipe();
            Print(slots[i], totals);
        }
        progress.Wipe();
        return totals;
    }

    CIffManager::AllowThreads();
    const std::vector<std::vector<size_t>> chains = Chains(files);
    std::atomic<size_t> nextChain{0};
    std::mutex lock;
    std::condition_variable allPrinted;
    size_t finished = 0;
    size_t nextToPrint = 0;
    // Whoever finishes the next file in input order prints it and every finished one
    // after it, so no thread is woken per file just to print.
    const auto worker = [&] {
        for (size_t chain; (chain = nextChain++) < chains.size();) {
            for (size_t i : chains[chain]) {
                FileOutput output;
                const FileResult result = WorkOn(files[i], work, output);
                const std::lock_guard<std::mutex> guard(lock);
                slots[i].result = result;
                slots[i].output = std::move(output);
                slots[i].finished = true;
                ++finished;
                if (i != nextToPrint) continue;
                progress.Wipe();
                for (; nextToPrint < files.size() && slots[nextToPrint].finished; ++nextToPrint)
                    Print(slots[nextToPrint], totals);
                if (nextToPrint == files.size()) allPrinted.notify_one();
            }
        }
    };
    std::vector<std::thread> threads;
    const size_t count = std::min<size_t>(jobs, chains.size());
    for (size_t t = 0; t < count; ++t) threads.emplace_back(worker);
    {
        std::unique_lock<std::mutex> guard(lock);
        // With a progress line, woken now and then to keep it up; otherwise only at the end.
        while (nextToPrint < files.size()) {
            if (options.progress) {
                allPrinted.wait_for(guard, std::chrono::milliseconds(250));
                if (nextToPrint < files.size()) progress.Show(finished, totals);
            } else {
                allPrinted.wait(guard);
            }
        }
    }
    for (std::thread& t : threads) t.join();
    progress.Wipe();
    return totals;
}

unsigned DefaultJobs() {
    const unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

std::string Grouped(long long n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return n < 0 ? "-" + digits : digits;
}

std::string GroupedCount(long long n, const char* noun) {
    return Grouped(n) + " " + noun + (n == 1 ? "" : "s");
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(2) != 0;
#endif
}
