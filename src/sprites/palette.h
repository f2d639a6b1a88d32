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

// Why a palette's data is not usable, the first reason that applies; `none` when it is.
enum class PaletteFault { none, unreadable, tooShort, version, colours };
PaletteFault FindPaletteFault(const BYTE* pData, DWORD dwSize);
