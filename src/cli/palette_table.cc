#include "cli/palette_table.h"

#include "iff/iff_types.h"

PaletteTable::PaletteTable(CIffFile& iff) : m_iff(iff) {
    iff.VisitChunkDataOfType(IFF_TYPE_PALT, [this](const CIffChunk& chunk, const BYTE* data) {
        const PaletteFault fault = CheckPaletteData(data, chunk.m_dwSize).fault;
        if (fault != PaletteFault::None) m_faults[chunk.m_wID] = fault;
    });
}

PaletteFault PaletteTable::Fault(const CIffChunk& palette) const {
    const auto found = m_faults.find(palette.m_wID);
    return found == m_faults.end() ? PaletteFault::None : found->second;
}

const CIffChunk* PaletteTable::Find(WORD paletteId, WORD fallbackPaletteId) const {
    const CIffChunk* chunk = FindPaletteChunk(&m_iff, paletteId, fallbackPaletteId);
    return chunk && IsUsable(*chunk) ? chunk : nullptr;
}
