// What the harnesses share: a scratch file for inputs that must be files on disk, a check
// that stops the run with a message, and a command of the tool run on the scratch file
// with its output captured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/report.h"
#include "iff/iff_file.h"

namespace palvane_fuzz {

[[noreturn]] void CheckFailed(const char* file, int line, const char* what);

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::palvane_fuzz::CheckFailed(__FILE__, __LINE__, #cond))

// A file of its own per process and tag, in memory-backed storage when there is some, so
// that a save's flush costs nothing. Removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& tag);
    ~ScratchFile();

    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return m_path; }
    void Write(const uint8_t* data, size_t size) const;
    std::vector<uint8_t> Read() const;

private:
    std::string m_folder;
    std::string m_path;
};

// Swaps a stream's buffer for a string's while it lives.
class Capture {
public:
    explicit Capture(std::ostream& stream)
        : m_stream(stream), m_old(stream.rdbuf(m_text.rdbuf())) {}
    ~Capture() { m_stream.rdbuf(m_old); }
    std::string Text() const { return m_text.str(); }

private:
    std::ostream& m_stream;
    std::ostringstream m_text;
    std::streambuf* m_old;
};

// The command line of `command` on the scratch file alone.
CommandLine OnScratchFile(Command command, const ScratchFile& file);

// What one run of a command printed, and its exit status.
struct Run {
    ExitStatus status;
    std::string out, err;
};
Run Capturing(ExitStatus (*command)(const CommandLine&), const CommandLine& cmd);

// Writes the bytes to the scratch file and loads it into iff the way the program opens a
// file (read-write, exclusive). iff is Reset first, so its previous file is let go.
BOOL LoadThroughFile(CIffFile& iff, const ScratchFile& scratch, const uint8_t* data, size_t size);

}  // namespace palvane_fuzz
