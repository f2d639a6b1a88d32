// The commands that change files: each edits the container through the same palette
// rewriting the dialog uses, then saves it.
#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/input_files.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/palette_patch.h"
#include "sprites/spr2.h"

namespace {

using SaveResult = IffSession::SaveResult;

// What a run adds to what it prints for files named one by one: with a folder among the
// arguments, or with --dry-run, a totals line and a word about missing palettes; with a
// folder, files that would not change are left alone.
struct RunStyle {
    bool batch = false;
    bool leaveUnchanged = false;
};

RunStyle StyleOf(const CommandLine& cmd, const Inputs& inputs) {
    return {inputs.anyFolder || cmd.dryRun, inputs.anyFolder};
}

BatchOptions OptionsOf(const CommandLine& cmd, const Inputs& inputs) {
    BatchOptions options;
    options.jobs = cmd.jobs ? cmd.jobs : DefaultJobs();
    options.progress = !cmd.quiet && inputs.files.size() > 1 && StderrIsTerminal();
    return options;
}

std::string Count(int n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string SavedText(const CommandLine& cmd, SaveResult result) {
    switch (result) {
        case SaveResult::unchanged:
            return "unchanged";
        case SaveResult::wouldSave:
            return cmd.output ? "would be saved to " + *cmd.output : "would be saved";
        default:
            return cmd.output ? "saved to " + *cmd.output : "saved";
    }
}

void Summary(const std::string& path, const std::string& text) {
    PrintLine(path + ": " + text);
}

FileResult Failed() {
    FileResult r;
    r.status = ExitStatus::failed;
    r.outcome = Outcome::failed;
    return r;
}

// A palette ID the file holds no usable palette for is legal, but seldom meant.
void WarnIfNoPalette(IffSession& session, WORD paletteId, const char* consequence) {
    if (FindPalette(&session.Iff(), paletteId, paletteId)) return;
    ReportMessage(session.Path(),
                  "There is no usable palette " + std::to_string(paletteId) + " in this file!",
                  consequence);
}

constexpr char kFramesFallBack[] = "frames given it fall back to their sprite's palette";

FileResult PatchOneFile(const CommandLine& cmd, const std::string& path, WORD paletteId,
                        const RunStyle& style) {
    IffSession session(path);
    if (!session.Open()) return Failed();
    if (style.batch && cmd.command == Command::manualPatch)
        WarnIfNoPalette(session, paletteId, kFramesFallBack);
    CSpr2 sprite;
    const PalettePatchResult result =
        PatchAllFramePalettes(session.Iff(), sprite, paletteId, [&](CIffChunk& chunk) {
            ReportMessage(path, "Can't load one of the SPR2 resources!",
                          "sprite " + std::to_string(chunk.m_wID) + " left as it was");
        });
    // A frame whose ID changed makes its chunk's bytes differ from the file's.
    const SaveResult saved =
        session.Save(cmd.output, cmd.dryRun, style.leaveUnchanged, result.nChanged > 0);
    if (saved == SaveResult::failed) return Failed();
    std::string text = "palette " + std::to_string(paletteId) + " set in " +
                       Count(result.nFrames, "frame") + " of " + Count(result.nSprites, "sprite");
    if (result.nSkipped > 0) text += ", " + Count(result.nSkipped, "sprite") + " skipped";
    Summary(path, text + ", " + SavedText(cmd, saved));
    FileResult r;
    r.frames = result.nFrames;
    r.sprites = result.nSprites;
    r.status = result.nSkipped > 0 ? ExitStatus::warning : ExitStatus::ok;
    r.outcome = result.nSkipped > 0              ? Outcome::warning
                : saved == SaveResult::unchanged ? Outcome::unchanged
                                                 : Outcome::done;
    return r;
}

// "1,000 files: 990 patched, 3 with warnings, 1 failed, 6 unchanged"
std::string TotalsText(const BatchTotals& t, const char* doneText, bool warnings) {
    std::string text = GroupedCount(t.files, "file") + ": " + Grouped(t.done) + " " + doneText;
    if (warnings) text += ", " + Grouped(t.warnings) + " with warnings";
    return text + ", " + Grouped(t.failed) + " failed, " + Grouped(t.unchanged) + " unchanged";
}

}  // namespace

ExitStatus RunPatchAll(const CommandLine& cmd) {
    const WORD paletteId = cmd.command == Command::quickPatch ? INVALID_PALETTE_ID : cmd.paletteId;
    const Inputs inputs = CollectInputs(cmd.files);
    const RunStyle style = StyleOf(cmd, inputs);
    const BatchTotals totals = RunBatch(
        inputs.files, OptionsOf(cmd, inputs),
        [&](const std::string& path) { return PatchOneFile(cmd, path, paletteId, style); });
    if (style.batch)
        PrintLine(TotalsText(totals, cmd.dryRun ? "would be patched" : "patched", true) + "; " +
                  GroupedCount(totals.frames, "frame") + " in " +
                  GroupedCount(totals.sprites, "sprite") +
                  (cmd.dryRun ? " would be set to " : " set to ") + std::to_string(paletteId));
    return totals.status;
}

ExitStatus RunSetPalette(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    const std::string spriteText = "sprite " + std::to_string(cmd.spriteId);
    // Named files print what they always printed; the newer ways add a word on palettes.
    const bool warn = cmd.dryRun || cmd.allFrames;

    CSpr2 sprite;
    if (!session.AttachSprite(cmd.spriteId, sprite)) return ExitStatus::warning;
    std::string what;
    if (cmd.common) {
        SetSpritePaletteId(sprite, cmd.paletteId);
        what = spriteText + " common palette";
        if (warn)
            WarnIfNoPalette(session, cmd.paletteId,
                            "its frames without a usable palette of their own cannot be drawn");
    } else if (cmd.allFrames) {
        const int frames = SetAllFramePaletteIds(sprite, cmd.paletteId);
        what = spriteText + " palette of all " + Count(frames, "frame");
        WarnIfNoPalette(session, cmd.paletteId, kFramesFallBack);
    } else {
        const int frame = cmd.frame.value_or(0);
        if (!SetFramePaletteId(sprite, frame, cmd.paletteId)) {
            ReportMessage(path, "Can't find this frame!",
                          spriteText + " has " + std::to_string(sprite.m_frames.size()) +
                              " frames, numbered from 0; nothing saved");
            return ExitStatus::warning;
        }
        what = spriteText + " frame " + std::to_string(frame) + " palette";
        if (warn) WarnIfNoPalette(session, cmd.paletteId, kFramesFallBack);
    }
    const SaveResult saved = session.Save(cmd.output, cmd.dryRun, false);
    if (saved == SaveResult::failed) return ExitStatus::failed;
    Summary(path, what + " set to " + std::to_string(cmd.paletteId) + ", " + SavedText(cmd, saved));
    return ExitStatus::ok;
}

ExitStatus RunResave(const CommandLine& cmd) {
    const Inputs inputs = CollectInputs(cmd.files);
    const RunStyle style = StyleOf(cmd, inputs);
    const BatchTotals totals =
        RunBatch(inputs.files, OptionsOf(cmd, inputs), [&](const std::string& path) {
            IffSession session(path);
            if (!session.Open()) return Failed();
            const SaveResult saved = session.Save(cmd.output, cmd.dryRun, style.leaveUnchanged);
            if (saved == SaveResult::failed) return Failed();
            Summary(path, SavedText(cmd, saved));
            FileResult r;
            r.outcome = saved == SaveResult::unchanged ? Outcome::unchanged : Outcome::done;
            return r;
        });
    if (style.batch) PrintLine(TotalsText(totals, cmd.dryRun ? "would be saved" : "saved", false));
    return totals.status;
}
