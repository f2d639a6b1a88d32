// palvane2-cli: inspection, rendering and batch palette patching of IFF files.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/input_files.h"
#include "files/file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "files/file_api_win32.h"
#endif

namespace {

int Run(int argc, const char* const* argv) {
    CommandLine cmd;
    if (const auto exitCode = ParseCommandLine(argc, argv, cmd)) return *exitCode;
    // The commands catch what they expect; anything else still must not pass for success.
    try {
        return static_cast<int>(RunCommand(cmd));
    } catch (const CFileException& e) {
        std::cerr << kProgramName << ": " << e.GetErrorMessage() << '\n';
    } catch (const std::exception& e) {
        std::cerr << kProgramName << ": " << e.what() << '\n';
    }
    return static_cast<int>(ExitStatus::failed);
}

}  // namespace

#ifdef _WIN32
// The arguments arrive in UTF-16 and go on as UTF-8, so any file name opens; the output
// is written as bytes, the same as on every other system (no CR added before LF). No
// shell expands wildcards here: the tool does it itself.
int wmain(int argc, wchar_t** wargv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(win32::Narrow(wargv[i]));
    args = ExpandWildcards(args);
    args.insert(args.begin(), win32::Narrow(wargv[0]));
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return Run(static_cast<int>(argv.size()), argv.data());
}
#else
int main(int argc, char** argv) {
    return Run(argc, argv);
}
#endif
