#include "dialog_harness.h"

namespace apptest {
namespace {

class PaletteEditTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Browse(WriteIff(
            {Palette(1), FlatPalette(40, {1, 2, 3}), Sprite(9, 1, {Frame(1), Frame(1, 1, 1)})}));
        dlg.m_cbFrame.UserSelect(1);
        Boxes();
    }
    WORD FramePalette() { return ContainerPalettes(dlg.m_iff)[9].at(2); }
    WORD CommonPalette() { return ContainerPalettes(dlg.m_iff)[9].at(0); }
};

TEST_F(PaletteEditTest, TypingStoresEveryKeystrokesNumberAtOnce) {
    std::vector<WORD> stored;
    for (const char* text : {"4", "40", "409"}) {
        dlg.m_cbItemPalette.UserEditText(text);
        stored.push_back(FramePalette());
    }
    EXPECT_EQ(stored, (std::vector<WORD>{4, 40, 409}));
    EXPECT_TRUE(dlg.m_bDirty);

    const struct {
        const char* text;
        WORD id;
    } cases[] = {{"-1", 65535},
                 {"65536", 0},
                 {"41891 (invalid)", 41891},
                 {" +40x", 40},
                 {"99999999999999999999", 65535}};
    for (const auto& c : cases) {
        dlg.m_cbItemPalette.UserEditText(c.text);
        EXPECT_EQ(FramePalette(), c.id) << c.text;
        dlg.m_cbCommonPalette.UserEditText(c.text);
        EXPECT_EQ(CommonPalette(), c.id) << c.text;
    }
    // Frame 1 of sprite 9 is the one changed; frame 0 kept its palette.
    EXPECT_EQ(ContainerPalettes(dlg.m_iff)[9].at(1), 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PaletteEditTest, TextWithoutANumberStoresNothing) {
    ws.Watch(dlg.m_preview);
    for (const char* text : {"", "abc", "-", " "}) {
        dlg.m_cbItemPalette.UserEditText(text);
        dlg.m_cbCommonPalette.UserEditText(text);
    }
    EXPECT_EQ(FramePalette(), 1);
    EXPECT_EQ(CommonPalette(), 1);
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(ws.Invalidations(dlg.m_preview), 0);
}

TEST_F(PaletteEditTest, ChoosingAnEntryStoresItsItemDataAndRedraws) {
    dlg.m_cbItemPalette.UserSelect(1);
    EXPECT_EQ(FramePalette(), 40);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(1, 2, 3));
    EXPECT_TRUE(dlg.m_bDirty);

    dlg.m_cbItemPalette.UserSelect(2);  // "41891 (invalid)": drawn in the sprite's palette
    EXPECT_EQ(FramePalette(), 41891);
    const Rgb c = TestColor(5);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(c.r, c.g, c.b));

    dlg.m_cbCommonPalette.UserSelect(1);
    EXPECT_EQ(CommonPalette(), 40);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(1, 2, 3));
}

TEST_F(PaletteEditTest, NothingIsWrittenBackWithoutAFullyDecodedSprite) {
    // After a failed open the container is gone; the controls are disabled, and even a
    // handler reached regardless must not write into a closed container.
    Browse(TempPath("missing.iff"));
    Boxes();
    dlg.m_bDirty = false;
    for (CComboBox* combo : {&dlg.m_cbItemPalette, &dlg.m_cbCommonPalette}) {
        combo->EnableWindow(TRUE);
        combo->UserEditText("7");
        combo->UserSelect(0);
    }
    EXPECT_FALSE(dlg.m_bDirty);
}

}  // namespace
}  // namespace apptest
