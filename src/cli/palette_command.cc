// palette: one palette's colours written out for other programs.
#include "cli/check_findings.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/json_text.h"
#include "cli/palette_file.h"
#include "cli/picture_file.h"
#include "cli/replacement_file.h"
#include "cli/report.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"

namespace {

constexpr DWORD kColoursAt = 16;

// The chunk's name for the palette file's own, as UTF-8, control characters as spaces so
// that the name stays on its line.
std::string NameOf(const CIffChunk& chunk) {
    if (chunk.m_strName.empty()) return "palette " + std::to_string(chunk.m_wID);
    std::string name = chunk.m_strName;
    for (char& ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0)) ch = ' ';
    }
    return Latin1ToUtf8(name);
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
        ReportMessage(
            path, "Can't load this resource!",
            paletteText + ": " +
                PaletteFaultText(CheckPaletteData(pChunk->m_pData.get(), pChunk->m_dwSize).fault,
                                 *pChunk));
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
