#include "sessions.h"

#include "app/control_ids.h"
#include "builders/spr2_builder.h"

namespace desktop {

using Strings = std::vector<std::string>;

const char kQuickPatchText[] =
    "This will set all items to an invalid palette!\n\nAre you sure you want to continue?";
const char kQuitText[] = "You haven't saved your changes yet! Are you sure you want to quit?";
const char kDiscardText[] =
    "You haven't saved your changes yet! Are you sure you want to open an other file?";

std::string WriteSessionFile(const std::string& name) {
    using namespace builders;
    IffSpec layout;
    for (WORD id : {1, 2}) {
        PaltSpec palette;
        palette.colors.assign(256, id == 1 ? Rgb{255, 0, 0} : Rgb{0, 0, 255});
        layout.chunks.push_back(PaltChunk(id, palette));
    }
    Spr2Grid grid(10, 8);
    for (int i = 0; i < 80; ++i) grid.Set(i % 10, i / 10, 5);
    for (WORD id : {100, 200}) {
        Spr2Spec sprite;
        sprite.paletteId = id == 100 ? 1 : 7;
        for (WORD p : id == 100 ? std::vector<WORD>{1, 2} : std::vector<WORD>{2})
            sprite.frames.push_back(FrameFromGrid(grid, p));
        layout.chunks.push_back(Spr2Chunk(id, sprite, id == 100 ? "Orb" : "D\351cor"));
    }
    const std::string path = TempPath(name);
    WriteFileBytes(path, BuildIff(layout));
    return path;
}

std::vector<std::string> Hands::ShownBoxes() {
    EXPECT_TRUE(m_answers.empty()) << "boxes that never came";
    return std::exchange(m_seen, {});
}

int Hands::NextAnswer(const std::string& seen) {
    m_seen.push_back(seen);
    const int answer = m_answers.front();
    m_answers.erase(m_answers.begin());
    return answer;
}

std::string Box(const std::string& text, const std::string& caption, const std::string& icon,
                const std::string& buttons) {
    return "dialog / " + text + " / " + caption + " / " + icon + " / " + buttons;
}

void DesktopSession::SetUp() {
    hands = GetParam()();
    if (!hands) GTEST_SKIP() << "no display to show windows on (run under an X server)";
    path = WriteSessionFile();
    hands->ChooseFile(path);
    dlg = std::make_unique<CPatchDlg>();
}

void DesktopSession::TearDown() {
    if (hands) {
        EXPECT_EQ(hands->ShownBoxes(), Strings{}) << "boxes nobody looked at";
    }
    dlg.reset();
    hands.reset();
}

std::pair<int, int> DesktopSession::Origin() const {
    return {dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY};
}

std::uint32_t DesktopSession::PreviewCentre() {
    const Shot shown = hands->Preview();
    return shown.At(shown.width / 2, shown.height / 2);
}

// The window menu's last entry opens the About box, which leaves the dialog open.
TEST_P(DesktopSession, StartsWithBrowseAndCloseIgnoresEscapeAndEnterAndShowsAbout) {
    hands->RunModal(*dlg, [&] {
        EXPECT_EQ(hands->Title(), "Palvane 2");
        EXPECT_TRUE(hands->HasIcon());
        EXPECT_EQ(hands->Text(IDC_FILE), "");
        for (int id : {IDC_CLOSE, IDC_BROWSE, IDC_SPRITES, IDC_FRAME, IDC_COMMON_PALETTE,
                       IDC_ITEM_PALETTE, IDC_SAVE, IDC_QUICK_PATCH, IDC_MANUAL_PATCH})
            EXPECT_EQ(hands->Enabled(id), id == IDC_CLOSE || id == IDC_BROWSE) << id;
        EXPECT_TRUE(hands->Focused(IDC_CLOSE));  // the first to take it

        hands->Click(IDC_BROWSE);
        hands->SetFocus(IDC_SPRITES);
        hands->Press(Key::Escape);
        hands->Press(Key::Return);
        EXPECT_TRUE(hands->Visible());
        EXPECT_FALSE(dlg->IsEnded());
        hands->ChooseFile(std::nullopt);
        hands->Click(IDC_BROWSE);  // cancelled: nothing left to work on
        EXPECT_FALSE(hands->Enabled(IDC_SPRITES));
        Strings about;
        hands->ReadNextDialog(&about);
        hands->WindowMenu("&About Palvane2...");
        EXPECT_EQ(about, (Strings{"About Palvane2", "icon", "Palvane2 Version 1.0", "OK"}));
        hands->SetFocus(IDC_CLOSE);
        hands->Press(Key::Return);  // nothing to save: it closes
        EXPECT_EQ(dlg->GetModalResult(), IDOK);
    });
}

TEST_P(DesktopSession, SpritesFramesPalettesAndTheQuestions) {
    hands->RunModal(*dlg, [&] {
        hands->Click(IDC_BROWSE);
        ASSERT_EQ(hands->Rows(IDC_SPRITES), (Strings{"#100 - \"Orb\"", "#200 - \"D\u00E9cor\""}));
        EXPECT_EQ(hands->Selection(IDC_SPRITES), 0);
        EXPECT_EQ(hands->Rows(IDC_FRAME).at(1), "#1 size: 10x8 pixels");
        EXPECT_EQ(hands->Text(IDC_COMMON_PALETTE), "1");
        EXPECT_EQ(PreviewCentre(), kRed);

        hands->ChooseRow(IDC_FRAME, 1);
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "2");
        EXPECT_EQ(PreviewCentre(), kBlue);
        hands->ChooseRow(IDC_SPRITES, 0);  // the sprite already chosen, chosen again: frame 0
        EXPECT_EQ(hands->Selection(IDC_FRAME), 0);
        EXPECT_FALSE(dlg->m_bDirty);  // what the program shows is no edit

        // Typed IDs take effect keystroke by keystroke; a chosen one by its entry.
        hands->Type(IDC_ITEM_PALETTE, "2");
        EXPECT_EQ(PreviewCentre(), kBlue);
        hands->Press(Key::Return);   // picks no entry, even one named "2"
        hands->SetFocus(IDC_FRAME);  // nor does leaving the field
        EXPECT_EQ(dlg->m_cbItemPalette.GetCurSel(), 0);
        EXPECT_TRUE(hands->Visible());
        hands->Type(IDC_ITEM_PALETTE, "\b");  // no number: nothing changes
        EXPECT_EQ(PreviewCentre(), kBlue);
        hands->ChooseRow(IDC_ITEM_PALETTE, 2);
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "41891 (invalid)");
        EXPECT_EQ(PreviewCentre(), kRed);  // drawn in the sprite's palette
        EXPECT_TRUE(dlg->m_bDirty);

        hands->ChooseRow(IDC_SPRITES, 1);
        EXPECT_EQ(hands->Rows(IDC_FRAME).size(), 1u);
        EXPECT_EQ(hands->Text(IDC_COMMON_PALETTE), "7");  // no entry: the number, none chosen
        EXPECT_EQ(hands->Selection(IDC_COMMON_PALETTE), -1);
        hands->ChooseRow(IDC_SPRITES, 0);  // and an entry chosen again
        EXPECT_EQ(hands->Selection(IDC_COMMON_PALETTE), 0);
        hands->ChooseRow(IDC_SPRITES, 1);

        hands->AnswerBoxes({IDYES});
        hands->Click(IDC_QUICK_PATCH);
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "41891 (invalid)");
        hands->AnswerBoxes({IDOK});
        hands->Click(IDC_SAVE);
        EXPECT_EQ(
            hands->ShownBoxes(),
            (Strings{Box(kQuickPatchText), Box("File saved!", "Success!", "information", "ok")}));

        // Unsaved changes: the close box asks (No keeps it open), Alt+F4 asks again.
        hands->Type(IDC_COMMON_PALETTE, "7");
        hands->AnswerBoxes({IDNO});
        hands->CloseBox();
        EXPECT_TRUE(hands->Visible());
        hands->AnswerBoxes({IDYES});
        hands->AltF4();
        EXPECT_EQ(hands->ShownBoxes(), Strings(2, Box(kQuitText)));
        EXPECT_TRUE(dlg->IsEnded());
    });
}

}  // namespace desktop
