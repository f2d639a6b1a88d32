#include "cli/commands.h"

ExitStatus RunCommand(const CommandLine& cmd) {
    switch (cmd.command) {
        case Command::info:
            return RunInfo(cmd);
        case Command::render:
            return RunRender(cmd);
        case Command::quickPatch:
        case Command::manualPatch:
            return RunPatchAll(cmd);
        case Command::setPalette:
            return RunSetPalette(cmd);
        case Command::resave:
            return RunResave(cmd);
        case Command::check:
            return RunCheck(cmd);
        case Command::palette:
            return RunPalette(cmd);
        case Command::overview:
            return RunOverview(cmd);
    }
    return ExitStatus::failed;
}
