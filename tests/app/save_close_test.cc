#include "dialog_harness.h"
#include "support/fault_files.h"

namespace apptest {
namespace {

class SaveCloseTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Browse(path);
        dlg.m_cbItemPalette.UserEditText("300");
    }
    const std::string path = WriteIff({Palette(1), Sprite(1, 1, {1, 1})});
    const Bytes original = ReadFileBytes(path);
};

TEST_F(SaveCloseTest, SaveWritesTheChangesAndCanBeRepeatedAfterAFailure) {
    for (bool refuseReplace : {true, false}) {
        CFaultySaveFileSystem fs;
        fs.refuseReplace = refuseReplace;
        fs.budget->writeBytes = refuseReplace ? -1 : 100;  // else the disk fills up
        ScopedSaveFileSystem scoped(&fs);
        Click(IDC_SAVE);
        EXPECT_EQ(Shown(), (Boxes{{"Error while saving this file!", "Error", MB_ICONHAND}}));
        EXPECT_TRUE(dlg.m_bDirty);
        EXPECT_EQ(ReadFileBytes(path), original);
    }
    Click(IDC_SAVE);
    Click(IDC_SAVE);
    EXPECT_EQ(Shown(), Boxes(2, {"File saved!", "Success!", MB_ICONASTERISK}));
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {1, 300, 1}}}));
    dlg.m_cbCommonPalette.UserEditText("2");  // work goes on with the same file
    Click(IDC_SAVE);
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {2, 300, 1}}}));
}

TEST_F(SaveCloseTest, ClosingWithChangesAsksAndNeverSaves) {
    Click(IDC_CLOSE);  // unanswered: No
    dlg.UserClose();
    dlg.UserSysCommand(SC_CLOSE);
    dlg.UserCommand(IDOK);  // Enter and Escape do nothing
    dlg.UserCommand(IDCANCEL);
    EXPECT_EQ(Shown(),
              Boxes(3, {"You haven't saved your changes yet! Are you sure you want to quit?",
                        "Warning", MB_YESNO | MB_ICONEXCLAMATION}));
    EXPECT_FALSE(dlg.IsEnded());
    ws.AnswerMessageBox(IDYES);
    Click(IDC_CLOSE);
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(ReadFileBytes(path), original);
}

TEST_F(DialogTest, TheAboutBoxChangesNothingAndCloseWithoutChangesAsksNothing) {
    ws.QueueModal([](CDialog& about) { about.UserCommand(IDOK); });
    dlg.UserSysCommand(IDM_ABOUTBOX | 0x3);  // the low four bits are the system's
    EXPECT_EQ(ws.ModalDialogs(), std::vector<UINT>{IDD_ABOUTBOX});
    EXPECT_EQ(Enabled(), "0000000");
    dlg.UserClose();
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(dlg.IsEnded());
}

}  // namespace
}  // namespace apptest
