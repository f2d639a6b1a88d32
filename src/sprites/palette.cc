#include "sprites/palette.h"

#include "base/byte_order.h"
#include "iff/iff_types.h"

namespace {
constexpr DWORD kPaltVersion = 1;
constexpr DWORD kPaltColors = 256;
}  // namespace

PaletteFault FindPaletteFault(const BYTE* pData, DWORD dwSize) {
    if (!pData) return PaletteFault::unreadable;
    if (dwSize < PALT_MIN_SIZE) return PaletteFault::tooShort;
    if (LoadLE32(pData) != kPaltVersion) return PaletteFault::version;
    if (LoadLE32(pData + 4) != kPaltColors) return PaletteFault::colours;
    return PaletteFault::none;
}

BOOL IsPaletteDataUsable(const BYTE* pData, DWORD dwSize) {
    return FindPaletteFault(pData, dwSize) == PaletteFault::none;
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
