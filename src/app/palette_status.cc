#include "app/palette_status.h"

#include "sprites/palette.h"

namespace {

std::string Num(unsigned long long n) {
    return std::to_string(n);
}

std::string PaletteFaultText(const PaletteCheck& check) {
    switch (check.fault) {
        case PaletteFault::Unreadable:
            return "could not be read from the file";
        case PaletteFault::Length:
            return "is " + Num(check.dwSize) + " bytes long (needs " + Num(PALT_MIN_SIZE) + ")";
        case PaletteFault::Version:
            return "is version " + Num(check.dwVersion) + " (must be 1)";
        case PaletteFault::ColorCount:
            return "has " + Num(check.dwColors) + " colours (must be 256)";
        case PaletteFault::None:
            break;
    }
    return "is usable";
}

std::string NoPaletteText(WORD wOwn, WORD wCommon) {
    if (wOwn == wCommon) return "there is no palette " + Num(wOwn) + " in the file";
    return "neither palette " + Num(wOwn) + " nor " + Num(wCommon) + " is in the file";
}

}  // namespace

std::string NoFrameStatus(NoFrameReason reason, WORD wSpriteId) {
    const std::string sprite = "Sprite " + Num(wSpriteId);
    switch (reason) {
        case NoFrameReason::NoSprites:
            return "This file has no sprites.";
        case NoFrameReason::SpriteMissing:
            return sprite + " was not found in the file.";
        case NoFrameReason::SpriteUndecodable:
            return sprite + " can't be read: its data is damaged.";
        case NoFrameReason::NoFrames:
            return sprite + " has no frames.";
    }
    return {};
}

std::string FrameStatus(CIffFile* pFile, const CSpr2& sprite, int nFrame, bool bDrawn) {
    Spr2FrameInfo info{};
    const std::string frame = "Frame " + Num(static_cast<unsigned>(nFrame));
    if (!sprite.GetFrameInfo(&info, nFrame)) return frame + " is not in the sprite.";
    const WORD wCommon = sprite.GetPaletteId();
    const PaletteChoice choice = ChoosePalette(pFile, info.wPaletteId, wCommon);
    const bool hasPalette = choice.pChunk && choice.check.fault == PaletteFault::None;
    const std::string notDrawn = frame + " can't be drawn: ";

    // Which palette and why: "<who><why>" for a drawn frame, "<who><aside> <fault>" else.
    std::string who, why, aside;
    if (choice.pChunk) {
        const std::string id = Num(choice.pChunk->m_wID);
        who = choice.bFallback ? "the sprite's common palette " + id : "its own palette " + id;
        if (choice.bFallback && info.wPaletteId == INVALID_PALETTE_ID) {
            why = ", as its ID is 41891 (invalid)";
            aside = " (its ID is 41891)";
        } else if (choice.bFallback) {
            why = ": there is no palette " + Num(info.wPaletteId);
            aside = " (there is no palette " + Num(info.wPaletteId) + ")";
        }
    }

    switch (sprite.CheckFrame(nFrame, hasPalette, 0)) {
        case FrameFault::None:
            return bDrawn ? frame + " uses " + who + why + "." : notDrawn + "not enough memory.";
        case FrameFault::NoFrame:
            return frame + " is not in the sprite.";
        case FrameFault::NoPalette:
            if (!choice.pChunk) return notDrawn + NoPaletteText(info.wPaletteId, wCommon) + ".";
            return notDrawn + who + aside + " " + PaletteFaultText(choice.check) + ".";
        case FrameFault::ZeroSize:
            return notDrawn + "it is " + Num(info.wWidth) + " x " + Num(info.wHeight) + " pixels.";
        case FrameFault::TooLarge:
            return notDrawn + Num(info.wWidth) + " x " + Num(info.wHeight) +
                   " pixels is too large.";
        case FrameFault::Stream:
            return notDrawn + "its pixel data is damaged.";
    }
    return {};
}

std::string PixelStatus(CIffFile* pFile, const CSpr2& sprite, int nFrame, int x, int y) {
    Spr2Pixel pixel{};
    if (!sprite.ProbeFramePixel(pFile, nFrame, x, y, &pixel)) return {};
    const std::string where =
        "Pixel " + Num(static_cast<unsigned>(x)) + ", " + Num(static_cast<unsigned>(y)) + ": ";
    if (!pixel.bDrawn) return where + "nothing drawn (transparent)";
    Spr2FrameInfo info{};
    sprite.GetFrameInfo(&info, nFrame);
    const CIffChunk* pPalette = FindPalette(pFile, info.wPaletteId, sprite.GetPaletteId());
    if (!pPalette) return {};
    const BYTE* rgb = pPalette->m_pData.get() + 16 + 3 * pixel.bIndex;
    return where + "colour " + Num(pixel.bIndex) + " (red " + Num(rgb[0]) + ", green " +
           Num(rgb[1]) + ", blue " + Num(rgb[2]) + "), depth " + Num(pixel.bDepth) + ", alpha " +
           Num(pixel.bAlpha);
}

std::string SwatchStatus(WORD wId, const PaletteChoice& choice) {
    const std::string palette = "Palette " + Num(wId);
    if (!choice.pChunk) return "This file has no palettes.";
    if (choice.check.fault != PaletteFault::None)
        return palette + " can't be shown: it " + PaletteFaultText(choice.check) + ".";
    return palette + ": Ctrl+PgUp/PgDn for the others, Ctrl+P for the frame.";
}

std::string SwatchColorStatus(WORD wId, int index, RGBQUAD c) {
    return "Palette " + Num(wId) + ", colour " + Num(static_cast<unsigned>(index)) + ": red " +
           Num(c.rgbRed) + ", green " + Num(c.rgbGreen) + ", blue " + Num(c.rgbBlue);
}
