// `palvane2-cli check` on any file: a file it cannot open is one failure; otherwise its
// lines and its JSON tell the same count, the findings are exactly what `info` says is
// unusable, undecodable or undrawable (plus the frames that fall back), and the file keeps
// its bytes.
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace palvane_fuzz {

namespace {

std::string Totals(int clean, int found, int failed, size_t findings) {
    return "1 file: " + std::to_string(clean) + " without findings, " + std::to_string(found) +
           " with findings, " + std::to_string(failed) + " failed; " + std::to_string(findings) +
           (findings == 1 ? " finding\n" : " findings\n");
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Frame(const nlohmann::json& sprite, size_t frame) {
    return "sprite " + sprite.dump() + " frame " + std::to_string(frame);
}

}  // namespace

int CliCheckOneInput(const uint8_t* data, size_t size) {
    static ScratchFile file("check");
    file.Write(data, size);
    CommandLine cmd = OnScratchFile(Command::check, file);
    cmd.jobs = 1;
    const Run lines = Capturing(RunCheck, cmd);
    cmd.json = true;
    const Run json = Capturing(RunCheck, cmd);
    FUZZ_CHECK(file.Read() == std::vector<uint8_t>(data, data + size));
    FUZZ_CHECK(lines.status == json.status && lines.err == json.err);
    const nlohmann::json line = nlohmann::json::parse(json.out, nullptr, false);
    FUZZ_CHECK(line.is_object() && line.at("file") == file.Path());
    if (json.status == ExitStatus::failed) {
        FUZZ_CHECK(line.at("status") == "failed" && lines.out == Totals(0, 0, 1, 0));
        FUZZ_CHECK(lines.err.find("Unable to open file as an IFF file!") != std::string::npos);
        return 0;
    }
    FUZZ_CHECK(json.err.empty());
    const nlohmann::json& findings = line.at("findings");
    FUZZ_CHECK(findings.is_array());
    const bool found = !findings.empty();
    FUZZ_CHECK(json.status == (found ? ExitStatus::warning : ExitStatus::ok));
    FUZZ_CHECK(line.at("status") == (found ? "findings" : "ok"));
    FUZZ_CHECK(lines.out.rfind(found ? file.Path() + ":\n" : "1 file:", 0) == 0);
    FUZZ_CHECK(EndsWith(lines.out, Totals(!found, found, 0, findings.size())));

    // What info calls unusable, undecodable and undrawable, and the palettes it lists.
    cmd.command = Command::info;
    const Run info = Capturing(RunInfo, cmd);
    FUZZ_CHECK(info.status == ExitStatus::ok);
    const nlohmann::json doc = nlohmann::json::parse(info.out);
    std::multiset<std::string> faults, named;
    std::set<int> palettes;
    for (const auto& p : doc.at("palettes")) {
        palettes.insert(p.at("id").get<int>());
        if (!p.at("valid").get<bool>()) faults.insert("palette " + p.at("id").dump());
    }
    std::set<std::string> fallsBack;
    for (const auto& s : doc.at("sprites")) {
        if (!s.at("decoded").get<bool>()) {
            faults.insert("sprite " + s.at("id").dump());
            continue;
        }
        for (size_t i = 0; i < s.at("frames").size(); ++i) {
            const auto& f = s.at("frames").at(i);
            const int own = f.at("palette").get<int>();
            if (!f.at("drawable").get<bool>())
                faults.insert(Frame(s.at("id"), i));
            else if (own != 41891 && !palettes.count(own))
                fallsBack.insert(Frame(s.at("id"), i) + " to " + s.at("palette").dump());
        }
    }
    for (const auto& f : findings) {
        const std::string kind = f.at("kind").get<std::string>();
        if (kind == "unusable_palette")
            named.insert("palette " + f.at("palette").dump());
        else if (kind == "undecodable_sprite")
            named.insert("sprite " + f.at("sprite").dump());
        else if (kind == "undrawable_frame")
            named.insert(Frame(f.at("sprite"), f.at("frame").get<size_t>()));
        else
            FUZZ_CHECK(kind == "missing_palette" &&
                       fallsBack.erase(Frame(f.at("sprite"), f.at("frame").get<size_t>()) + " to " +
                                       f.at("fallback").dump()) == 1);
    }
    FUZZ_CHECK(named == faults);
    FUZZ_CHECK(fallsBack.empty());
    return 0;
}

}  // namespace palvane_fuzz
