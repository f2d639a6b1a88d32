#include "dialog_harness.h"

namespace apptest {
namespace {

class EditTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Browse(WriteIff({Palette(1), FlatPalette(40, {1, 2, 3}), Sprite(2, 1, {1, 40}),
                         BrokenSprite(3), Sprite(4, 40, {}), Sprite(5, 1, {1, 1})}));
        dlg.m_lbSprites.UserSelect(3);
        dlg.m_cbFrame.UserSelect(1);
        Shown();
    }
    std::vector<WORD> Sprite5() { return ContainerPalettes(dlg.m_iff)[5]; }
};

TEST_F(EditTest, TypingStoresEachKeystrokesNumberAtOnce) {
    std::vector<WORD> stored;
    for (const char* text : {"4", "40", "409"}) {
        dlg.m_cbItemPalette.UserEditText(text);
        stored.push_back(Sprite5()[2]);
    }
    EXPECT_EQ(stored, (std::vector<WORD>{4, 40, 409}));
    EXPECT_TRUE(dlg.m_bDirty);
    for (const auto& [text, id] :
         {std::pair{"-1", 65535}, std::pair{"65536", 0}, std::pair{"41891 (invalid)", 41891},
          std::pair{"99999999999999999999", 65535}}) {
        dlg.m_cbItemPalette.UserEditText(text);
        dlg.m_cbCommonPalette.UserEditText(text);
        EXPECT_EQ(Sprite5(), (std::vector<WORD>{WORD(id), 1, WORD(id)})) << text;
    }
}

TEST_F(EditTest, TextWithoutANumberStoresNothing) {
    ws.Watch(dlg.m_preview);
    for (const char* text : {"", "abc", "-"}) {
        dlg.m_cbItemPalette.UserEditText(text);
        dlg.m_cbCommonPalette.UserEditText(text);
    }
    EXPECT_EQ(Sprite5(), (std::vector<WORD>{1, 1, 1}));
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(ws.Invalidations(dlg.m_preview), 0);
}

TEST_F(EditTest, ChoosingAnEntryStoresItsItemDataAndRedraws) {
    dlg.m_cbItemPalette.UserSelect(1);
    EXPECT_EQ(PreviewPixel(), RGB(1, 2, 3));
    dlg.m_cbItemPalette.UserSelect(2);  // "41891 (invalid)": drawn in the sprite's palette
    EXPECT_EQ(PreviewPixel(), Color5());
    dlg.m_cbCommonPalette.UserSelect(1);
    EXPECT_EQ(PreviewPixel(), RGB(1, 2, 3));
    EXPECT_EQ(Sprite5(), (std::vector<WORD>{40, 1, 41891}));
}

TEST_F(EditTest, NothingIsWrittenBackAfterTheContainerClosed) {
    Browse(TempPath("missing.iff"));
    dlg.m_bDirty = false;
    for (CComboBox* combo : {&dlg.m_cbItemPalette, &dlg.m_cbCommonPalette}) {
        combo->EnableWindow(TRUE);  // as if a handler were reached regardless
        combo->UserEditText("7");
        combo->UserSelect(0);
    }
    EXPECT_FALSE(dlg.m_bDirty);
}

TEST_F(EditTest, PatchesAskFirstThenRewriteEveryFrameOfEveryDecodableSprite) {
    dlg.m_cbCommonPalette.UserEditText("40");  // the patches keep sprite palettes
    dlg.m_bDirty = false;
    const PaletteIds before = ContainerPalettes(dlg.m_iff);
    const std::string ask = "!\n\nAre you sure you want to continue?";
    const ShownMessageBox quick{"This will set all items to an invalid palette" + ask, "Warning",
                                MB_YESNO | MB_ICONEXCLAMATION};
    const ShownMessageBox manual{"This will set all items to palette typed" + ask, "Warning",
                                 MB_YESNO | MB_ICONEXCLAMATION};
    const ShownMessageBox bad{"Can't load one of the SPR2 resources!", "Warning", MB_ICONHAND};

    Click(IDC_QUICK_PATCH);  // unanswered: No
    EXPECT_EQ(ContainerPalettes(dlg.m_iff), before);
    EXPECT_FALSE(dlg.m_bDirty);
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Shown(), (Boxes{quick, quick, bad}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 41891, 41891}}, {3, {}}, {4, {40}}, {5, {40, 41891, 41891}}}));
    EXPECT_TRUE(dlg.m_bDirty);
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 0);  // sprite 5 shown again, from frame 0
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "41891 (invalid)");

    dlg.m_cbItemPalette.UserSelect(1);  // "40", then typed over
    dlg.m_cbItemPalette.UserEditText("typed");
    Shown();
    Click(IDC_MANUAL_PATCH);
    ws.AnswerMessageBox(IDYES);
    Click(IDC_MANUAL_PATCH);
    EXPECT_EQ(Shown(), (Boxes{manual, manual, bad}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 40, 40}}, {3, {}}, {4, {40}}, {5, {40, 40, 40}}}));
}

TEST_F(DialogTest, PatchesWithoutSpritesOrWithoutAChosenPalette) {
    Browse(WriteIff({Palette(1), Sprite(1, 1, {99})}));  // 99: no entry chosen
    Click(IDC_MANUAL_PATCH);
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(dlg.m_bDirty);
    Browse(WriteIff({Palette(1)}));
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_TRUE(dlg.m_bDirty);
}

}  // namespace
}  // namespace apptest
