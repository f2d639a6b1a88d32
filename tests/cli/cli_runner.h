// Running palvane2-cli as a child process and collecting what it printed.
#pragma once

#include <string>
#include <vector>

#include "support/iff_builder.h"

namespace clitest {

struct CliResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

CliResult RunCli(const std::vector<std::string>& args);
// A command line written out: FILE and OUT stand for these paths, '' for an empty value.
CliResult RunCli(const std::string& line, const std::string& file, const std::string& out = "");

// A fresh temporary path holding these bytes.
std::string WriteTemp(const std::string& name, const testsupport::Bytes& bytes);
bool Exists(const std::string& path);

}  // namespace clitest
