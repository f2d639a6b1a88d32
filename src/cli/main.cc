// palvane2-cli: inspection, rendering and batch palette patching of IFF files.
#include <exception>
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "platform/file.h"

int main(int argc, char** argv) {
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
