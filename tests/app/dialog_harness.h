// Drives the main dialog the way a user would, through the scripted window system, on
// files written for the test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/patch_dlg.h"
#include "app/resource.h"
#include "support/iff_builder.h"
#include "support/scripted_window_system.h"
#include "support/spr2_builder.h"

namespace apptest {

using namespace testsupport;

// A frame of w x h pixels all in colour index `color`.
Spr2FrameSpec Frame(WORD paletteId, int w = 3, int h = 2, int color = 5);
ChunkSpec Sprite(WORD id, DWORD paletteId, std::vector<Spr2FrameSpec> frames,
                 const std::string& name = "");
ChunkSpec Palette(WORD id);                  // every colour differs (TestColor)
ChunkSpec FlatPalette(WORD id, Rgb colour);  // one colour throughout
ChunkSpec BrokenSprite(WORD id);             // does not decode

std::string WriteIff(const std::vector<ChunkSpec>& chunks);

// For each SPR2 chunk by ID: the sprite-wide palette ID, then each frame's own; empty
// when the sprite does not decode.
using PaletteIds = std::map<WORD, std::vector<WORD>>;
PaletteIds ContainerPalettes(CIffFile& iff);
PaletteIds DiskPalettes(const std::string& path);

template <class Control>
std::vector<std::string> Texts(const Control& c) {
    std::vector<std::string> out;
    for (const ListEntry& e : c.GetEntries()) out.push_back(e.text);
    return out;
}
template <class Control>
std::vector<DWORD_PTR> Data(const Control& c) {
    std::vector<DWORD_PTR> out;
    for (const ListEntry& e : c.GetEntries()) out.push_back(e.data);
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
    std::string Enabled() const;
    // The message boxes shown since the last call.
    std::vector<ShownMessageBox> Boxes();
    std::string FileEditText() const { return dlg.GetDlgItem(IDC_FILE)->GetWindowText(); }
    // Colour of a pixel of the bitmap the preview shows.
    COLORREF PreviewPixel(int x, int y) const;

    ScriptedWindowSystem ws;
    CPatchDlg dlg;
};

}  // namespace apptest
