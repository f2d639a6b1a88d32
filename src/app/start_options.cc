#include "app/start_options.h"

#include <filesystem>
#include <system_error>

namespace {

// The chooser gives full paths, and the file box and the next chooser's folder show them.
std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full =
        std::filesystem::absolute(std::filesystem::u8path(path), error);
    return error ? path : full.u8string();
}

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
    StartOptions options;
    bool optionsEnded = false;
    auto usage = [&options](std::string error) {
        options.action = StartOptions::Action::Usage;
        options.error = std::move(error);
        options.file.clear();
        return options;
    };
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            return StartOptions{StartOptions::Action::Help, {}, {}};
        } else if (!optionsEnded && arg == "--version") {
            return StartOptions{StartOptions::Action::Version, {}, {}};
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option " + arg);
        } else if (arg.empty()) {
            return usage("an empty file name");
        } else if (!options.file.empty()) {
            return usage("one file at a time");
        } else {
            options.file = FullPath(arg);
        }
    }
    return options;
}

std::string HelpText() {
    return "Usage: palvane2 [FILE]\n"
           "Shows the sprites of an IFF file and re-assigns their palettes.\n"
           "FILE is opened at start, as Browse would open it.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "Whole files and folders: palvane2-cli --help\n";
}

std::string VersionText() {
    return "palvane2 1.0\n";
}

std::string UsageText(const std::string& error) {
    return "palvane2: " + error + "\nUsage: palvane2 [FILE]\nTry 'palvane2 --help' for more.\n";
}
