#include "cli/info_document.h"

#include "cli/json_text.h"
#include "iff/iff_types.h"
#include "platform/bitmap.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

using nlohmann::ordered_json;

namespace {

std::string TypeText(DWORD type) {
    const char bytes[4] = {static_cast<char>(type >> 24), static_cast<char>(type >> 16),
                           static_cast<char>(type >> 8), static_cast<char>(type)};
    return Latin1ToUtf8(std::string(bytes, 4));
}

void WriteChunkList(CJsonObjectWriter& doc, CIffFile& iff) {
    doc.BeginArray("chunks");
    if (const CIffFileRecord* pRecord = iff.GetRecord()) {
        for (POSITION pos = pRecord->GetHeadPosition(); pos != nullptr;) {
            const CIffChunk* pChunk = pRecord->GetNext(pos);
            if (pChunk == nullptr) continue;
            doc.Item({{"type", TypeText(pChunk->m_dwType)},
                      {"id", pChunk->m_wID},
                      {"flags", pChunk->m_wFlags},
                      {"name", Latin1ToUtf8(pChunk->m_strName)},
                      {"size", pChunk->m_dwSize}});
        }
    }
    doc.EndArray();
}

void WritePaletteList(CJsonObjectWriter& doc, CIffFile& iff) {
    doc.BeginArray("palettes");
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
        CIffChunk* pChunk = iff.GetNextByIdOfType(pos);
        if (pChunk == nullptr) break;
        doc.Item({{"id", pChunk->m_wID},
                  {"name", Latin1ToUtf8(pChunk->m_strName)},
                  {"valid", IsPaletteUsable(&iff, pChunk) != FALSE}});
    }
    doc.EndArray();
}

ordered_json FrameEntry(CIffFile& iff, CSpr2& sprite, int nFrame, const Spr2FrameInfo& info) {
    // The same lookup and the same builder that drawing uses, so the answers cannot drift.
    const CIffChunk* pPalette = FindPalette(&iff, info.wPaletteId, sprite.GetPaletteId());
    CBitmap color, depth, alpha;
    const BOOL drawable = sprite.BuildFrameBitmaps(&iff, nFrame, &color, &depth, &alpha,
                                                   RGBQUAD{0xF0, 0xF0, 0xF0, 0}, 0, 0, 0);
    return {{"width", info.wWidth},
            {"height", info.wHeight},
            {"flags", info.dwFlags},
            {"palette", info.wPaletteId},
            {"field10", info.wField10},
            {"field12", info.wField12},
            {"field14", info.wField14},
            {"palette_used", pPalette ? ordered_json(pPalette->m_wID) : ordered_json(nullptr)},
            {"drawable", drawable != FALSE}};
}

ordered_json SpriteEntry(CIffFile& iff, CSpr2& sprite, CIffChunk& chunk) {
    ordered_json entry = {{"id", chunk.m_wID}, {"name", Latin1ToUtf8(chunk.m_strName)}};
    if (!sprite.Attach(&iff, &chunk)) {
        entry["decoded"] = false;
        return entry;
    }
    entry["decoded"] = true;
    entry["palette"] = sprite.GetPaletteId();
    ordered_json frames = ordered_json::array();
    const int nRecords = static_cast<int>(sprite.m_frames.size());
    for (int i = 0; i < nRecords; ++i) {
        Spr2FrameInfo info{};
        if (sprite.GetFrameInfo(&info, i)) frames.push_back(FrameEntry(iff, sprite, i, info));
    }
    entry["frames"] = std::move(frames);
    return entry;
}

void WriteSpriteList(CJsonObjectWriter& doc, CIffFile& iff) {
    doc.BeginArray("sprites");
    CSpr2 sprite;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
        CIffChunk* pChunk = iff.GetNextByIdOfType(pos);
        if (pChunk == nullptr) break;
        doc.Item(SpriteEntry(iff, sprite, *pChunk));
    }
    doc.EndArray();
}

}  // namespace

void WriteInfoDocument(std::ostream& out, const std::string& fileArg, CIffFile& iff) {
    std::string version;
    if (const CIffFileRecord* pRecord = iff.GetRecord())
        version.assign(reinterpret_cast<const char*>(pRecord->m_header) + 9, 3);
    CJsonObjectWriter doc(out);
    doc.Member("file", ToUtf8Lenient(fileArg));
    doc.Member("version", Latin1ToUtf8(version));
    WriteChunkList(doc, iff);
    // Read in a few large reads up front rather than one chunk at a time below.
    CIffManager::LoadChunkDataOfTypes(iff.GetHandle(), IFF_TYPE_PALT, IFF_TYPE_SPR2);
    WritePaletteList(doc, iff);
    WriteSpriteList(doc, iff);
    doc.End();
}
