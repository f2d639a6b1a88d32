#include <cstring>

#include "dialog_harness.h"
#include "iff/iff_types.h"
#include "platform/file.h"
#include "sprites/palette.h"

namespace apptest {
namespace {

const std::vector<std::string> kPaletteTexts = {"1", "2", "40", "41891 (invalid)"};

std::string GoodFile() {
    return WriteIff({FlatPalette(40, {200, 100, 50}), Palette(1), FlatPalette(2, {9, 9, 9}),
                     Sprite(20, 2, {Frame(1), Frame(40, 1, 1)}, "second"),
                     Sprite(10, 1, {Frame(1, 3, 2), Frame(99, 1, 1)}, "first")});
}

TEST_F(DialogTest, StartsWithOnlyBrowseAndCloseUsable) {
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_TRUE(dlg.GetDlgItem(IDC_BROWSE)->IsWindowEnabled());
    EXPECT_TRUE(dlg.GetDlgItem(IDC_CLOSE)->IsWindowEnabled());
    EXPECT_EQ(FileEditText(), "");
    EXPECT_FALSE(dlg.m_bDirty);

    const std::vector<MenuItem>& menu = dlg.GetSystemMenu(FALSE)->GetItems();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[menu.size() - 2].flags, MF_SEPARATOR);
    EXPECT_EQ(menu.back().text, "&About Palvane2...");
    EXPECT_EQ(menu.back().id, IDM_ABOUTBOX);
    EXPECT_EQ(dlg.GetIcon(TRUE), LoadIconResource(IDR_MAINFRAME));
    EXPECT_EQ(dlg.GetIcon(FALSE), nullptr);

    const RGBQUAD face{30, 20, 10, 0};
    EXPECT_EQ(std::memcmp(&dlg.m_rgbBackground, &face, 4), 0);
    EXPECT_EQ(std::memcmp(&dlg.m_preview.m_rgbBackground, &face, 4), 0);
    EXPECT_EQ(dlg.m_preview.m_pBitmap, nullptr);
}

TEST_F(DialogTest, BrowseListsPalettesAndSpritesByIdAndShowsTheFirstFrame) {
    const std::string path = GoodFile();
    Browse(path);
    EXPECT_TRUE(Boxes().empty());

    ASSERT_EQ(ws.FileChoosers().size(), 1u);
    const FileChooserRequest& req = ws.FileChoosers()[0];
    EXPECT_TRUE(req.open);
    EXPECT_EQ(req.defaultExtension, ".iff");
    EXPECT_EQ(req.initialName, "*.iff");
    EXPECT_EQ(req.flags, 0x1004u);
    ASSERT_EQ(req.filters.size(), 2u);
    EXPECT_EQ(req.filters[0].description + req.filters[0].pattern, "IFF files (*.iff)*.iff");
    EXPECT_EQ(req.filters[1].description + req.filters[1].pattern, "All files (*.*)*.*");

    EXPECT_EQ(FileEditText(), path);
    EXPECT_EQ(Texts(dlg.m_cbItemPalette), kPaletteTexts);
    EXPECT_EQ(Texts(dlg.m_cbCommonPalette), kPaletteTexts);
    EXPECT_EQ(Data(dlg.m_cbCommonPalette), (std::vector<DWORD_PTR>{1, 2, 40, 41891}));
    EXPECT_EQ(Texts(dlg.m_lbSprites),
              (std::vector<std::string>{"#10 - \"first\"", "#20 - \"second\""}));
    EXPECT_EQ(Data(dlg.m_lbSprites), (std::vector<DWORD_PTR>{10, 20}));
    EXPECT_EQ(dlg.m_lbSprites.GetCurSel(), 0);
    EXPECT_EQ(Texts(dlg.m_cbFrame),
              (std::vector<std::string>{"#0 size: 3x2 pixels", "#1 size: 1x1 pixels"}));
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 0);
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "1");
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "1");
    EXPECT_EQ(Enabled(), "1111111");
    EXPECT_FALSE(dlg.m_bDirty);

    // The preview shows the dialog's own bitmap of frame 0 in palette 1.
    EXPECT_EQ(dlg.m_preview.m_pBitmap, &dlg.m_bmpFrame);
    BITMAP bm{};
    ASSERT_TRUE(dlg.m_bmpFrame.GetBitmap(&bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    const Rgb c = TestColor(5);
    EXPECT_EQ(PreviewPixel(2, 1), RGB(c.r, c.g, c.b));
}

TEST_F(DialogTest, BrowseOfFilesWithFewOrOddChunks) {
    Browse(WriteIff({}));
    EXPECT_EQ(Texts(dlg.m_cbItemPalette), std::vector<std::string>{"41891 (invalid)"});
    EXPECT_EQ(Texts(dlg.m_cbCommonPalette), std::vector<std::string>{"41891 (invalid)"});
    EXPECT_TRUE(Texts(dlg.m_lbSprites).empty());
    EXPECT_EQ(dlg.m_lbSprites.GetCurSel(), LB_ERR);
    EXPECT_EQ(Enabled(), "1000110");

    // A palette that has the invalid ID, and two sprites of one ID (the later one counts).
    Browse(WriteIff({Palette(INVALID_PALETTE_ID), Sprite(3, 1, {Frame(1)}, "old"),
                     Sprite(3, 1, {Frame(1)}, "new")}));
    EXPECT_EQ(Texts(dlg.m_cbItemPalette), (std::vector<std::string>{"41891", "41891 (invalid)"}));
    EXPECT_EQ(Data(dlg.m_cbItemPalette), (std::vector<DWORD_PTR>{41891, 41891}));
    EXPECT_EQ(Texts(dlg.m_lbSprites), std::vector<std::string>{"#3 - \"new\""});
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DialogTest, BrowseFailuresDisableTheWorkAndKeepTheLists) {
    const std::string locked = GoodFile();
    CFile holder;
    ASSERT_TRUE(holder.Open(locked.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    const std::string notIff = TempPath("text.iff");
    WriteFileBytes(notIff, Bytes(100, 'x'));
    const struct {
        std::string path;
        const char* message;
    } cases[] = {{TempPath("missing.iff"), "Unable to open file!"},
                 {locked, "Unable to open file!"},
                 {notIff, "Unable to open file as an IFF file!"}};

    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string good = GoodFile();
        Browse(good);
        Boxes();
        Browse(c.path);
        EXPECT_EQ(Boxes(), (std::vector<ShownMessageBox>{{c.message, "Error", MB_ICONHAND}}));
        EXPECT_EQ(Enabled(), "0000000");
        EXPECT_EQ(Texts(dlg.m_cbFrame).size(), 2u);
        EXPECT_EQ(Texts(dlg.m_lbSprites).size(), 2u);
        EXPECT_EQ(dlg.m_strFile, c.path);
        EXPECT_EQ(FileEditText(), good);
        EXPECT_EQ(dlg.m_iff.CountOfType(IFF_TYPE_SPR2, FALSE), 0);
        EXPECT_FALSE(dlg.m_bSpriteDecoded);
    }
}

TEST_F(DialogTest, AFileErrorWhileLoadingIsReportedNotThrown) {
    // Reading this file's first bytes fails with an I/O error.
    CFile probe;
    if (!probe.Open("/proc/self/mem", CFile::modeReadWrite | CFile::shareExclusive))
        GTEST_SKIP() << "no /proc/self/mem";
    probe.Close();
    Browse(GoodFile());
    Boxes();
    Browse("/proc/self/mem");
    const std::vector<ShownMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("/proc/self/mem"), std::string::npos);
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONHAND);
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "1111111");  // the command just ended
}

TEST_F(DialogTest, BrowseAsksBeforeDroppingChangesAndACancelledChooserDisablesAll) {
    const std::string path = GoodFile();
    Browse(path);
    dlg.m_cbItemPalette.UserEditText("2");
    Boxes();
    const ShownMessageBox question{
        "You haven't saved your changes yet! Are you sure you want to open an other file?",
        "Warning", MB_YESNO | MB_ICONEXCLAMATION};

    ws.AnswerMessageBox(IDNO);
    Click(IDC_BROWSE);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{question});
    EXPECT_EQ(ws.FileChoosers().size(), 1u);
    EXPECT_TRUE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "1111111");

    ws.AnswerMessageBox(IDYES);
    ws.CancelFileChooser();
    Click(IDC_BROWSE);
    EXPECT_EQ(Boxes(), std::vector<ShownMessageBox>{question});
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_EQ(Texts(dlg.m_lbSprites).size(), 2u);

    // No changes: no question.
    Click(IDC_BROWSE);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ws.FileChoosers().size(), 3u);
}

}  // namespace
}  // namespace apptest
