// The commands. Each reports its own messages and returns its exit status.
#pragma once

#include "cli/command_line.h"
#include "cli/report.h"

// The command the line names.
ExitStatus RunCommand(const CommandLine& cmd);

ExitStatus RunInfo(const CommandLine& cmd);
ExitStatus RunRender(const CommandLine& cmd);

// quick-patch and manual-patch: every file in turn, the worst status wins.
ExitStatus RunPatchAll(const CommandLine& cmd);
ExitStatus RunSetPalette(const CommandLine& cmd);
ExitStatus RunResave(const CommandLine& cmd);
ExitStatus RunCheck(const CommandLine& cmd);
ExitStatus RunPalette(const CommandLine& cmd);
ExitStatus RunOverview(const CommandLine& cmd);
