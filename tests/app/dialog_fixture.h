// The main dialog on the scripted window system, and the files its tests open.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "doubles/scripted_window_system.h"
#include "raster/gdi.h"

namespace apptest {

using namespace builders;
using namespace doubles;
using Boxes = std::vector<ShownMessageBox>;
using Ids = std::vector<WORD>;

// A sprite whose frames (3 x 2, all colour 5) name the given palettes.
inline ChunkSpec Sprite(WORD id, DWORD paletteId, const Ids& framePalettes,
                        const std::string& name = "") {
    Spr2Grid grid(3, 2);
    for (int i = 0; i < 6; ++i) grid.Set(i % 3, i / 3, 5);
    Spr2Spec layout{1000, paletteId};
    for (WORD p : framePalettes) layout.frames.push_back(FrameFromGrid(grid, p));
    return Spr2Chunk(id, layout, name);
}
// One colour throughout.
inline ChunkSpec Palette(WORD id, Rgb colour = {5, 5, 5}) {
    return PaltChunk(id, {1, 256, std::vector<Rgb>(256, colour)});
}
inline ChunkSpec BrokenSprite(WORD id) {
    return {"SPR2", id, 0x0010, "", {1, 2, 3}};
}
inline std::string WriteIff(const std::vector<ChunkSpec>& chunks,
                            const std::string& name = "dialog.iff") {
    const std::string path = TempPath(name);
    WriteFileBytes(path, BuildIff({"2.5", chunks}));
    return path;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }

    void Click(int id) { static_cast<CButton*>(dlg.GetDlgItem(id))->UserClick(); }
    void Browse(const std::string& path) {
        ws.ChooseFileAnswer(path);
        Click(IDC_BROWSE);
    }
    // Enabled flags of sprites, frames, common, item, Save, Quick and Manual Patch.
    std::string Enabled() const {
        std::string flags;
        for (int id : {IDC_SPRITES, IDC_FRAME, IDC_COMMON_PALETTE, IDC_ITEM_PALETTE, IDC_SAVE,
                       IDC_QUICK_PATCH, IDC_MANUAL_PATCH})
            flags += dlg.GetDlgItem(id)->IsWindowEnabled() ? '1' : '0';
        return flags;
    }
    Boxes Shown() {  // the message boxes since the last call
        Boxes boxes = ws.MessageBoxes();
        ws.ClearMessageBoxes();
        return boxes;
    }

    ScriptedWindowSystem ws;
    CPatchDlg dlg;
};

}  // namespace apptest
