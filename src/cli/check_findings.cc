#include "cli/check_findings.h"

#include <memory>

#include "cli/json_text.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"

namespace {

using Json = nlohmann::ordered_json;

}  // namespace

std::string PaletteFaultText(PaletteFault fault, const CIffChunk& palette) {
    switch (fault) {
        case PaletteFault::Unreadable:
            return "its data cannot be read";
        case PaletteFault::Length:
            return "it has " + std::to_string(palette.m_dwSize) + " bytes, " +
                   std::to_string(PALT_MIN_SIZE) + " needed";
        case PaletteFault::Version:
            return "its version is not 1";
        case PaletteFault::ColorCount:
            return "it does not have 256 colours";
        case PaletteFault::None:
            break;
    }
    return "it is usable";
}

void FileCheck::Run() {
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
        const CIffChunk* chunk = m_iff.GetNextByIdOfType(pos);
        if (!chunk) break;
        const PaletteFault fault = m_palettes.Fault(*chunk);
        if (fault == PaletteFault::None) continue;
        Finding f;
        f.fields = {{"kind", "unusable_palette"},
                    {"palette", chunk->m_wID},
                    {"reason", PaletteFaultText(fault, *chunk)}};
        f.text =
            "palette " + Named(*chunk) + ": cannot be used: " + PaletteFaultText(fault, *chunk);
        paletteFindings.push_back(std::move(f));
    }
    m_iff.LoadChunkDataOfType(IFF_TYPE_SPR2);
    // Every sprite is decoded first, so that all the file's streams are walked at once.
    struct Decoded {
        CIffChunk* chunk;
        std::unique_ptr<CSpr2> sprite;
        bool ok;
        size_t firstQuery;
    };
    std::vector<Decoded> decoded;
    for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
        CIffChunk* chunk = m_iff.GetNextByIdOfType(pos);
        if (!chunk) break;
        auto sprite = std::make_unique<CSpr2>();
        const bool ok = sprite->AttachForReading(&m_iff, chunk) != FALSE;
        decoded.push_back({chunk, std::move(sprite), ok, 0});
    }
    std::vector<Spr2StreamQuery> streams;
    for (Decoded& d : decoded) {
        d.firstQuery = streams.size();
        if (!d.ok) continue;
        for (const Spr2FrameInfo& f : d.sprite->m_frames) streams.push_back({&f, f.wHeight, 0, FALSE});
    }
    AreSpr2StreamsAccepted(streams.data(), streams.size());
    for (const Decoded& d : decoded) {
        SpriteFindings s{d.chunk, {}};
        CheckSprite(*d.sprite, d.ok, *d.chunk, streams.data() + d.firstQuery, s.findings);
        if (!s.findings.empty()) sprites.push_back(std::move(s));
    }
}

std::string FileCheck::Named(const CIffChunk& chunk) {
    std::string text = std::to_string(chunk.m_wID);
    if (!chunk.m_strName.empty()) text += " \"" + Latin1ToUtf8(chunk.m_strName) + "\"";
    return text;
}

size_t FileCheck::Count() const {
    size_t n = paletteFindings.size();
    for (const SpriteFindings& s : sprites) n += s.findings.size();
    return n;
}

// "palette 5: not in the file" or "palette 5: cannot be used: ..."
std::string FileCheck::PaletteState(WORD id, const CIffChunk* chunk) const {
    const std::string name = "palette " + std::to_string(id);
    if (!chunk) return name + ": not in the file";
    const PaletteFault fault = m_palettes.Fault(*chunk);
    if (fault == PaletteFault::None) return name + ": usable";
    return name + ": cannot be used: " + PaletteFaultText(fault, *chunk);
}

CIffChunk* FileCheck::PaletteChunk(WORD id) const {
    CIffChunk* chunk = nullptr;
    return m_iff.FindChunk(&chunk, IFF_TYPE_PALT, id) ? chunk : nullptr;
}

void FileCheck::CheckSprite(const CSpr2& sprite, bool decoded, const CIffChunk& chunk,
                            const Spr2StreamQuery* streams, std::vector<Finding>& out) {
    ++spritesSeen;
    if (!decoded) {
        Finding f;
        f.fields = {{"kind", "undecodable_sprite"}, {"sprite", chunk.m_wID}};
        f.text = "does not decode";
        out.push_back(std::move(f));
        return;
    }
    const WORD fallback = sprite.GetPaletteId();
    const int count = static_cast<int>(sprite.m_frames.size());
    for (int i = 0; i < count; ++i) {
        Spr2FrameInfo info{};
        if (!sprite.GetFrameInfo(&info, i)) continue;
        ++framesSeen;
        CheckFrame(sprite, chunk, i, info, fallback, streams[i].bAccepted, out);
    }
}

void FileCheck::CheckFrame(const CSpr2& sprite, const CIffChunk& chunk, int frame,
                           const Spr2FrameInfo& info, WORD fallback, BOOL streamAccepted,
                           std::vector<Finding>& out) {
    // The lookup drawing makes: the frame's own palette when the file has one of that
    // ID, usable or not; otherwise the sprite's.
    const WORD own = info.wPaletteId;
    const CIffChunk* ownChunk = PaletteChunk(own);
    const CIffChunk* fallbackChunk = ownChunk ? nullptr : PaletteChunk(fallback);
    const CIffChunk* used = m_palettes.Find(own, fallback);
    Finding f;
    const auto fields = [&](const char* kind) {
        return Json{{"kind", kind}, {"sprite", chunk.m_wID}, {"frame", frame}, {"palette", own}};
    };
    if (sprite.CheckFrame(frame, used != nullptr, 0, &streamAccepted) != FrameFault::None) {
        std::string why;
        if (!used) {
            why = "no usable palette (" + PaletteState(own, ownChunk);
            if (!ownChunk) why += "; the sprite's " + PaletteState(fallback, fallbackChunk);
            why += ")";
        } else if (info.wWidth == 0 || info.wHeight == 0) {
            why = "it is " + std::to_string(info.wWidth) + " x " + std::to_string(info.wHeight) +
                  " pixels";
        } else if (!IsFrameSizeDrawable(info.wWidth, info.wHeight)) {
            why = "it is too large to draw (" + std::to_string(info.wWidth) + " x " +
                  std::to_string(info.wHeight) + " pixels)";
        } else {
            why = "its pixel data is damaged";
        }
        f.fields = fields("undrawable_frame");
        if (!ownChunk) f.fields["fallback"] = fallback;
        f.fields["reason"] = why;
        f.text = "frame " + std::to_string(frame) + ": cannot be drawn: " + why;
        out.push_back(std::move(f));
        return;
    }
    // What Quick Patch makes: the invalid ID standing for the sprite's palette.
    if (ownChunk || own == INVALID_PALETTE_ID) return;
    f.fields = fields("missing_palette");
    f.fields["fallback"] = fallback;
    f.fields["fallback_usable"] = true;
    f.text = "frame " + std::to_string(frame) + ": palette " + std::to_string(own) +
             " is not in the file; the sprite's palette " + std::to_string(fallback) +
             " is used instead, which is usable";
    out.push_back(std::move(f));
}
