// info and render: the commands that look at a file without changing it.
#include <cerrno>
#include <iostream>

#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/info_document.h"
#include "cli/picture_file.h"
#include "cli/report.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

namespace {

// Why BuildFrameBitmaps refused a frame that exists, for the message.
std::string WhyNotDrawn(CIffFile& iff, const CSpr2& sprite, const Spr2FrameInfo& info) {
    if (FindPalette(&iff, info.wPaletteId, sprite.GetPaletteId()) == nullptr)
        return "no usable palette " + std::to_string(info.wPaletteId) + " or " +
               std::to_string(sprite.GetPaletteId());
    if (info.wWidth == 0 || info.wHeight == 0)
        return "the frame is " + std::to_string(info.wWidth) + " x " +
               std::to_string(info.wHeight) + " pixels";
    return "its pixel data was refused";
}

}  // namespace

ExitStatus RunInfo(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    errno = 0;
    WriteInfoDocument(std::cout, path, session.Iff());
    if (!std::cout.flush()) {  // a full disk or a closed pipe: the document is incomplete
        ReportMessage(path, "Unable to write the document!",
                      errno ? OsErrorText(errno) : "standard output refused it");
        return ExitStatus::failed;
    }
    return ExitStatus::ok;
}

ExitStatus RunRender(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    CIffFile& iff = session.Iff();
    const std::string spriteText = "sprite " + std::to_string(cmd.spriteId);

    CSpr2 sprite;
    if (!session.AttachSprite(cmd.spriteId, sprite)) return ExitStatus::warning;
    const int frame = cmd.frame.value_or(0);
    Spr2FrameInfo info{};
    if (!sprite.GetFrameInfo(&info, frame)) {
        ReportMessage(path, "Can't find this frame!",
                      spriteText + " has " + std::to_string(sprite.m_frames.size()) +
                          " frames, numbered from 0");
        return ExitStatus::warning;
    }
    CBitmap color, depth, alpha;
    if (!sprite.BuildFrameBitmaps(&iff, frame, &color, &depth, &alpha, cmd.background, 0, 0, 0)) {
        ReportMessage(
            path, "Can't draw this frame!",
            spriteText + " frame " + std::to_string(frame) + ": " + WhyNotDrawn(iff, sprite, info));
        return ExitStatus::warning;
    }
    bool written = WritePicture(cmd.outBmp, color, cmd.scale, cmd.transparent ? &alpha : nullptr);
    if (cmd.depthBmp) written = WritePicture(*cmd.depthBmp, depth, cmd.scale) && written;
    if (cmd.alphaBmp) written = WritePicture(*cmd.alphaBmp, alpha, cmd.scale) && written;
    return written ? ExitStatus::ok : ExitStatus::failed;
}
