#include "cli/palette_table.h"

#include "iff/iff_types.h"

PaletteTable::PaletteTable(CIffFile& iff) : m_iff(iff), m_faults(0x10000, PaletteFault::None) {
    iff.VisitChunkDataOfType(IFF_TYPE_PALT, [this](const CIffChunk& chunk, const BYTE* data) {
        m_faults[chunk.m_wID] = CheckPaletteData(data, chunk.m_dwSize).fault;
    });
}

const CIffChunk* PaletteTable::Find(WORD paletteId, WORD fallbackPaletteId) const {
    const CIffChunk* chunk = FindPaletteChunk(&m_iff, paletteId, fallbackPaletteId);
    return chunk && IsUsable(*chunk) ? chunk : nullptr;
}
