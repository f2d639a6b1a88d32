// palette: one palette's colours written out for other programs.
#include "base/byte_order.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/palette_file.h"
#include "cli/picture_file.h"
#include "cli/replacement_file.h"
#include "cli/report.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"

namespace {

constexpr DWORD kColoursAt = 16;

// The chunk's name for the palette file's own: Latin-1 bytes as UTF-8, control characters
// as spaces, so that the name stays on its line.
std::string NameOf(const CIffChunk& chunk) {
    if (chunk.m_strName.empty()) return "palette " + std::to_string(chunk.m_wID);
    std::string utf8;
    for (const char ch : chunk.m_strName) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0)) {
            utf8 += ' ';
        } else if (b < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | b >> 6);
            utf8 += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return utf8;
}

std::string WhyUnusable(const CIffChunk& chunk) {
    if (!chunk.IsLoaded()) return "its data could not be read";
    const BYTE* p = chunk.m_pData.get();
    if (chunk.m_dwSize < 8) return "its data is " + std::to_string(chunk.m_dwSize) + " bytes";
    return "version " + std::to_string(LoadLE32(p)) + ", " + std::to_string(LoadLE32(p + 4)) +
           " colours in " + std::to_string(chunk.m_dwSize) +
           " bytes, where version 1, 256 colours in at least 784 bytes are needed";
}

}  // namespace

ExitStatus RunPalette(const CommandLine& cmd) {
    const std::string& path = cmd.files.front();
    IffSession session(path);
    if (!session.Open()) return ExitStatus::failed;
    CIffFile& iff = session.Iff();
    const std::string paletteText = "palette " + std::to_string(cmd.paletteId);

    CIffChunk* pChunk = nullptr;
    if (!iff.FindChunk(&pChunk, IFF_TYPE_PALT, cmd.paletteId)) {
        ReportMessage(path, "Can't find this item!", paletteText);
        return ExitStatus::warning;
    }
    if (!IsPaletteUsable(&iff, pChunk)) {
        ReportMessage(path, "Can't load this resource!", paletteText + ": " + WhyUnusable(*pChunk));
        return ExitStatus::warning;
    }
    const BYTE* rgb = pChunk->m_pData.get() + kColoursAt;

    const std::string& out = cmd.outBmp;
    std::string text;
    switch (*PaletteFormatOf(out)) {  // the command line has checked the name
        case PaletteFormat::swatch: {
            CBitmap swatch;
            if (!MakeSwatch(rgb, &swatch)) {
                ReportMessage(out, "Unable to write this bitmap!", "out of memory");
                return ExitStatus::failed;
            }
            return WritePicture(out, swatch, cmd.scale) ? ExitStatus::ok : ExitStatus::failed;
        }
        case PaletteFormat::gimp:
            text = GimpPaletteText(rgb, NameOf(*pChunk));
            break;
        case PaletteFormat::jasc:
            text = JascPaletteText(rgb);
            break;
    }
    std::string detail;
    if (WriteFileReplacing(out, std::vector<BYTE>(text.begin(), text.end()), &detail))
        return ExitStatus::ok;
    ReportMessage(out, "Unable to write this palette!", detail);
    return ExitStatus::failed;
}
