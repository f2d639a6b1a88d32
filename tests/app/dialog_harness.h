// Drives the main dialog the way a user would, through the scripted window system, on
// files written for the test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/patch_dlg.h"
#include "app/resource.h"
#include "iff/iff_types.h"
#include "platform/gdi.h"
#include "support/iff_builder.h"
#include "support/scripted_window_system.h"
#include "support/spr2_builder.h"

namespace apptest {

using namespace testsupport;
using Boxes = std::vector<ShownMessageBox>;
using Strings = std::vector<std::string>;

// A sprite whose frames (w x h, all colour 5) name the given palettes.
inline ChunkSpec Sprite(WORD id, DWORD paletteId, const std::vector<WORD>& framePalettes, int w = 3,
                        const std::string& name = "") {
    Spr2Grid grid(w, 2);
    for (int i = 0; i < w * 2; ++i) grid.Set(i % w, i / w, 5);
    Spr2Spec spec;
    spec.paletteId = paletteId;
    for (WORD p : framePalettes) spec.frames.push_back(FrameFromGrid(grid, p));
    return Spr2Chunk(id, spec, name);
}
inline ChunkSpec Palette(WORD id) {
    return PaltChunk(id, TestPalette());
}
inline ChunkSpec FlatPalette(WORD id, Rgb colour) {
    PaltSpec spec;
    spec.colors.assign(256, colour);
    return PaltChunk(id, spec);
}
inline ChunkSpec BrokenSprite(WORD id) {
    ChunkSpec chunk;
    chunk.type = "SPR2";
    chunk.id = id;
    chunk.data = {1, 2, 3};
    return chunk;
}
inline std::string WriteIff(const std::vector<ChunkSpec>& chunks) {
    IffSpec spec;
    spec.chunks = chunks;
    const std::string path = TempPath("dialog.iff");
    WriteFileBytes(path, BuildIff(spec));
    return path;
}

// For each sprite by ID: its own palette ID, then each frame's; empty when it does not
// decode.
using PaletteIds = std::map<WORD, std::vector<WORD>>;
inline PaletteIds ContainerPalettes(CIffFile& iff) {
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
inline PaletteIds DiskPalettes(const std::string& path) {
    CIffFile iff;
    EXPECT_TRUE(LoadIffBytes(iff, ReadFileBytes(path)));
    return ContainerPalettes(iff);
}

template <class Control>
Strings Texts(const Control& c) {
    Strings out;
    for (const ListEntry& e : c.GetEntries()) out.push_back(e.text);
    return out;
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest() { ws.SetSysColor(COLOR_3DFACE, RGB(10, 20, 30)); }
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }

    void Click(int id) { static_cast<CButton*>(dlg.GetDlgItem(id))->UserClick(); }
    void Browse(const std::string& path) {
        ws.ChooseFileAnswer(path);
        Click(IDC_BROWSE);
    }
    // Enabled flags of sprites, frames, common, item, Save, Quick and Manual Patch.
    std::string Enabled() const {
        const CWnd* const controls[] = {
            &dlg.m_lbSprites, &dlg.m_cbFrame,       &dlg.m_cbCommonPalette, &dlg.m_cbItemPalette,
            &dlg.m_btnSave,   &dlg.m_btnQuickPatch, &dlg.m_btnManualPatch};
        std::string flags;
        for (const CWnd* w : controls) flags += w->IsWindowEnabled() ? '1' : '0';
        return flags;
    }
    Boxes Shown() {  // the message boxes since the last call
        Boxes boxes = ws.MessageBoxes();
        ws.ClearMessageBoxes();
        return boxes;
    }
    COLORREF PreviewPixel() const {
        const CBitmap* bitmap = dlg.m_preview.m_pBitmap;
        return bitmap ? GetBitmapPixel(*bitmap, 0, 0) : CLR_INVALID;
    }
    static COLORREF Color5() { return RGB(TestColor(5).r, TestColor(5).g, TestColor(5).b); }

    ScriptedWindowSystem ws;
    CPatchDlg dlg;
};

}  // namespace apptest
