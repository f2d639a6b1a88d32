// The main dialog opening files without the chooser, and taking steps back and forth,
// driven through the scripted window system.
#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/start_options.h"
#include "dialog_fixture.h"

namespace {

using namespace apptest;
using Action = StartOptions::Action;

// Opened at start, not through Browse.
class OpenUndo : public DialogTest {
protected:
    void SetUp() override {}
    void Start(const std::string& file) {
        dlg.m_strOpenAtStart = file;
        ASSERT_TRUE(dlg.Create());
    }
    std::string MenuText(UINT id) {
        const MenuItem* item = dlg.GetSystemMenu(FALSE)->FindItem(id);
        return item ? item->text + ((item->flags & MF_GRAYED) ? " (off)" : "") : "none";
    }
    Bytes Saved() {  // through the dialog's own hold: on Windows nobody else may read it
        Click(IDC_SAVE);
        return HeldFileBytes(dlg.m_iff);
    }

    // Sprite 7 names the invalid palette everywhere already: Quick Patch leaves it alone.
    std::string path = WriteIff({Palette(1), Palette(2), Sprite(5, 1, {1, 2}), Sprite(6, 2, {2}),
                                 Sprite(7, 41891, {41891})},
                                "undo.iff");
};

TEST(StartOptions, OneFileHelpVersionOrAUsageError) {
    using Case = std::tuple<std::vector<std::string>, Action, std::string>;  // the file's end
    for (const auto& [args, action, fileEnd] :
         {Case{{}, Action::Run, ""}, Case{{"a.iff"}, Action::Run, "a.iff"},
          Case{{"--", "-x.iff"}, Action::Run, "-x.iff"},
          Case{{"a.iff", "b.iff"}, Action::Usage, ""}, Case{{"-x"}, Action::Usage, ""},
          Case{{""}, Action::Usage, ""}, Case{{"a.iff", "--help"}, Action::Help, ""},
          Case{{"--version"}, Action::Version, ""}}) {
        const StartOptions o = ParseStartOptions(args);
        EXPECT_EQ(o.action, action) << args.size();
        // A file is made a full path, as the chooser gives it.
        EXPECT_EQ(std::filesystem::u8path(o.file).is_absolute(), !fileEnd.empty()) << o.file;
        EXPECT_EQ(o.file.substr(o.file.size() - std::min(o.file.size(), fileEnd.size())), fileEnd);
        EXPECT_EQ(o.error.empty(), action != Action::Usage);
    }
}

// A file at start that cannot open says so as Browse would; the chooser then starts where it
// was. (Opening at start and by a drop: tests/desktop.)
TEST_F(OpenUndo, AFileAtStartThatCannotOpenAndTheChoosersFolder) {
    const std::string missing = TempPath("missing.iff");
    Start(missing);
    EXPECT_EQ(Shown(), (Boxes{{"Unable to open file!", "Error", MB_ICONHAND}}));
    Browse(path);
    ASSERT_EQ(ws.FileChoosers().size(), 1u);
    EXPECT_EQ(ws.FileChoosers()[0].initialFolder,
              missing.substr(0, missing.find_last_of(kPathSeparators)));
}

TEST_F(OpenUndo, EachKindOfStepIsUndoneAndRedoneToTheBytesTheOtherStepsGive) {
    Start(path);
    // States on disk after each step, each saved before the next (saving keeps the steps).
    std::vector<Bytes> states{Saved()};
    dlg.m_cbFrame.UserSelect(1);
    dlg.m_cbItemPalette.UserSelect(0);  // frame 1 of sprite 5 takes palette 1
    states.push_back(Saved());
    dlg.m_cbCommonPalette.UserEditText("4");  // keystrokes in one box are one step
    dlg.m_cbCommonPalette.UserEditText("41");
    states.push_back(Saved());
    EXPECT_EQ(dlg.m_history.NextUndo()->changes.size(), 1u);  // sprite 5 only
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(dlg.m_history.NextUndo()->changes.size(), 2u);  // sprite 7 was 41891 already
    states.push_back(Saved());
    dlg.m_lbSprites.UserSelect(1);
    dlg.m_cbItemPalette.UserSelect(1);  // sprite 6 takes "2" again, for Manual Patch
    states.push_back(Saved());
    ws.AnswerMessageBox(IDYES);
    Click(IDC_MANUAL_PATCH);
    states.push_back(Saved());

    // Back through every step, by key and by menu in turn, and forward again.
    const char* names[] = {"Sprite Item Palette ID", "Common Palette ID", "Quick Patch",
                           "Sprite Item Palette ID", "Manual Patch"};
    for (int k = 5; k > 0; --k) {
        EXPECT_EQ(MenuText(IDM_UNDO), std::string("&Undo ") + names[k - 1] + "\tCtrl+Z");
        k % 2 ? dlg.UserCommand(ID_EDIT_UNDO, CMD_FROM_ACCELERATOR) : dlg.UserSysCommand(IDM_UNDO);
        EXPECT_EQ(MenuText(IDM_REDO), std::string("&Redo ") + names[k - 1] + "\tCtrl+Y");
        EXPECT_EQ(Saved(), states[k - 1]) << names[k - 1];
    }
    EXPECT_EQ(MenuText(IDM_UNDO), "&Undo\tCtrl+Z (off)");
    // Shown as choosing the step's sprite and frame shows it: sprite 5, frame 1, palette 2.
    EXPECT_EQ(dlg.m_lbSprites.GetCurSel(), 0);
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "2");
    for (int k = 1; k <= 5; ++k) {
        k % 2 ? dlg.UserCommand(ID_EDIT_REDO, CMD_FROM_ACCELERATOR) : dlg.UserSysCommand(IDM_REDO);
        EXPECT_EQ(Saved(), states[k]) << names[k - 1];
    }
    for (const ShownMessageBox& box : ws.MessageBoxes()) EXPECT_NE(box.caption, "Error");
}

TEST_F(OpenUndo, TheUnsavedFlagFollowsTheDocumentAndBrowseClearsTheSteps) {
    Start(path);
    dlg.m_cbCommonPalette.UserSelect(1);
    dlg.m_cbItemPalette.UserSelect(1);
    const auto dirtyAfter = [&](int command) {
        dlg.UserCommand(command, CMD_FROM_ACCELERATOR);
        return dlg.m_bDirty;
    };
    EXPECT_TRUE(dirtyAfter(ID_EDIT_UNDO));
    EXPECT_FALSE(dirtyAfter(ID_EDIT_UNDO));  // back where the file was opened
    EXPECT_FALSE(dirtyAfter(ID_EDIT_UNDO));  // nothing left: nothing happens
    EXPECT_TRUE(dirtyAfter(ID_EDIT_REDO));
    Saved();
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_TRUE(dirtyAfter(ID_EDIT_REDO));
    EXPECT_FALSE(dirtyAfter(ID_EDIT_UNDO));  // back to what was saved
    EXPECT_TRUE(dirtyAfter(ID_EDIT_UNDO));
    dlg.m_cbItemPalette.UserSelect(1);  // a new step drops the ones undone, saved state too
    EXPECT_FALSE(dlg.m_history.CanRedo());
    EXPECT_TRUE(dirtyAfter(ID_EDIT_UNDO));

    ws.AnswerMessageBox(IDYES);  // discard: another file clears the steps both ways
    Browse(path);
    EXPECT_FALSE(dlg.m_history.CanUndo() || dlg.m_history.CanRedo());
    EXPECT_EQ(MenuText(IDM_REDO), "&Redo\tCtrl+Y (off)");
}

}  // namespace
