#include "app/app_resources.h"
#include "app/patch_app.h"
#include "dialog_harness.h"
#include "platform/gdi.h"
#include "support/fault_files.h"

namespace apptest {
namespace {

const ShownMessageBox kSaved{"File saved!", "Success!", MB_OK | MB_ICONASTERISK};
const ShownMessageBox kSaveFailed{"Error while saving this file!", "Error", MB_OK | MB_ICONHAND};
const ShownMessageBox kQuitQuestion{
    "You haven't saved your changes yet! Are you sure you want to quit?", "Warning",
    MB_YESNO | MB_ICONEXCLAMATION};

class SaveCloseTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        path = WriteIff({Palette(1), Sprite(1, 1, {Frame(1), Frame(1)})});
        original = ReadFileBytes(path);
        Browse(path);
        dlg.m_cbItemPalette.UserEditText("300");
        Boxes();
    }
    std::string path;
    Bytes original;
};

TEST_F(SaveCloseTest, SaveWritesTheChangesAndCanBeRepeated) {
    Click(IDC_SAVE);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kSaved});
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {1, 300, 1}}}));

    Click(IDC_SAVE);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kSaved});
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {1, 300, 1}}}));
    // Work goes on with the same file.
    dlg.m_cbCommonPalette.UserEditText("2");
    Click(IDC_SAVE);
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {2, 300, 1}}}));
}

TEST_F(SaveCloseTest, AFailedSaveKeepsTheFileAndTheFlag) {
    for (bool refuseReplace : {true, false}) {
        CFaultySaveFileSystem fs;
        fs.refuseReplace = refuseReplace;
        fs.budget->writeBytes = refuseReplace ? -1 : 100;  // else the disk fills up
        {
            ScopedSaveFileSystem scoped(&fs);
            Click(IDC_SAVE);
        }
        EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kSaveFailed});
        EXPECT_TRUE(dlg.m_bDirty);
        EXPECT_EQ(ReadFileBytes(path), original);
    }
    Click(IDC_SAVE);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{kSaved});
    EXPECT_EQ(DiskPalettes(path), (PaletteIds{{1, {1, 300, 1}}}));
}

TEST_F(SaveCloseTest, ClosingWithChangesAsksAndNeverSaves) {
    Click(IDC_CLOSE);  // unanswered: No
    dlg.UserClose();
    ws.AnswerMessageBox(IDNO);
    dlg.UserSysCommand(SC_CLOSE);
    EXPECT_EQ(Boxes(), (std::vector<ShownMessageBox>(3, kQuitQuestion)));
    EXPECT_FALSE(dlg.IsEnded());

    // Enter and Escape never close the dialog.
    dlg.UserCommand(IDOK);
    dlg.UserCommand(IDCANCEL);
    EXPECT_FALSE(dlg.IsEnded());

    ws.AnswerMessageBox(IDYES);
    Click(IDC_CLOSE);
    EXPECT_TRUE(dlg.IsEnded());
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(ReadFileBytes(path), original);
}

TEST_F(DialogTest, ClosingWithoutChangesAsksNothing) {
    dlg.UserClose();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(dlg.IsEnded());
}

TEST_F(DialogTest, TheAboutBoxComesFromTheSystemMenuAndChangesNothing) {
    ws.QueueModal([](CDialog& about) {
        EXPECT_EQ(about.GetWindowText(), "About Palvane2");
        about.UserCommand(IDOK);
    });
    dlg.UserSysCommand(IDM_ABOUTBOX | 0x3);  // the low four bits are the system's
    EXPECT_EQ(ws.ModalDialogs(), std::vector<UINT>{IDD_ABOUTBOX});
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_EQ(Enabled(), "0000000");
}

TEST_F(DialogTest, AMinimisedDialogPaintsItsIconCentred) {
    dlg.PeerSetIconic(true);
    std::unique_ptr<CBitmap> surface = ws.Paint(dlg);
    CRect rc;
    dlg.GetClientRect(&rc);
    const int x = (rc.Width() - 32 + 1) / 2;
    const int y = (rc.Height() - 32 + 1) / 2;
    // The icon's middle is yellow board, its corner transparent.
    EXPECT_EQ(GetBitmapPixel(*surface, x + 16, y + 16), RGB(255, 255, 0));
    EXPECT_NE(GetBitmapPixel(*surface, x, y), RGB(255, 255, 0));
    EXPECT_EQ(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.m_hIcon));
}

TEST(Resources, IconHasTwoSixteenColourImages) {
    const IconResource& icon = AppIcon();
    ASSERT_EQ(icon.images.size(), 2u);
    for (const IconImage& image : icon.images) {
        EXPECT_EQ(image.bitCount, 4);
        EXPECT_EQ(image.colors.size(), 16u);
        ASSERT_EQ(image.indices.size(), static_cast<size_t>(image.width * image.height));
        for (BYTE index : image.indices) EXPECT_LT(index, 16);
    }
    EXPECT_EQ(icon.images[0].width, 32);
    EXPECT_EQ(icon.images[1].width, 16);
}

TEST(PatchApp, RunsTheMainDialogModallyAndEndsWithIt) {
    ScriptedWindowSystem ws;
    ws.QueueModal([](CDialog& dlg) {
        EXPECT_EQ(AfxGetApp()->m_pMainWnd, &dlg);
        EXPECT_EQ(dlg.GetWindowText(), "Palvane 2");
        static_cast<CButton*>(dlg.GetDlgItem(IDC_CLOSE))->UserClick();
    });
    EXPECT_EQ(theApp.InitInstance(), FALSE);
    EXPECT_EQ(ws.ModalDialogs(), std::vector<UINT>{IDD_PALVANE2_DIALOG});
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
}  // namespace apptest
