// The tool's command line: its commands, their options and the usage rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/types.h"

enum class Command { info, render, quickPatch, manualPatch, setPalette, resave, check, palette, overview };

struct CommandLine {
    Command command = Command::info;
    std::vector<std::string> files;
    std::optional<std::string> output;  // --output: save there, FILE stays as it was
    WORD spriteId = 0;                  // render, set-palette
    WORD paletteId = 0;                 // manual-patch, set-palette, palette --id
    std::optional<int> frame;           // render; set-palette --frame
    bool common = false;                // set-palette --common
    bool allFrames = false;             // set-palette --all-frames
    std::string outBmp;                 // --out: BMP, PNG, palette text; overview's folder
    std::optional<std::string> depthBmp;
    std::optional<std::string> alphaBmp;
    int scale = 1;             // render, palette: each pixel becomes scale x scale pixels
    bool transparent = false;  // render: the alpha plane as the colour PNG's alpha
    RGBQUAD background{0xF0, 0xF0, 0xF0, 0};
    bool dryRun = false;  // everything up to the save
    bool json = false;    // check --json
    bool quiet = false;   // no progress line
    unsigned jobs = 0;    // -j: 0 for one per processor
};

extern const char kProgramName[];

// Reads argv into `cmd`. Returns the exit status when the run ends here: 0 after --help
// or --version, 2 after a usage error (already reported on stderr).
std::optional<int> ParseCommandLine(int argc, const char* const* argv, CommandLine& cmd);
