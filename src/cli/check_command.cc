// check: what stands in the way of patching a file, found without writing anything.
#include "cli/batch.h"
#include "cli/check_findings.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/input_files.h"
#include "cli/json_text.h"
#include "cli/palette_table.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

namespace {

using Json = nlohmann::ordered_json;

void PrintReadable(const std::string& path, const FileCheck& check) {
    if (check.Count() == 0) return;
    PrintLine(path + ":");
    for (const Finding& f : check.paletteFindings) PrintLine("  " + f.text);
    for (const SpriteFindings& s : check.sprites) {
        const std::string sprite = "  sprite " + FileCheck::Named(*s.chunk) + ":";
        if (s.findings.size() == 1 && !s.findings[0].fields.contains("frame")) {
            PrintLine(sprite + " " + s.findings[0].text);
            continue;
        }
        PrintLine(sprite);
        for (const Finding& f : s.findings) PrintLine("    " + f.text);
    }
}

Json FileObject(const std::string& path, const char* status) {
    return Json{{"file", ToUtf8Lenient(path)}, {"status", status}};
}

FileResult CheckOneFile(const CommandLine& cmd, const std::string& path) {
    FileResult r;
    IffSession session(path);
    // The messages of a failure go to stderr as ever; a script finds the file's line too.
    if (!session.Open(OpenFor::reading)) {
        if (cmd.json) {
            Json line = FileObject(path, "failed");
            line["error"] = ToUtf8Lenient(session.LastFailure());
            PrintLine(line.dump());
        }
        r.status = ExitStatus::failed;
        r.outcome = Outcome::failed;
        return r;
    }
    FileCheck check(session.Iff());
    check.Run();
    const size_t found = check.Count();
    r.frames = static_cast<long long>(found);
    r.sprites = static_cast<long long>(check.sprites.size());
    if (found) {
        r.status = ExitStatus::warning;
        r.outcome = Outcome::warning;
    }
    if (!cmd.json) {
        PrintReadable(path, check);
        return r;
    }
    Json line = FileObject(path, found ? "findings" : "ok");
    line["sprites"] = check.spritesSeen;
    line["frames"] = check.framesSeen;
    Json findings = Json::array();
    for (const Finding& f : check.paletteFindings) findings.push_back(f.fields);
    for (const SpriteFindings& s : check.sprites)
        for (const Finding& f : s.findings) findings.push_back(f.fields);
    line["findings"] = std::move(findings);
    PrintLine(line.dump());
    return r;
}

}  // namespace

ExitStatus RunCheck(const CommandLine& cmd) {
    const Inputs inputs = CollectInputs(cmd.files);
    BatchOptions options;
    options.jobs = cmd.jobs ? cmd.jobs : DefaultJobs();
    options.progress = !cmd.quiet && inputs.files.size() > 1 && StderrIsTerminal();
    const BatchTotals totals = RunBatch(
        inputs.files, options, [&](const std::string& path) { return CheckOneFile(cmd, path); });
    if (!cmd.json)
        PrintLine(GroupedCount(totals.files, "file") + ": " + Grouped(totals.done) +
                  " without findings, " + Grouped(totals.warnings) + " with findings, " +
                  Grouped(totals.failed) + " failed; " + GroupedCount(totals.frames, "finding"));
    return totals.status;
}
