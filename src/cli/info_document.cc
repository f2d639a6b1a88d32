#include "cli/info_document.h"

#include "cli/json_text.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

namespace {

void WriteChunkList(CJsonWriter& doc, CIffFile& iff) {
    doc.BeginArray("chunks");
    if (const CIffFileRecord* pRecord = iff.GetRecord()) {
        for (POSITION pos = pRecord->GetHeadPosition(); pos != nullptr;) {
            const CIffChunk* pChunk = pRecord->GetNext(pos);
            if (pChunk == nullptr) continue;
            doc.BeginObject();
            const DWORD type = pChunk->m_dwType;
            const char typeText[4] = {static_cast<char>(type >> 24), static_cast<char>(type >> 16),
                                      static_cast<char>(type >> 8), static_cast<char>(type)};
            doc.Latin1String("type", typeText, sizeof typeText);
            doc.Number("id", pChunk->m_wID);
            doc.Number("flags", pChunk->m_wFlags);
            doc.Latin1String("name", pChunk->m_strName);
            doc.Number("size", pChunk->m_dwSize);
            doc.End();
        }
    }
    doc.End();
}

void WritePaletteList(CJsonWriter& doc, CIffFile& iff) {
    doc.BeginArray("palettes");
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
        CIffChunk* pChunk = iff.GetNextByIdOfType(pos);
        if (pChunk == nullptr) break;
        doc.BeginObject();
        doc.Number("id", pChunk->m_wID);
        doc.Latin1String("name", pChunk->m_strName);
        doc.Bool("valid", IsPaletteUsable(&iff, pChunk) != FALSE);
        doc.End();
    }
    doc.End();
}

void WriteFrame(CJsonWriter& doc, CIffFile& iff, CSpr2& sprite, int nFrame,
                const Spr2FrameInfo& info) {
    // The same lookup and the same checks that drawing makes, so the answers cannot drift.
    const CIffChunk* pPalette = FindPalette(&iff, info.wPaletteId, sprite.GetPaletteId());
    const BOOL drawable = sprite.IsFrameDrawable(nFrame, pPalette != nullptr, 0);
    doc.BeginObject();
    doc.Number("width", info.wWidth);
    doc.Number("height", info.wHeight);
    doc.Number("flags", info.dwFlags);
    doc.Number("palette", info.wPaletteId);
    doc.Number("field10", info.wField10);
    doc.Number("field12", info.wField12);
    doc.Number("field14", info.wField14);
    if (pPalette)
        doc.Number("palette_used", pPalette->m_wID);
    else
        doc.Null("palette_used");
    doc.Bool("drawable", drawable != FALSE);
    doc.End();
}

void WriteSprite(CJsonWriter& doc, CIffFile& iff, CSpr2& sprite, CIffChunk& chunk) {
    doc.BeginObject();
    doc.Number("id", chunk.m_wID);
    doc.Latin1String("name", chunk.m_strName);
    const bool decoded = sprite.Attach(&iff, &chunk) != FALSE;
    doc.Bool("decoded", decoded);
    if (decoded) {
        doc.Number("palette", sprite.GetPaletteId());
        doc.BeginArray("frames");
        const int nRecords = static_cast<int>(sprite.m_frames.size());
        for (int i = 0; i < nRecords; ++i) {
            Spr2FrameInfo info{};
            if (sprite.GetFrameInfo(&info, i)) WriteFrame(doc, iff, sprite, i, info);
        }
        doc.End();
    }
    doc.End();
}

void WriteSpriteList(CJsonWriter& doc, CIffFile& iff) {
    doc.BeginArray("sprites");
    CSpr2 sprite;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
        CIffChunk* pChunk = iff.GetNextByIdOfType(pos);
        if (pChunk == nullptr) break;
        WriteSprite(doc, iff, sprite, *pChunk);
    }
    doc.End();
}

}  // namespace

void WriteInfoDocument(std::ostream& out, const std::string& fileArg, CIffFile& iff) {
    const CIffFileRecord* pRecord = iff.GetRecord();
    const char* version = pRecord ? reinterpret_cast<const char*>(pRecord->m_header) + 9 : "";
    CJsonWriter doc(out);
    doc.BeginObject();
    doc.String("file", ToUtf8Lenient(fileArg));
    doc.Latin1String("version", version, pRecord ? 3 : 0);
    WriteChunkList(doc, iff);
    // Read in a few large reads up front rather than one chunk at a time below.
    CIffManager::LoadChunkDataOfTypes(iff.GetHandle(), IFF_TYPE_PALT, IFF_TYPE_SPR2);
    WritePaletteList(doc, iff);
    WriteSpriteList(doc, iff);
    doc.End();
}
