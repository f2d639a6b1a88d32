#include "cli_runner.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

namespace clitest {

namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Slurp(const std::string& path) {
    const testsupport::Bytes bytes = testsupport::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args) {
    const std::string out = testsupport::TempPath("stdout"), err = testsupport::TempPath("stderr");
    std::string command = Quote(PALVANE_CLI_PATH);
    for (const std::string& a : args) command += " " + Quote(a);
    const int raw = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

CliResult RunCli(const std::string& line, const std::string& file, const std::string& out) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string w; words >> w;)
        args.push_back(w == "FILE" ? file : w == "OUT" ? out : w == "''" ? "" : w);
    return RunCli(args);
}

std::string WriteTemp(const std::string& name, const testsupport::Bytes& bytes) {
    const std::string path = testsupport::TempPath(name);
    testsupport::WriteFileBytes(path, bytes);
    return path;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace clitest
