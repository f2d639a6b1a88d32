// Working through many files: side by side on a few threads, each file's messages and
// lines printed as one block in the order the files were given, a progress line on a
// terminal, and the counts a totals line is made of.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/input_files.h"
#include "cli/report.h"

// What became of one file, for the totals.
enum class Outcome { done, unchanged, warning, failed, notice };  // a notice is no file

struct FileResult {
    ExitStatus status = ExitStatus::ok;
    Outcome outcome = Outcome::done;
    long long frames = 0, sprites = 0;  // set, or looked at
};

struct BatchTotals {
    long long files = 0, done = 0, unchanged = 0, warnings = 0, failed = 0;
    long long frames = 0, sprites = 0;
    ExitStatus status = ExitStatus::ok;  // the worst over all files
};

struct BatchOptions {
    unsigned jobs = 1;      // threads; files that are one file on disk never run at once
    bool progress = false;  // the progress line on stderr
};

// Runs `work` on every file (on several threads at once with jobs > 1) and prints what
// each printed, file by file in input order. An input that carries a problem is reported
// as a failure without being worked on. Whatever `work` throws is reported as the file's
// failure; the others go on.
using FileWork = std::function<FileResult(const std::string& path)>;
BatchTotals RunBatch(const std::vector<InputFile>& files, const BatchOptions& options,
                     const FileWork& work);

// The number of processors, at least 1.
unsigned DefaultJobs();

// 1234567 as "1,234,567".
std::string Grouped(long long n);
// "1 file", "1,000 files" ("sprite" and "frame" alike).
std::string GroupedCount(long long n, const char* noun);

// Whether standard error is a terminal.
bool StderrIsTerminal();
