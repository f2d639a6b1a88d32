#include "dialog_harness.h"

namespace apptest {
namespace {

const ShownMessageBox kQuickQuestion{
    "This will set all items to an invalid palette!\n\nAre you sure you want to continue?",
    "Warning", MB_YESNO | MB_ICONEXCLAMATION};
const ShownMessageBox kUndecodable{"Can't load one of the SPR2 resources!", "Warning",
                                   MB_OK | MB_ICONHAND};

class PatchTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Browse(WriteIff({Palette(1), Palette(40), Sprite(2, 1, {Frame(1), Frame(40)}),
                         BrokenSprite(3), Sprite(4, 40, {}), Sprite(5, 1, {Frame(1)})}));
        dlg.m_lbSprites.UserSelect(3);
        dlg.m_cbCommonPalette.UserEditText("40");  // a change the patches must keep
        dlg.m_bDirty = false;
        before = ContainerPalettes(dlg.m_iff);
        Boxes();
    }
    PaletteIds before;
};

TEST_F(PatchTest, QuickPatchAsksThenInvalidatesEveryFrameOfEveryDecodableSprite) {
    ws.AnswerMessageBox(IDNO);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kQuickQuestion});
    EXPECT_EQ(ContainerPalettes(dlg.m_iff), before);
    EXPECT_FALSE(dlg.m_bDirty);

    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Boxes(), (std::vector<ShownMessageBox>{kQuickQuestion, kUndecodable}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 41891, 41891}}, {3, {}}, {4, {40}}, {5, {40, 41891}}}));
    EXPECT_TRUE(dlg.m_bDirty);
    // The selected sprite is shown again from its rewritten chunk.
    EXPECT_EQ(dlg.m_lbSprites.GetCurSel(), 3);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "41891 (invalid)");
    EXPECT_EQ(Enabled(), "1111111");
}

TEST_F(PatchTest, ManualPatchWritesTheChosenEntryAndAsksWithTheShownText) {
    dlg.m_cbItemPalette.UserSelect(1);  // "40"
    dlg.m_cbItemPalette.UserEditText("typed over");
    dlg.m_bDirty = false;
    before = ContainerPalettes(dlg.m_iff);
    const ShownMessageBox question{
        "This will set all items to palette typed over!\n\nAre you sure you want to continue?",
        "Warning", MB_YESNO | MB_ICONEXCLAMATION};

    Boxes();
    Click(IDC_MANUAL_PATCH);  // unanswered: No
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{question});
    EXPECT_EQ(ContainerPalettes(dlg.m_iff), before);

    ws.AnswerMessageBox(IDYES);
    Click(IDC_MANUAL_PATCH);
    EXPECT_EQ(Boxes(), (std::vector<ShownMessageBox>{question, kUndecodable}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 40, 40}}, {3, {}}, {4, {40}}, {5, {40, 40}}}));
    EXPECT_TRUE(dlg.m_bDirty);
}

TEST_F(DialogTest, ManualPatchWithoutAChosenEntryDoesNothing) {
    Browse(WriteIff({Palette(1), Sprite(1, 1, {Frame(99)})}));  // 99 matches no entry
    ASSERT_EQ(dlg.m_cbItemPalette.GetCurSel(), CB_ERR);
    Click(IDC_MANUAL_PATCH);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(dlg.m_bDirty);
}

TEST_F(DialogTest, QuickPatchOfAFileWithoutSpritesStillCountsAsAChange) {
    Browse(WriteIff({Palette(1)}));
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kQuickQuestion});
    EXPECT_TRUE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "1000110");
}

}  // namespace
}  // namespace apptest
