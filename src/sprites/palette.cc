#include "sprites/palette.h"

#include "base/byte_order.h"
#include "iff/iff_types.h"

namespace {
constexpr DWORD kPaltVersion = 1;
constexpr DWORD kPaltColors = 256;
}  // namespace

BOOL IsPaletteDataUsable(const BYTE* pData, DWORD dwSize) {
    return CheckPaletteData(pData, dwSize).fault == PaletteFault::None;
}

PaletteCheck CheckPaletteData(const BYTE* pData, DWORD dwSize) {
    PaletteCheck check{PaletteFault::None, dwSize, 0, 0};
    if (!pData) {
        check.fault = PaletteFault::Unreadable;
        return check;
    }
    if (dwSize >= 8) {
        check.dwVersion = LoadLE32(pData);
        check.dwColors = LoadLE32(pData + 4);
    }
    if (dwSize < PALT_MIN_SIZE)
        check.fault = PaletteFault::Length;
    else if (check.dwVersion != kPaltVersion)
        check.fault = PaletteFault::Version;
    else if (check.dwColors != kPaltColors)
        check.fault = PaletteFault::ColorCount;
    return check;
}

PaletteChoice ChoosePalette(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId) {
    PaletteChoice choice{FindPaletteChunk(pFile, wPaletteId, wFallbackPaletteId),
                         false,
                         {PaletteFault::Unreadable, 0, 0, 0}};
    if (!choice.pChunk) return choice;
    choice.bFallback = choice.pChunk->m_wID != wPaletteId;
    const bool loaded = pFile->LoadChunkData(choice.pChunk) != FALSE;
    choice.check =
        CheckPaletteData(loaded ? choice.pChunk->m_pData.get() : nullptr, choice.pChunk->m_dwSize);
    return choice;
}

BOOL IsPaletteUsable(CIffFile* pFile, CIffChunk* pChunk) {
    if (!pFile || !pChunk || !pFile->LoadChunkData(pChunk)) return FALSE;
    // Read in place, never through the cursor: a lookup must not move it.
    return IsPaletteDataUsable(pChunk->m_pData.get(), pChunk->m_dwSize);
}

CIffChunk* FindPaletteChunk(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId) {
    if (!pFile) return nullptr;
    CIffChunk* pChunk = nullptr;
    // The fallback is only for a palette that is missing, not for one that is unusable.
    if (!pFile->FindChunk(&pChunk, IFF_TYPE_PALT, wPaletteId) &&
        !pFile->FindChunk(&pChunk, IFF_TYPE_PALT, wFallbackPaletteId)) {
        return nullptr;
    }
    return pChunk;
}

CIffChunk* FindPalette(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId) {
    CIffChunk* pChunk = FindPaletteChunk(pFile, wPaletteId, wFallbackPaletteId);
    return pChunk && IsPaletteUsable(pFile, pChunk) ? pChunk : nullptr;
}

void GetPaletteColors(const CIffChunk& palette, RGBQUAD colors[256]) {
    const BYTE* rgb = palette.m_pData.get() + 16;
    for (int i = 0; i < 256; ++i, rgb += 3) colors[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
}
