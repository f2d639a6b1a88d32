// The status line under the preview: which palette draws the frame and why, why nothing is
// drawn, the pixel under the cursor; and that the dialog keeps it current.
#include <string>
#include <vector>

#include "app/palette_status.h"
#include "dialog_fixture.h"
#include "preview/preview_geometry.h"
#include "sprites/palette.h"

namespace {

using namespace apptest;
using S = Spr2Stream;

// 3 x 2: colour 5 at (0, 0) and (1, 0) at depth 30; nothing drawn at (2, 0) nor below.
const Bytes kPixels = S().StartRow().DepthRun({{30, 5}, {30, 5}}).End();

Spr2FrameSpec Frame(WORD palette, Bytes stream = kPixels, WORD width = 3) {
    return {width, 2, 0, palette, 0, 0, 0, stream};
}

ChunkSpec FramedSprite(WORD id, DWORD common, std::vector<Spr2FrameSpec> frames) {
    return Spr2Chunk(id, {1000, common, std::move(frames)});
}

// Palettes: 1 usable; 2 of version 3; 3 of 16 colours; 4 of 700 bytes.
std::vector<ChunkSpec> Palettes() {
    return {PaltChunk(1, TestPalette()), PaltChunk(2, {3, 256, {}, 784}),
            PaltChunk(3, {1, 16, {}, 784}), PaltChunk(4, {1, 256, {}, 700})};
}

TEST(PaletteStatus, EveryReasonInWords) {
    std::vector<ChunkSpec> chunks = Palettes();
    chunks.push_back(FramedSprite(10, 1,
                                  {Frame(1), Frame(31092), Frame(INVALID_PALETTE_ID), Frame(2),
                                   Frame(1, kPixels, 0), Frame(1, S().Command(7, 0))}));
    chunks.push_back(FramedSprite(20, 3827, {Frame(31092), Frame(3827)}));
    chunks.push_back(FramedSprite(30, 3, {Frame(31092)}));
    CIffFile iff;
    ASSERT_TRUE(LoadChunks(iff, chunks));
    auto status = [&](WORD id, int frame, bool drawn = true) {
        CIffChunk* chunk = nullptr;
        CSpr2 sprite;
        if (!iff.FindChunk(&chunk, IFF_TYPE_SPR2, id) || !sprite.Attach(&iff, chunk))
            return std::string("?");
        return FrameStatus(&iff, sprite, frame, drawn);
    };
    const std::string no = " can't be drawn: ";
    EXPECT_EQ(status(10, 0), "Frame 0 uses its own palette 1.");
    EXPECT_EQ(status(10, 1),
              "Frame 1 uses the sprite's common palette 1: there is no palette 31092.");
    EXPECT_EQ(status(10, 2),
              "Frame 2 uses the sprite's common palette 1, as its ID is 41891 (invalid).");
    EXPECT_EQ(status(10, 3), "Frame 3" + no + "its own palette 2 is version 3 (must be 1).");
    EXPECT_EQ(status(10, 4), "Frame 4" + no + "it is 0 x 2 pixels.");
    EXPECT_EQ(status(10, 5), "Frame 5" + no + "its pixel data is damaged.");
    EXPECT_EQ(status(10, 0, false), "Frame 0" + no + "not enough memory.");
    EXPECT_EQ(status(20, 0), "Frame 0" + no + "neither palette 31092 nor 3827 is in the file.");
    EXPECT_EQ(status(20, 1), "Frame 1" + no + "there is no palette 3827 in the file.");
    EXPECT_EQ(status(30, 0), "Frame 0" + no +
                                 "the sprite's common palette 3 (there is no palette 31092) has "
                                 "16 colours (must be 256).");
}

class StatusLineTest : public DialogTest {
protected:
    std::string Status() const { return dlg.GetDlgItem(IDC_STATUS)->GetWindowText(); }
    // The status with the mouse over frame pixel (x, y) of the centred 3 x 2 picture at 1x.
    std::string Hover(int x, int y) {
        CRect rc;
        dlg.m_preview.GetClientRect(&rc);
        dlg.m_preview.UserMouseMove(0, (rc.right - 3) / 2 + x, (rc.bottom - 2) / 2 + y);
        return Status();
    }
};

// Updated by every frame shown, palette edit and patch; each way of having no frame. The
// busy cursor shows while Browse, a patch or Save runs, and only then.
TEST_F(StatusLineTest, FollowsFramesEditsPatchesAndSaysWhyNothingIsShown) {
    EXPECT_EQ(Status(), "");
    Browse(WriteIff({}));
    EXPECT_EQ(Status(), "This file has no sprites.");
    std::vector<ChunkSpec> chunks = Palettes();
    chunks.insert(chunks.end(), {FramedSprite(10, 1, {Frame(1), Frame(9)}), FramedSprite(20, 1, {}),
                                 BrokenSprite(30)});
    Browse(WriteIff(chunks));
    EXPECT_EQ(Status(), "Frame 0 uses its own palette 1.");
    dlg.m_cbFrame.UserSelect(1);
    EXPECT_EQ(Status(), "Frame 1 uses the sprite's common palette 1: there is no palette 9.");
    dlg.m_cbItemPalette.UserEditText("4");
    EXPECT_EQ(Status(), "Frame 1 can't be drawn: its own palette 4 is 700 bytes long (needs 784).");
    dlg.m_lbSprites.UserSelect(1);
    EXPECT_EQ(Status(), "Sprite 20 has no frames.");
    dlg.m_lbSprites.UserSelect(2);
    EXPECT_EQ(Status(), "Sprite 30 can't be read: its data is damaged.");
    dlg.m_lbSprites.UserSelect(0);
    Click(IDC_QUICK_PATCH);        // answered No
    EXPECT_EQ(ws.BusySteps(), 2);  // only the steps that may take long: the two Browses
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Status(),
              "Frame 0 uses the sprite's common palette 1, as its ID is 41891 (invalid).");
    Click(IDC_SAVE);
    EXPECT_EQ(ws.BusySteps(), 4);
    EXPECT_FALSE(ws.Busy());
}

// Ctrl+P shows the colours of the palette that draws the frame; Ctrl+PgUp/PgDn the file's
// others, an unusable one with the reason; hovering a cell names it; Ctrl+P or another
// frame brings the frame back. Then the frame's pixels: a drawn one, one with nothing drawn,
// and just off the frame either side (leaving the window: tests/desktop).
TEST_F(StatusLineTest, TheSwatchOfAnyPaletteAndThePixelUnderTheCursor) {
    std::vector<ChunkSpec> chunks = Palettes();
    chunks.push_back(FramedSprite(10, 1, {Frame(2), Frame(1)}));
    Browse(WriteIff(chunks));
    auto key = [&](int cmd) {  // the status after it
        dlg.UserCommand(cmd, CMD_FROM_ACCELERATOR);
        return Status();
    };
    const auto rgb = [](int k) {
        const Rgb c = TestColor(k);
        return "red " + std::to_string(c.r) + ", green " + std::to_string(c.g) + ", blue " +
               std::to_string(c.b);
    };
    const std::string first = "Palette 1: Ctrl+PgUp/PgDn for the others, Ctrl+P for the frame.",
                      last = "Palette 4 can't be shown: it is 700 bytes long (needs 784).";
    EXPECT_EQ(key(ID_SWATCH), "Palette 2 can't be shown: it is version 3 (must be 1).");
    ASSERT_TRUE(dlg.m_preview.IsSwatchShown());
    EXPECT_EQ(key(ID_PREV_PALETTE), first);
    EXPECT_EQ(key(ID_PREV_PALETTE), first);  // the first stays
    CRect rc;
    dlg.m_preview.GetClientRect(&rc);
    const preview::SwatchLayout s = preview::LayoutSwatch(rc.right, rc.bottom);
    dlg.m_preview.UserMouseMove(0, s.originX + 2 * s.cell, s.originY + s.cell);
    EXPECT_EQ(Status(), "Palette 1, colour 18: " + rgb(18));
    for (int i = 0; i < 2; ++i) key(ID_NEXT_PALETTE);
    EXPECT_EQ(key(ID_NEXT_PALETTE), last);
    EXPECT_EQ(key(ID_NEXT_PALETTE), last);  // the last stays
    EXPECT_EQ(key(ID_SWATCH),
              "Frame 0 can't be drawn: its own palette 2 is version 3 (must be 1).");
    EXPECT_FALSE(dlg.m_preview.IsSwatchShown());
    key(ID_SWATCH);
    dlg.m_cbFrame.UserSelect(1);
    EXPECT_FALSE(dlg.m_preview.IsSwatchShown());
    EXPECT_EQ(Status(), "Frame 1 uses its own palette 1.");

    EXPECT_EQ(Hover(1, 0), "Pixel 1, 0: colour 5 (" + rgb(5) + "), depth 30, alpha 255");
    EXPECT_EQ(Hover(2, 1), "Pixel 2, 1: nothing drawn (transparent)");
    EXPECT_EQ(Hover(3, 0), "Frame 1 uses its own palette 1.");
    EXPECT_EQ(Hover(-1, 0), "Frame 1 uses its own palette 1.");
}

}  // namespace
