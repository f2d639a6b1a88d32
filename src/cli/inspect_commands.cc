// info and render: the commands that look at a file without changing it.
#include <cerrno>
#include <iostream>

#include "cli/bmp_file.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/info_document.h"
#include "cli/replacement_file.h"
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

bool WriteBitmap(const std::string& path, const CBitmap& bitmap) {
    const std::vector<BYTE> bytes = EncodeBmp(bitmap);
    std::string detail;
    if (!bytes.empty() && WriteFileReplacing(path, bytes, &detail)) return true;
    ReportMessage(path, "Unable to write this bitmap!", detail);
    return false;
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
    bool written = WriteBitmap(cmd.outBmp, color);
    if (cmd.depthBmp) written = WriteBitmap(*cmd.depthBmp, depth) && written;
    if (cmd.alphaBmp) written = WriteBitmap(*cmd.alphaBmp, alpha) && written;
    return written ? ExitStatus::ok : ExitStatus::failed;
}
