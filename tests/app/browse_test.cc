#include <cstring>

#include "dialog_harness.h"
#include "platform/file.h"

namespace apptest {
namespace {

std::string GoodFile() {
    return WriteIff({FlatPalette(40, {200, 100, 50}), Palette(1), FlatPalette(2, {9, 9, 9}),
                     Sprite(20, 2, {1}, 1, "second"), Sprite(10, 1, {1, 99}, 3, "first")});
}

TEST_F(DialogTest, StartsWithOnlyBrowseAndCloseUsable) {
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_EQ(dlg.GetDlgItem(IDC_FILE)->GetWindowText(), "");
    const std::vector<MenuItem>& menu = dlg.GetSystemMenu(FALSE)->GetItems();
    EXPECT_EQ(menu.at(menu.size() - 2).flags, MF_SEPARATOR);
    EXPECT_EQ(menu.back().text + std::to_string(menu.back().id), "&About Palvane2...16");
    EXPECT_EQ(dlg.GetIcon(TRUE), LoadIconResource(IDR_MAINFRAME));
    const RGBQUAD face{30, 20, 10, 0};
    EXPECT_EQ(std::memcmp(&dlg.m_preview.m_rgbBackground, &face, 4), 0);
}

TEST_F(DialogTest, BrowseListsEverythingByIdAndShowsTheFirstFrame) {
    const std::string path = GoodFile();
    Browse(path);
    const FileChooserRequest& req = ws.FileChoosers().at(0);
    EXPECT_EQ(req.defaultExtension + req.initialName + req.filters.at(1).pattern, ".iff*.iff*.*");
    EXPECT_EQ(req.flags, 0x1004u);
    EXPECT_EQ(dlg.GetDlgItem(IDC_FILE)->GetWindowText(), path);
    EXPECT_EQ(Texts(dlg.m_cbItemPalette), (Strings{"1", "2", "40", "41891 (invalid)"}));
    EXPECT_EQ(Texts(dlg.m_cbCommonPalette), Texts(dlg.m_cbItemPalette));
    EXPECT_EQ(dlg.m_cbCommonPalette.GetItemData(3), 41891u);
    EXPECT_EQ(Texts(dlg.m_lbSprites), (Strings{"#10 - \"first\"", "#20 - \"second\""}));
    EXPECT_EQ(dlg.m_lbSprites.GetItemData(1), 20u);
    EXPECT_EQ(Texts(dlg.m_cbFrame), (Strings{"#0 size: 3x2 pixels", "#1 size: 3x2 pixels"}));
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "1");
    EXPECT_EQ(Enabled(), "1111111");
    EXPECT_EQ(dlg.m_preview.m_pBitmap, &dlg.m_bmpFrame);
    EXPECT_EQ(PreviewPixel(), Color5());

    Browse(WriteIff({}));
    EXPECT_EQ(Texts(dlg.m_cbItemPalette), Strings{"41891 (invalid)"});
    EXPECT_EQ(dlg.m_lbSprites.GetCount(), 0);
    EXPECT_EQ(Enabled(), "1000110");
    // Two sprites of one ID: the container keeps the later.
    Browse(WriteIff({Palette(41891), Sprite(3, 1, {}, 1, "old"), Sprite(3, 1, {}, 1, "new")}));
    EXPECT_EQ(Texts(dlg.m_cbCommonPalette), (Strings{"41891", "41891 (invalid)"}));
    EXPECT_EQ(dlg.m_cbCommonPalette.GetItemData(0), 41891u);
    EXPECT_EQ(Texts(dlg.m_lbSprites), Strings{"#3 - \"new\""});
    EXPECT_TRUE(Shown().empty());
}

TEST_F(DialogTest, BrowseFailuresDisableTheWorkAndKeepTheLists) {
    const std::string locked = GoodFile(), notIff = TempPath("text.iff");
    CFile holder;
    ASSERT_TRUE(holder.Open(locked.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    WriteFileBytes(notIff, Bytes(100, 'x'));
    for (const auto& [path, message] : {std::pair{TempPath("none.iff"), "Unable to open file!"},
                                        std::pair{locked, "Unable to open file!"},
                                        std::pair{notIff, "Unable to open file as an IFF file!"}}) {
        const std::string good = GoodFile();
        Browse(good);
        Browse(path);
        EXPECT_EQ(Shown(), (Boxes{{message, "Error", MB_ICONHAND}}));
        EXPECT_EQ(Enabled(), "0000000");
        EXPECT_EQ(dlg.m_lbSprites.GetCount(), 2);
        EXPECT_EQ(dlg.m_strFile, path);
        EXPECT_EQ(dlg.GetDlgItem(IDC_FILE)->GetWindowText(), good);
    }
    // A file whose first bytes cannot be read: the file error's own report, no crash.
    if (!holder.Open("/proc/self/mem", CFile::modeReadWrite | CFile::shareExclusive)) return;
    holder.Close();
    Browse("/proc/self/mem");
    const Boxes boxes = Shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("/proc/self/mem"), std::string::npos);
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONHAND);
}

TEST_F(DialogTest, BrowseAsksBeforeDroppingChangesAndACancelledChooserDisablesAll) {
    Browse(GoodFile());
    dlg.m_cbItemPalette.UserEditText("2");
    const Boxes question{
        {"You haven't saved your changes yet! Are you sure you want to open an other file?",
         "Warning", MB_YESNO | MB_ICONEXCLAMATION}};
    Click(IDC_BROWSE);  // unanswered: No
    EXPECT_EQ(Shown(), question);
    EXPECT_EQ(ws.FileChoosers().size(), 1u);
    EXPECT_EQ(Enabled(), "1111111");
    ws.AnswerMessageBox(IDYES);
    Click(IDC_BROWSE);  // and the chooser is cancelled
    EXPECT_EQ(Shown(), question);
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_EQ(dlg.m_lbSprites.GetCount(), 2);
    Click(IDC_BROWSE);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(DialogTest, SelectingSpritesAndFramesShowsTheirPalettes) {
    // 4 selects "40" and 4189 "41891 (invalid)": the first entry they begin with.
    Browse(WriteIff({Palette(1), FlatPalette(2, {9, 8, 7}), FlatPalette(40, {1, 1, 1}),
                     Sprite(1, 4, {4189, 2}), Sprite(2, 7, {}), BrokenSprite(3),
                     Sprite(4, 40, {77}), Sprite(5, 9, {9})}));
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "40");
    EXPECT_EQ(dlg.m_cbItemPalette.GetCurSel(), 3);
    dlg.m_cbFrame.UserSelect(1);
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "2");
    EXPECT_EQ(PreviewPixel(), RGB(9, 8, 7));
    dlg.m_lbSprites.UserSelect(0);  // the same sprite again: back to frame 0
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 0);

    CBitmap* shown = dlg.m_preview.m_pBitmap;
    dlg.m_lbSprites.UserSelect(1);  // no frames; 7 matches no entry
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "7");
    EXPECT_EQ(Enabled(), "1110110");
    EXPECT_EQ(dlg.m_preview.m_pBitmap, shown);
    dlg.m_lbSprites.UserSelect(2);
    EXPECT_EQ(Shown(), (Boxes{{"Can't load this resource!", "Error", MB_ICONHAND}}));
    EXPECT_EQ(Enabled(), "1000110");
    dlg.m_lbSprites.UserSelect(3);  // frame palette 77 is missing: the sprite's is used
    EXPECT_EQ(PreviewPixel(), RGB(1, 1, 1));
    dlg.m_lbSprites.UserSelect(4);  // neither exists: no picture
    EXPECT_EQ(dlg.m_preview.m_pBitmap, nullptr);
    EXPECT_FALSE(dlg.m_bDirty);
}

}  // namespace
}  // namespace apptest
