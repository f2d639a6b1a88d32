// The two front ends as a user drives them, in the calling process: the command-line
// tool's commands and the dialog's Browse, Quick Patch and Save.
#pragma once

#include <string>
#include <vector>

namespace robustness {

// palvane2-cli with these arguments (without the program name); its exit status.
// quiet: what the commands print on stdout is dropped.
int RunCli(const std::vector<std::string>& args, bool quiet = true);

struct DialogRun {
    bool opened = false;  // Browse loaded the file
    std::string lastMessage;
};

// Browse to the file, show every sprite and frame, a confirmed Quick Patch, then Save.
DialogRun QuickPatchInDialog(const std::string& path);

}  // namespace robustness
