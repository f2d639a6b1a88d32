#include "sprites/palette.h"

#include "iff/iff_types.h"
#include "platform/byte_order.h"

namespace {
constexpr DWORD kPaltVersion = 1;
constexpr DWORD kPaltColors = 256;
}  // namespace

BOOL IsPaletteUsable(CIffFile* pFile, CIffChunk* pChunk) {
    if (!pFile || !pChunk || !pFile->LoadChunkData(pChunk)) return FALSE;
    // Read in place, never through the cursor: a lookup must not move it.
    if (pChunk->m_dwSize < PALT_MIN_SIZE || !pChunk->m_pData) return FALSE;
    const BYTE* data = pChunk->m_pData.get();
    return LoadLE32(data) == kPaltVersion && LoadLE32(data + 4) == kPaltColors;
}

CIffChunk* FindPalette(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId) {
    if (!pFile) return nullptr;
    CIffChunk* pChunk = nullptr;
    // The fallback is only for a palette that is missing, not for one that is unusable.
    if (!pFile->FindChunk(&pChunk, IFF_TYPE_PALT, wPaletteId) &&
        !pFile->FindChunk(&pChunk, IFF_TYPE_PALT, wFallbackPaletteId)) {
        return nullptr;
    }
    return IsPaletteUsable(pFile, pChunk) ? pChunk : nullptr;
}
