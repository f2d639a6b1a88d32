#include "cli/info_document.h"

#include <vector>

#include "cli/json_text.h"
#include "cli/palette_table.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

namespace {

void WriteChunkList(JsonWriter& doc, CIffFile& iff) {
    doc.BeginArray("chunks");
    if (const CIffFileRecord* record = iff.GetRecord()) {
        for (POSITION pos = record->GetHeadPosition(); pos != nullptr;) {
            const CIffChunk* chunk = record->GetNext(pos);
            if (chunk == nullptr) continue;
            doc.BeginObject();
            const DWORD type = chunk->m_dwType;
            const char typeText[4] = {static_cast<char>(type >> 24), static_cast<char>(type >> 16),
                                      static_cast<char>(type >> 8), static_cast<char>(type)};
            doc.Latin1String("type", typeText, sizeof typeText);
            doc.Number("id", chunk->m_wID);
            doc.Number("flags", chunk->m_wFlags);
            doc.Latin1String("name", chunk->m_strName);
            doc.Number("size", chunk->m_dwSize);
            doc.End();
        }
    }
    doc.End();
}

void WritePaletteList(JsonWriter& doc, CIffFile& iff, const PaletteTable& palettes) {
    doc.BeginArray("palettes");
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
        CIffChunk* chunk = iff.GetNextByIdOfType(pos);
        if (chunk == nullptr) break;
        doc.BeginObject();
        doc.Number("id", chunk->m_wID);
        doc.Latin1String("name", chunk->m_strName);
        doc.Bool("valid", palettes.IsUsable(*chunk));
        doc.End();
    }
    doc.End();
}

void WriteFrame(JsonWriter& doc, const PaletteTable& palettes, const CSpr2& sprite, int frame,
                const Spr2FrameInfo& info) {
    // The same lookup and the same checks that drawing makes, so the answers cannot drift.
    const CIffChunk* palette = palettes.Find(info.wPaletteId, sprite.GetPaletteId());
    const BOOL drawable = sprite.IsFrameDrawable(frame, palette != nullptr, 0);
    doc.BeginObject();
    doc.Number("width", info.wWidth);
    doc.Number("height", info.wHeight);
    doc.Number("flags", info.dwFlags);
    doc.Number("palette", info.wPaletteId);
    doc.Number("field10", info.wField10);
    doc.Number("field12", info.wField12);
    doc.Number("field14", info.wField14);
    if (palette)
        doc.Number("palette_used", palette->m_wID);
    else
        doc.Null("palette_used");
    doc.Bool("drawable", drawable != FALSE);
    doc.End();
}

void WriteSprite(JsonWriter& doc, CIffFile& iff, const PaletteTable& palettes, CSpr2& sprite,
                 CIffChunk& chunk) {
    doc.BeginObject();
    doc.Number("id", chunk.m_wID);
    doc.Latin1String("name", chunk.m_strName);
    const bool decoded = sprite.Attach(&iff, &chunk) != FALSE;
    doc.Bool("decoded", decoded);
    if (decoded) {
        doc.Number("palette", sprite.GetPaletteId());
        doc.BeginArray("frames");
        const int count = static_cast<int>(sprite.m_frames.size());
        for (int i = 0; i < count; ++i) {
            Spr2FrameInfo info{};
            if (sprite.GetFrameInfo(&info, i)) WriteFrame(doc, palettes, sprite, i, info);
        }
        doc.End();
    }
    doc.End();
}

void WriteSpriteList(JsonWriter& doc, CIffFile& iff, const PaletteTable& palettes) {
    doc.BeginArray("sprites");
    CSpr2 sprite;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
        CIffChunk* chunk = iff.GetNextByIdOfType(pos);
        if (chunk == nullptr) break;
        WriteSprite(doc, iff, palettes, sprite, *chunk);
    }
    doc.End();
}

}  // namespace

void WriteInfoDocument(std::ostream& out, const std::string& fileArg, CIffFile& iff) {
    JsonWriter doc(out);
    doc.BeginObject();
    doc.String("file", ToUtf8Lenient(fileArg));
    doc.Latin1String("version", iff.GetVersion());
    WriteChunkList(doc, iff);
    const PaletteTable palettes(iff);
    WritePaletteList(doc, iff, palettes);
    // Read in a few large reads up front rather than one sprite at a time below.
    iff.LoadChunkDataOfType(IFF_TYPE_SPR2);
    WriteSpriteList(doc, iff, palettes);
    doc.End();
}
