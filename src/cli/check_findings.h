// The findings of check: what stands in the way of patching a file, found without
// writing anything. The overview page marks the same findings.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/palette_table.h"
#include "iff/iff_file.h"
#include "sprites/render.h"
#include "sprites/spr2.h"

// Why a palette cannot be used, in words ("it has 700 bytes, 784 needed").
std::string PaletteFaultText(PaletteFault fault, const CIffChunk& palette);

// One thing found; `text` says it for people, the other members for scripts.
struct Finding {
    nlohmann::ordered_json fields;
    std::string text;
};

struct SpriteFindings {
    const CIffChunk* chunk;
    std::vector<Finding> findings;
};

class FileCheck {
public:
    explicit FileCheck(CIffFile& iff) : m_iff(iff), m_palettes(iff) {}

    // Looks at every palette and sprite; loads the sprites' data.
    void Run();

    // "5" or "5 \"name\"", the name as UTF-8.
    static std::string Named(const CIffChunk& chunk);

    size_t Count() const;
    const PaletteTable& Palettes() const { return m_palettes; }

    std::vector<Finding> paletteFindings;
    std::vector<SpriteFindings> sprites;  // only those with findings
    long long spritesSeen = 0, framesSeen = 0;

private:
    std::string PaletteState(WORD id, const CIffChunk* chunk) const;
    CIffChunk* PaletteChunk(WORD id) const;
    // streams: the answers for the sprite's frames, in order.
    void CheckSprite(const CSpr2& sprite, bool decoded, const CIffChunk& chunk,
                     const Spr2StreamQuery* streams, std::vector<Finding>& out);
    void CheckFrame(const CSpr2& sprite, const CIffChunk& chunk, int frame,
                    const Spr2FrameInfo& info, WORD fallback, BOOL streamAccepted,
                    std::vector<Finding>& out);

    CIffFile& m_iff;
    PaletteTable m_palettes;
};
