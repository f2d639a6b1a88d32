// Exit statuses and the messages the tool prints on stderr.
#pragma once

#include <string>

enum class ExitStatus : int {
    ok = 0,
    warning = 1,  // done, but something was skipped or could not be drawn
    failed = 2,   // usage error, a file that would not open or load, a failed save
};

inline ExitStatus Worse(ExitStatus a, ExitStatus b) {
    return a < b ? b : a;
}

// "<subject>: <message>", then " (<detail>)" when there is one. The subject is the file
// the message is about, as the user named it.
void ReportMessage(const std::string& subject, const std::string& message,
                   const std::string& detail = std::string());

// One line of a command's results on stdout; the newline is added.
void PrintLine(const std::string& line);

// A short description of an errno value for the detail of a message.
std::string OsErrorText(int osError);

// What the work on one file printed, held back so that files worked on side by side
// still print whole blocks in the order they were given.
struct FileOutput {
    std::string out, err;
};

// While one lives, ReportMessage and PrintLine on its thread go into `output`.
class CaptureOutput {
public:
    explicit CaptureOutput(FileOutput& output);
    ~CaptureOutput();

    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

private:
    FileOutput* m_previous;
};
