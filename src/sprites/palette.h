// PALT palettes: lookup by a frame's ID with the sprite's as fallback.
#pragma once

#include "base/types.h"
#include "iff/iff_file.h"

constexpr WORD INVALID_PALETTE_ID = 41891;  // 0xA3A3
constexpr DWORD PALT_MIN_SIZE = 784;        // 16 header bytes + 256 * 3 colours

// The PALT chunk a frame's palette IDs name, usable or not: the frame's own, or the
// fallback when there is no chunk of the frame's ID; NULL when neither is there.
CIffChunk* FindPaletteChunk(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId);

// The PALT chunk whose loaded data drawing uses, or NULL: FindPaletteChunk's, when it is
// usable. Colour k: red, green and blue at data offsets 16 + 3k, 17 + 3k, 18 + 3k.
CIffChunk* FindPalette(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId);

// Whether a PALT chunk's data loads and is usable: version 1, 256 colours, 784 bytes.
BOOL IsPaletteUsable(CIffFile* pFile, CIffChunk* pChunk);
// The same test on data at hand; NULL for data that could not be loaded.
BOOL IsPaletteDataUsable(const BYTE* pData, DWORD dwSize);

// Why a palette's data is not usable, for telling the user.
enum class PaletteFault { None, Unreadable, Length, Version, ColorCount };
struct PaletteCheck {
    PaletteFault fault;
    DWORD dwSize;     // bytes of data
    DWORD dwVersion;  // as stored, when there are enough bytes
    DWORD dwColors;
};
PaletteCheck CheckPaletteData(const BYTE* pData, DWORD dwSize);

// Which palette draws a frame and why: the frame's own, the sprite's common one when no
// chunk has the frame's ID, or none.
struct PaletteChoice {
    CIffChunk* pChunk;  // NULL: neither ID names a palette
    bool bFallback;     // pChunk is the common palette
    PaletteCheck check;
};
PaletteChoice ChoosePalette(CIffFile* pFile, WORD wPaletteId, WORD wFallbackPaletteId);

// The 256 colours of a usable palette's loaded data (rgbReserved 0).
void GetPaletteColors(const CIffChunk& palette, RGBQUAD colors[256]);
