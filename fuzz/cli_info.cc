// `palvane2-cli info` on any file: it either refuses the file with exit status 2 and the
// load message, or prints one well-formed document describing every chunk.
#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace palvane_fuzz {

int CliInfoOneInput(const uint8_t* data, size_t size) {
    static ScratchFile file("info");
    file.Write(data, size);
    const auto [status, out, err] = Capturing(RunInfo, OnScratchFile(Command::info, file));
    if (status != ExitStatus::ok) {
        FUZZ_CHECK(status == ExitStatus::failed && out.empty());
        FUZZ_CHECK(err.find("Unable to open file as an IFF file!") != std::string::npos);
        return 0;
    }
    FUZZ_CHECK(err.empty());
    const nlohmann::json doc = nlohmann::json::parse(out, nullptr, false);
    FUZZ_CHECK(!doc.is_discarded() && doc.is_object());
    FUZZ_CHECK(doc["file"] == file.Path());
    FUZZ_CHECK(doc["chunks"].is_array() && doc["palettes"].is_array() && doc["sprites"].is_array());
    for (const auto& sprite : doc["sprites"]) {
        FUZZ_CHECK(sprite["decoded"].is_boolean());
        FUZZ_CHECK(sprite["decoded"] == sprite.contains("frames"));
    }
    return 0;
}

}  // namespace palvane_fuzz
