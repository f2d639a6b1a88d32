// What the desktop program was started with: a file to open, or a request that ends it
// before any window shows.
#pragma once

#include <string>
#include <vector>

struct StartOptions {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    std::string file;   // Run: the file to open at start; empty: none
    std::string error;  // Usage: what was wrong
};

// args: the arguments after the program's name.
StartOptions ParseStartOptions(const std::vector<std::string>& args);

// The texts printed for --help, --version and a usage error.
std::string HelpText();
std::string VersionText();
std::string UsageText(const std::string& error);
