#include "cli/report.h"

#include <errno.h>

#include <cstring>
#include <iostream>

void ReportMessage(const std::string& subject, const std::string& message,
                   const std::string& detail) {
    std::cerr << subject << ": " << message;
    if (!detail.empty()) std::cerr << " (" << detail << ")";
    std::cerr << '\n';
}

std::string OsErrorText(int osError) {
    if (osError == 0) return std::string();
    // The lock of another opener shows up as EWOULDBLOCK, whose own text says nothing useful.
    if (osError == EWOULDBLOCK) return "the file is in use by another program";
    return std::strerror(osError);
}
