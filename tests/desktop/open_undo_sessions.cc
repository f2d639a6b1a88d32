// Opening without the chooser, the focus after it, and undo and redo, on each back end.
#include "app/control_ids.h"
#include "sessions.h"

namespace desktop {

using Strings = std::vector<std::string>;

// The argument and a drop open as Browse would, the focus on the sprites; a drop over
// unsaved changes asks first, also on a text field, which takes no text from it. Then
// Ctrl+Z in a palette box undoes its typing first, and in one with nothing typed the last
// step; Ctrl+Y and Ctrl+Shift+Z redo; the window menu names the step.
TEST_P(DesktopSession, OpensWithoutTheChooserAndUndoesByKeysAndTheWindowMenu) {
    const std::string other = WriteSessionFile("other.iff");
    dlg->m_strOpenAtStart = path;
    hands->RunModal(*dlg, [&] {
        EXPECT_EQ(hands->Text(IDC_FILE), path);
        EXPECT_EQ(hands->Rows(IDC_SPRITES).size(), 2u);
        EXPECT_TRUE(hands->ShowsFocus(IDC_SPRITES));
        hands->SetFocus(IDC_CLOSE);
        EXPECT_TRUE(hands->ShowsFocus(IDC_CLOSE));

        hands->Drop(0, other);
        EXPECT_EQ(hands->Text(IDC_FILE), other);
        EXPECT_TRUE(hands->Focused(IDC_SPRITES));
        hands->ChooseRow(IDC_SPRITES, 1);
        hands->Type(IDC_COMMON_PALETTE, "2");
        hands->AnswerBoxes({IDNO});
        hands->Drop(IDC_COMMON_PALETTE, path);
        EXPECT_EQ(hands->Text(IDC_FILE), other);
        EXPECT_EQ(hands->Text(IDC_COMMON_PALETTE), "2");
        hands->AnswerBoxes({IDYES});
        hands->Drop(0, path);
        EXPECT_EQ(hands->Text(IDC_FILE), path);
        EXPECT_EQ(hands->ShownBoxes(), Strings(2, Box(kDiscardText)));
        // Opened afresh: the first sprite, no steps.
        EXPECT_EQ(hands->Selection(IDC_SPRITES), 0);
        EXPECT_FALSE(dlg->m_bDirty);
        EXPECT_FALSE(dlg->m_history.CanUndo());

        hands->ChooseRow(IDC_FRAME, 1);
        hands->AnswerBoxes({IDYES});
        hands->Click(IDC_QUICK_PATCH);
        hands->ChooseRow(IDC_FRAME, 1);
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "41891 (invalid)");
        EXPECT_EQ(PreviewCentre(), kRed);

        hands->Type(IDC_ITEM_PALETTE, "2");
        EXPECT_EQ(PreviewCentre(), kBlue);
        hands->Ctrl(Key::Z);  // the typing
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "41891 (invalid)");
        EXPECT_EQ(PreviewCentre(), kRed);
        EXPECT_FALSE(dlg->m_history.CanRedo());  // the field's own undo, not a step's
        hands->Ctrl(Key::Z);                     // in the same field: the patch, shown on its frame
        EXPECT_EQ(hands->Text(IDC_ITEM_PALETTE), "2");
        EXPECT_EQ(PreviewCentre(), kBlue);

        hands->SetFocus(IDC_SPRITES);
        hands->Ctrl(Key::Y);
        EXPECT_EQ(PreviewCentre(), kRed);
        hands->Ctrl(Key::Z);
        hands->Ctrl(Key::ShiftZ);
        EXPECT_EQ(PreviewCentre(), kRed);

        const Strings entries = hands->WindowMenu("&Undo Quick Patch\tCtrl+Z");
        ASSERT_GE(entries.size(), 5u);
        EXPECT_EQ(Strings(entries.end() - 5, entries.end()),
                  (Strings{"-", "&Undo Quick Patch\tCtrl+Z", "&Redo\tCtrl+Y (off)", "-",
                           "&About Palvane2..."}));
        EXPECT_EQ(PreviewCentre(), kBlue);
        EXPECT_EQ(hands->ShownBoxes(), Strings{Box(kQuickPatchText)});
    });
}

}  // namespace desktop
