// Running palvane2-cli the way a user's shell runs it, for the tool's tests.
#pragma once

#include <string>
#include <vector>

#include "builders/scratch_files.h"

struct Result {
    int status;  // -1 when the tool did not exit normally
    std::string out, err;
};

// The tool with these arguments (args[0] the program), stdout and stderr into files o and e.
int RunTool(const std::vector<std::string>& args, const std::string& o, const std::string& e);

// A command line written out: FILE and OUT stand for these paths (FILE.x for the path with .x
// appended), '' for an empty value. No argument holds a quote.
std::vector<std::string> ArgsOf(const std::string& line, const std::string& file = "",
                                const std::string& out = "");
Result Cli(const std::string& line, const std::string& file = "", const std::string& out = "");

// A file's bytes as text.
std::string Text(const std::string& path);

// A path inside a folder as the tool writes it: with the system's own separator.
std::string In(const std::string& folder, const std::string& name);

// A fresh temporary file holding these bytes.
std::string Temp(const std::string& name, const builders::Bytes& bytes);
