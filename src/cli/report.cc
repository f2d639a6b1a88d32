#include "cli/report.h"

#include <errno.h>

#include <cstring>
#include <iostream>

namespace {

thread_local FileOutput* t_capture = nullptr;

}  // namespace

void ReportMessage(const std::string& subject, const std::string& message,
                   const std::string& detail) {
    std::string line = subject + ": " + message;
    if (!detail.empty()) line += " (" + detail + ")";
    line += '\n';
    if (t_capture)
        t_capture->err += line;
    else
        std::cerr << line;
}

void PrintLine(const std::string& line) {
    if (t_capture)
        t_capture->out += line + '\n';
    else
        std::cout << line << '\n';
}

std::string OsErrorText(int osError) {
    if (osError == 0) return std::string();
    // The lock of another opener shows up as EWOULDBLOCK, whose own text says nothing useful.
    if (osError == EWOULDBLOCK) return "the file is in use by another program";
    return std::strerror(osError);
}

CaptureOutput::CaptureOutput(FileOutput& output) : m_previous(t_capture) {
    t_capture = &output;
}

CaptureOutput::~CaptureOutput() {
    t_capture = m_previous;
}
