// The commands that change files: each edits the container through the same palette
// rewriting the dialog uses, then saves it.
#include <exception>
#include <iostream>

#include "cli/commands.h"
#include "cli/iff_session.h"
#include "files/file.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/palette_patch.h"
#include "sprites/spr2.h"

namespace {

std::string Count(int n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string SavedText(const CommandLine& cmd) {
    return cmd.output ? "saved to " + *cmd.output : "saved";
}

void Summary(const std::string& path, const std::string& text) {
    std::cout << path << ": " << text << '\n';
}

ExitStatus PatchOneFile(const CommandLine& cmd, const std::string& path, WORD paletteId) {
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    CSpr2 sprite;
    const PalettePatchResult result =
        PatchAllFramePalettes(session.Iff(), sprite, paletteId, [&](CIffChunk& chunk) {
            ReportMessage(path, "Can't load one of the SPR2 resources!",
                          "sprite " + std::to_string(chunk.m_wID) + " left as it was");
        });
    if (!session.Save(cmd.output)) return ExitStatus::failed;
    std::string text = "palette " + std::to_string(paletteId) + " set in " +
                       Count(result.nFrames, "frame") + " of " + Count(result.nSprites, "sprite");
    if (result.nSkipped > 0) text += ", " + Count(result.nSkipped, "sprite") + " skipped";
    Summary(path, text + ", " + SavedText(cmd));
    return result.nSkipped > 0 ? ExitStatus::warning : ExitStatus::ok;
}

}  // namespace

ExitStatus RunPatchAll(const CommandLine& cmd) {
    const WORD paletteId = cmd.command == Command::quickPatch ? INVALID_PALETTE_ID : cmd.paletteId;
    ExitStatus status = ExitStatus::ok;
    for (const std::string& path : cmd.files) {
        // One file's surprise must not keep the others from being processed.
        ExitStatus fileStatus = ExitStatus::failed;
        try {
            fileStatus = PatchOneFile(cmd, path, paletteId);
        } catch (const CFileException& e) {
            ReportMessage(path, e.GetErrorMessage());
        } catch (const std::exception& e) {
            ReportMessage(path, e.what());
        }
        status = Worse(status, fileStatus);
        std::cout.flush();
    }
    return status;
}

ExitStatus RunSetPalette(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    const std::string spriteText = "sprite " + std::to_string(cmd.spriteId);

    CSpr2 sprite;
    if (!session.AttachSprite(cmd.spriteId, sprite)) return ExitStatus::warning;
    std::string what;
    if (cmd.common) {
        SetSpritePaletteId(sprite, cmd.paletteId);
        what = spriteText + " common palette";
    } else {
        const int frame = cmd.frame.value_or(0);
        if (!SetFramePaletteId(sprite, frame, cmd.paletteId)) {
            ReportMessage(path, "Can't find this frame!",
                          spriteText + " has " + std::to_string(sprite.m_frames.size()) +
                              " frames, numbered from 0; nothing saved");
            return ExitStatus::warning;
        }
        what = spriteText + " frame " + std::to_string(frame) + " palette";
    }
    if (!session.Save(cmd.output)) return ExitStatus::failed;
    Summary(path, what + " set to " + std::to_string(cmd.paletteId) + ", " + SavedText(cmd));
    return ExitStatus::ok;
}

ExitStatus RunResave(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    if (!session.Save(cmd.output)) return ExitStatus::failed;
    Summary(path, SavedText(cmd));
    return ExitStatus::ok;
}
