#include "dialog_harness.h"

namespace apptest {
namespace {

TEST_F(DialogTest, PaletteIdsSelectTheFirstEntryTheyBeginWith) {
    // Sprite palette 4 selects "40"; frame palette 4189 selects "41891 (invalid)";
    // sprite palette 7 matches nothing and is shown as typed text.
    Browse(WriteIff({Palette(1), Palette(2), Palette(40), Sprite(1, 4, {Frame(4189)}),
                     Sprite(2, 7, {Frame(2)})}));
    EXPECT_EQ(dlg.m_cbCommonPalette.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "40");
    EXPECT_EQ(dlg.m_cbItemPalette.GetCurSel(), 3);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "41891 (invalid)");

    dlg.m_lbSprites.UserSelect(1);
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "7");
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "2");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DialogTest, ChoosingSpritesAndFramesUsesItemDataAndDecodesAgain) {
    Browse(WriteIff({Palette(1), FlatPalette(2, {9, 8, 7}),
                     Sprite(5, 1, {Frame(1, 2, 2), Frame(2, 4, 1), Frame(77, 1, 1)}),
                     Sprite(6, 1, {}), BrokenSprite(8)}));
    dlg.m_cbFrame.UserSelect(1);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "2");
    EXPECT_EQ(PreviewPixel(3, 0), RGB(9, 8, 7));
    // Frame 2 names no palette and falls back to the sprite's.
    dlg.m_cbFrame.UserSelect(2);
    const Rgb c = TestColor(5);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(c.r, c.g, c.b));

    // The same sprite again: decoded afresh, back at frame 0.
    dlg.m_lbSprites.UserSelect(0);
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 0);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "1");

    // No frames: the list empties, the preview keeps its picture.
    CBitmap* shown = dlg.m_preview.m_pBitmap;
    dlg.m_lbSprites.UserSelect(1);
    EXPECT_TRUE(Texts(dlg.m_cbFrame).empty());
    EXPECT_EQ(Enabled(), "1110110");
    EXPECT_EQ(dlg.m_preview.m_pBitmap, shown);
    EXPECT_NE(shown->GetSafeHandle(), nullptr);

    // A sprite that does not decode leaves nothing that could write it back.
    dlg.m_lbSprites.UserSelect(2);
    EXPECT_EQ(Boxes(),
              (std::vector<ShownMessageBox>{{"Can't load this resource!", "Error", MB_ICONHAND}}));
    EXPECT_EQ(Enabled(), "1000110");
    EXPECT_FALSE(dlg.m_bDirty);
}

TEST_F(DialogTest, AFrameWithoutAPaletteShowsNoPicture) {
    Browse(WriteIff({Sprite(1, 3, {Frame(4)})}));
    EXPECT_EQ(dlg.m_preview.m_pBitmap, nullptr);
    EXPECT_EQ(Enabled(), "1111111");
}

}  // namespace
}  // namespace apptest
