// The palettes of a loaded container by ID, found usable or not in one pass of large
// reads in which no palette is loaded.
#pragma once

#include <map>

#include "iff/iff_file.h"
#include "sprites/palette.h"

class PaletteTable {
public:
    explicit PaletteTable(CIffFile& iff);

    bool IsUsable(const CIffChunk& palette) const { return Fault(palette) == PaletteFault::None; }
    PaletteFault Fault(const CIffChunk& palette) const;

    // What FindPalette gives for these IDs.
    const CIffChunk* Find(WORD paletteId, WORD fallbackPaletteId) const;

private:
    CIffFile& m_iff;
    // Only the palettes that cannot be used: most files have none, and a table of every
    // ID would cost more to clear than the rest of a check. A container holds one chunk
    // of a type per ID.
    std::map<WORD, PaletteFault> m_faults;
};
