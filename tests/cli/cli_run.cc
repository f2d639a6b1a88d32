#include "cli_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <sys/wait.h>
#endif

using namespace builders;

#ifdef _WIN32
// The tool started directly with its output in two files: cmd.exe under Wine refuses lines a
// little over 300 characters, which a deep checkout reaches.
int RunTool(const std::vector<std::string>& args, const std::string& o, const std::string& e) {
    const auto wide = [](const std::string& s) { return std::filesystem::u8path(s).wstring(); };
    std::vector<std::wstring> quoted;  // the C runtime joins arguments without quoting them
    for (const std::string& a : args) quoted.push_back(L"\"" + wide(a) + L"\"");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& a : quoted) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    const int flags = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY;
    const int out = _wopen(wide(o).c_str(), flags, _S_IREAD | _S_IWRITE);
    const int err = _wopen(wide(e).c_str(), flags, _S_IREAD | _S_IWRITE);
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = _dup(1), savedErr = _dup(2);
    _dup2(out, 1);
    _dup2(err, 2);
    const intptr_t status = _wspawnv(_P_WAIT, wide(args[0]).c_str(), argv.data());
    _dup2(savedOut, 1);
    _dup2(savedErr, 2);
    for (int fd : {out, err, savedOut, savedErr}) _close(fd);
    return static_cast<int>(status);
}
#else
int RunTool(const std::vector<std::string>& args, const std::string& o, const std::string& e) {
    const auto quoted = [](const std::string& s) { return "'" + s + "'"; };
    std::string command;
    for (const std::string& a : args) command += quoted(a) + " ";
    command += ">" + quoted(o) + " 2>" + quoted(e);
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
#endif

std::vector<std::string> ArgsOf(const std::string& line, const std::string& file,
                                const std::string& out) {
    std::vector<std::string> args = {PALVANE_CLI_PATH};
    std::istringstream words(line);
    for (std::string w; words >> w;) {
        const std::string arg = w.rfind("FILE", 0) == 0 ? file + w.substr(4) : w;
        args.push_back(w == "OUT" ? out : w == "''" ? "" : arg);
    }
    return args;
}

Result Cli(const std::string& line, const std::string& file, const std::string& out) {
    const std::string o = TempPath("stdout"), e = TempPath("stderr");
    const int status = RunTool(ArgsOf(line, file, out), o, e);
    return {status, Text(o), Text(e)};
}

std::string Text(const std::string& path) {
    const Bytes b = ReadFileBytes(path);
    return {b.begin(), b.end()};
}

std::string Temp(const std::string& name, const Bytes& bytes) {
    const std::string path = TempPath(name);
    WriteFileBytes(path, bytes);
    return path;
}

std::string In(const std::string& folder, const std::string& name) {
    return folder + char(std::filesystem::path::preferred_separator) + name;
}
