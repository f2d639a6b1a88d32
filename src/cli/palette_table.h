// The palettes of a loaded container by ID, found usable or not in one pass of large
// reads in which no palette is loaded.
#pragma once

#include <vector>

#include "iff/iff_file.h"
#include "sprites/palette.h"

class PaletteTable {
public:
    explicit PaletteTable(CIffFile& iff);

    bool IsUsable(const CIffChunk& palette) const { return Fault(palette) == PaletteFault::None; }
    PaletteFault Fault(const CIffChunk& palette) const { return m_faults[palette.m_wID]; }

    // What FindPalette gives for these IDs.
    const CIffChunk* Find(WORD paletteId, WORD fallbackPaletteId) const;

private:
    CIffFile& m_iff;
    std::vector<PaletteFault> m_faults;  // a container holds one chunk of a type per ID
};
