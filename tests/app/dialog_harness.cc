#include "dialog_harness.h"

#include "iff/iff_types.h"
#include "platform/gdi.h"

namespace apptest {

Spr2FrameSpec Frame(WORD paletteId, int w, int h, int color) {
    Spr2Grid grid(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) grid.Set(x, y, color);
    return FrameFromGrid(grid, paletteId);
}

ChunkSpec Sprite(WORD id, DWORD paletteId, std::vector<Spr2FrameSpec> frames,
                 const std::string& name) {
    Spr2Spec spec;
    spec.paletteId = paletteId;
    spec.frames = std::move(frames);
    return Spr2Chunk(id, spec, name);
}

ChunkSpec Palette(WORD id) {
    return PaltChunk(id, TestPalette());
}

ChunkSpec FlatPalette(WORD id, Rgb colour) {
    PaltSpec spec;
    spec.colors.assign(256, colour);
    return PaltChunk(id, spec);
}

ChunkSpec BrokenSprite(WORD id) {
    ChunkSpec chunk;
    chunk.type = "SPR2";
    chunk.id = id;
    chunk.data = {1, 2, 3};
    return chunk;
}

std::string WriteIff(const std::vector<ChunkSpec>& chunks) {
    IffSpec spec;
    spec.chunks = chunks;
    const std::string path = TempPath("dialog.iff");
    WriteFileBytes(path, BuildIff(spec));
    return path;
}

PaletteIds ContainerPalettes(CIffFile& iff) {
    PaletteIds ids;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos;) {
        CIffChunk* chunk = iff.GetNextByIdOfType(pos);
        CSpr2 sprite;
        std::vector<WORD>& out = ids[chunk->m_wID];
        if (!sprite.Attach(&iff, chunk)) continue;
        out.push_back(sprite.GetPaletteId());
        for (const Spr2FrameInfo& f : sprite.m_frames) out.push_back(f.wPaletteId);
    }
    return ids;
}

PaletteIds DiskPalettes(const std::string& path) {
    CIffFile iff;
    EXPECT_TRUE(LoadIffBytes(iff, ReadFileBytes(path)));
    return ContainerPalettes(iff);
}

std::string DialogTest::Enabled() const {
    const CWnd* const controls[] = {&dlg.m_lbSprites,     &dlg.m_cbFrame, &dlg.m_cbCommonPalette,
                                    &dlg.m_cbItemPalette, &dlg.m_btnSave, &dlg.m_btnQuickPatch,
                                    &dlg.m_btnManualPatch};
    std::string flags;
    for (const CWnd* w : controls) flags += w->IsWindowEnabled() ? '1' : '0';
    return flags;
}

std::vector<ShownMessageBox> DialogTest::Boxes() {
    std::vector<ShownMessageBox> boxes = ws.MessageBoxes();
    ws.ClearMessageBoxes();
    return boxes;
}

COLORREF DialogTest::PreviewPixel(int x, int y) const {
    const CBitmap* bitmap = dlg.m_preview.m_pBitmap;
    return bitmap ? GetBitmapPixel(*bitmap, x, y) : CLR_INVALID;
}

}  // namespace apptest
