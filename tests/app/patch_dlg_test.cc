// The main dialog's model through the scripted window system, on files written for the test:
// what the sessions on real windows (tests/desktop) leave out. Every Browse outcome, list and
// enabled state, each message box's exact text, typed IDs of every form, what the patches
// store, a failed save, and what reaches the disk.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <map>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "doubles/fault_files.h"
#include "iff/iff_types.h"
#include "raster/gdi.h"

namespace {

using namespace apptest;
using Strings = std::vector<std::string>;

// For each sprite by ID: its own palette ID, then each frame's; empty when it does not
// decode.
using PaletteIds = std::map<WORD, Ids>;
PaletteIds ContainerPalettes(CIffFile& iff) {
    PaletteIds ids;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos;) {
        CIffChunk* chunk = iff.GetNextByIdOfType(pos);
        CSpr2 sprite;
        Ids& out = ids[chunk->m_wID];
        if (!sprite.Attach(&iff, chunk)) continue;
        out.push_back(sprite.GetPaletteId());
        for (const Spr2FrameInfo& f : sprite.m_frames) out.push_back(f.wPaletteId);
    }
    return ids;
}
PaletteIds DiskPalettes(const Bytes& bytes) {
    CIffFile iff;
    return LoadIffBytes(iff, bytes) ? ContainerPalettes(iff) : PaletteIds{};
}

template <class Control>
Strings Texts(const Control& c) {
    Strings out;
    for (const ListEntry& e : c.GetEntries()) out.push_back(e.text);
    return out;
}

ShownMessageBox Question(const std::string& text) {
    return {text, "Warning", MB_YESNO | MB_ICONEXCLAMATION};
}
const std::string kUnsaved = "You haven't saved your changes yet! Are you sure you want to ";
const ShownMessageBox kQuit = Question(kUnsaved + "quit?"),
                      kDiscard = Question(kUnsaved + "open an other file?");

// Each file after a good one: what the lists hold, what can be used, what was said.
TEST_F(DialogTest, BrowseListsTheFileByIdOrSaysWhyNotAndKeepsTheLists) {
    const std::string good = WriteIff({Palette(40, {1, 1, 1}), Palette(1), Palette(2, {9, 8, 7}),
                                       Sprite(20, 7, {}, "none"), BrokenSprite(30),
                                       Sprite(40, 9, {9}), Sprite(10, 4, {4189, 2}, "first")});
    const Strings sprites{"#10 - \"first\"", "#20 - \"none\"", "#30 - \"\"", "#40 - \"\""},
        palettes{"1", "2", "40", "41891 (invalid)"};
    const std::string notIff = TempPath("text.iff");
    WriteFileBytes(notIff, Bytes(100, 'x'));
    // Two sprites of one ID: the container keeps the later.
    const std::string dups =
        WriteIff({Palette(41891), Sprite(3, 1, {}, "old"), Sprite(3, 1, {}, "new")});
    const auto error = [](const char* text) { return Boxes{{text, "Error", MB_ICONHAND}}; };
    struct Case {
        std::string path;
        Strings sprites, palettes;
        std::string enabled;
        Boxes boxes;
    };
    for (const Case& c :
         {Case{good, sprites, palettes, "1111111", {}},
          Case{WriteIff({}), {}, {"41891 (invalid)"}, "1000110", {}},
          Case{dups, {"#3 - \"new\""}, {"41891", "41891 (invalid)"}, "1110110", {}},
          Case{TempPath("none.iff"), sprites, palettes, "0000000", error("Unable to open file!")},
          Case{notIff, sprites, palettes, "0000000",
               error("Unable to open file as an IFF file!")}}) {
        SCOPED_TRACE(c.path);
        Browse(good);
        Browse(c.path);
        EXPECT_EQ(Shown(), c.boxes);
        EXPECT_EQ(Texts(dlg.m_lbSprites), c.sprites);
        EXPECT_EQ(Texts(dlg.m_cbItemPalette), c.palettes);
        EXPECT_EQ(Texts(dlg.m_cbCommonPalette), c.palettes);
        EXPECT_EQ(Enabled(), c.enabled);
        EXPECT_EQ(dlg.GetDlgItem(IDC_FILE)->GetWindowText(), c.boxes.empty() ? c.path : good);
    }

    Browse(good);
    EXPECT_EQ(Texts(dlg.m_cbFrame), (Strings{"#0 size: 3x2 pixels", "#1 size: 3x2 pixels"}));
    // 4 selects "40" and 4189 "41891 (invalid)": the first entry they begin with.
    EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), "40");
    EXPECT_EQ(dlg.m_cbItemPalette.GetCurSel(), 3);
    dlg.m_lbSprites.UserSelect(1);  // no frames
    EXPECT_EQ(Enabled(), "1110110");
    dlg.m_lbSprites.UserSelect(2);
    EXPECT_EQ(Shown(), error("Can't load this resource!"));
    EXPECT_EQ(Enabled(), "1000110");
    dlg.m_lbSprites.UserSelect(3);  // no palette to draw with: no picture
    EXPECT_EQ(dlg.m_preview.m_pBitmap, nullptr);
    EXPECT_FALSE(dlg.m_bDirty);
}

// A file that fails while it is read (here a pipe, which cannot be positioned): the error
// is shown and nothing of the file before it is left working, for Save to write over it.
TEST_F(DialogTest, AFileFailingWhileReadLeavesNothingToSave) {
#ifdef _WIN32
    GTEST_SKIP() << "no file there that opens and then fails a read with an error (a named "
                    "pipe is refused as not an IFF file, which the other cases cover)";
#else
    Browse(WriteIff({Palette(1), Sprite(1, 1, {1})}));
    const std::string pipe = TempPath("pipe.iff");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Browse(pipe);
    const Boxes boxes = Shown();  // the file error itself, not one of Browse's own messages
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("seek"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_FALSE(dlg.m_bDirty);
#endif
}

// On frame 1 of sprite 5, beside a sprite of two frames, one that does not decode and one
// without frames: typed and chosen IDs, then both patches.
TEST_F(DialogTest, PaletteEditsAndPatches) {
    Browse(WriteIff({Palette(1), Palette(40, {1, 2, 3}), Sprite(2, 1, {1, 40}), BrokenSprite(3),
                     Sprite(4, 40, {}), Sprite(5, 1, {1, 1})}));
    dlg.m_lbSprites.UserSelect(3);
    dlg.m_cbFrame.UserSelect(1);
    ws.Watch(dlg.m_preview);
    for (const char* text : {"", "abc", "-"}) {  // no number: nothing stored, nothing redrawn
        dlg.m_cbItemPalette.UserEditText(text);
        dlg.m_cbCommonPalette.UserEditText(text);
    }
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(ws.Invalidations(dlg.m_preview), 0);
    // The number typed at once, into both combos, and the picture redrawn with it.
    for (const auto& [text, id] :
         {std::pair{"40", 40}, std::pair{"-1", 65535}, std::pair{"65536", 0},
          std::pair{"41891 (invalid)", 41891}, std::pair{"99999999999999999999", 65535}}) {
        for (CComboBox* combo : {&dlg.m_cbItemPalette, &dlg.m_cbCommonPalette}) {
            const int repaints = ws.Invalidations(dlg.m_preview);
            combo->UserEditText(text);
            EXPECT_GT(ws.Invalidations(dlg.m_preview), repaints) << text;
        }
        EXPECT_EQ(ContainerPalettes(dlg.m_iff)[5], (Ids{WORD(id), 1, WORD(id)})) << text;
    }
    EXPECT_TRUE(dlg.m_bDirty);
    dlg.m_cbItemPalette.UserSelect(1);  // chosen entries store their item data
    EXPECT_EQ(GetBitmapPixel(*dlg.m_preview.m_pBitmap, 0, 0), RGB(1, 2, 3));
    dlg.m_cbCommonPalette.UserSelect(0);
    dlg.m_cbItemPalette.UserSelect(2);
    EXPECT_EQ(ContainerPalettes(dlg.m_iff)[5], (Ids{1, 1, 41891}));

    const PaletteIds before = ContainerPalettes(dlg.m_iff);
    const std::string ask = "!\n\nAre you sure you want to continue?";
    const ShownMessageBox quick = Question("This will set all items to an invalid palette" + ask),
                          manual = Question("This will set all items to palette 40" + ask);
    const ShownMessageBox bad{"Can't load one of the SPR2 resources!", "Warning", MB_ICONHAND};
    Click(IDC_QUICK_PATCH);  // unanswered: No
    EXPECT_EQ(ContainerPalettes(dlg.m_iff), before);
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);  // every frame of every sprite that decodes; sprite palettes kept
    EXPECT_EQ(Shown(), (Boxes{quick, quick, bad}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 41891, 41891}}, {3, {}}, {4, {40}}, {5, {1, 41891, 41891}}}));
    EXPECT_EQ(dlg.m_cbFrame.GetCurSel(), 0);  // sprite 5 shown again, from frame 0
    EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), "41891 (invalid)");
    dlg.m_cbItemPalette.UserSelect(1);  // "40"
    Click(IDC_MANUAL_PATCH);
    ws.AnswerMessageBox(IDYES);
    Click(IDC_MANUAL_PATCH);
    EXPECT_EQ(Shown(), (Boxes{manual, manual, bad}));
    EXPECT_EQ(ContainerPalettes(dlg.m_iff),
              (PaletteIds{{2, {1, 40, 40}}, {3, {}}, {4, {40}}, {5, {1, 40, 40}}}));

    ws.AnswerMessageBox(IDYES);  // to drop the changes: nothing is written back any more
    Browse(TempPath("missing.iff"));
    for (CComboBox* combo : {&dlg.m_cbItemPalette, &dlg.m_cbCommonPalette}) {
        combo->EnableWindow(TRUE);  // as if a handler were reached regardless
        combo->UserEditText("7");
        combo->UserSelect(0);
    }
    EXPECT_FALSE(dlg.m_bDirty);
    Shown();
    Browse(WriteIff({Palette(1)}));  // no sprites: asked all the same
    ws.AnswerMessageBox(IDYES);
    Click(IDC_QUICK_PATCH);
    EXPECT_EQ(Shown(), Boxes{quick});
    EXPECT_TRUE(dlg.m_bDirty);
}

// An ID without an entry is shown as text with nothing selected, in either combo and
// whichever change brought it; Manual Patch then asks nothing and writes nothing, and
// asks about the entry it writes once one is chosen again.
TEST_F(DialogTest, AnIdWithoutAnEntrySelectsNothingAndManualPatchStaysSilent) {
    Browse(WriteIff({Palette(1), Palette(40), Sprite(1, 40, {40, 99}), Sprite(2, 99, {1})}));
    const PaletteIds before = ContainerPalettes(dlg.m_iff);
    struct Step {
        const char* what;
        int sprite, frame;  // -1: left as it is
        const char* common;
        int commonSel;
        const char* item;
        int itemSel;
    };
    const Step steps[] = {
        {"first frame", -1, -1, "40", 1, "40", 1},
        {"frame naming 99", -1, 1, "40", 1, "99", CB_ERR},
        {"sprite naming 99", 1, -1, "99", CB_ERR, "1", 0},
        {"back to the first sprite", 0, -1, "40", 1, "40", 1},
    };
    ws.AnswerMessageBox(IDYES);  // would patch, if anything were asked
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.sprite >= 0) dlg.m_lbSprites.UserSelect(step.sprite);
        if (step.frame >= 0) dlg.m_cbFrame.UserSelect(step.frame);
        EXPECT_EQ(dlg.m_cbCommonPalette.GetWindowText(), step.common);
        EXPECT_EQ(dlg.m_cbCommonPalette.GetCurSel(), step.commonSel);
        EXPECT_EQ(dlg.m_cbItemPalette.GetWindowText(), step.item);
        EXPECT_EQ(dlg.m_cbItemPalette.GetCurSel(), step.itemSel);
        if (step.itemSel != CB_ERR) continue;
        Click(IDC_MANUAL_PATCH);
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(ContainerPalettes(dlg.m_iff), before);
    }
    EXPECT_FALSE(dlg.m_bDirty);
    Click(IDC_MANUAL_PATCH);  // "40" chosen: asked about 40, and 40 written
    EXPECT_EQ(Shown(), Boxes{Question("This will set all items to palette 40!\n\nAre you sure "
                                      "you want to continue?")});
    EXPECT_EQ(ContainerPalettes(dlg.m_iff), (PaletteIds{{1, {40, 40, 40}}, {2, {99, 40}}}));
}

// One session: a failed save, the questions before closing and before opening another file
// answered No, saves, then both questions answered Yes.
TEST_F(DialogTest, SaveWritesTheChangesAndCloseAsksWhileAnyAreUnsaved) {
    const std::string path = WriteIff({Palette(1), Sprite(1, 1, {1, 1})});
    const Bytes original = ReadFileBytes(path);
    Browse(path);
    dlg.m_cbItemPalette.UserEditText("300");
    {
        CFaultySaveFileSystem fs;
        fs.refuseReplace = true;
        ScopedSaveFileSystem scoped(&fs);
        Click(IDC_SAVE);
    }
    EXPECT_EQ(Shown(), (Boxes{{"Error while saving this file!", "Error", MB_ICONHAND}}));
    EXPECT_TRUE(dlg.m_bDirty);
    Click(IDC_CLOSE);   // unanswered: No
    Click(IDC_BROWSE);  // unanswered: No, and no chooser
    EXPECT_EQ(Shown(), (Boxes{kQuit, kDiscard}));
    EXPECT_EQ(ws.FileChoosers().size(), 1u);
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_EQ(HeldFileBytes(dlg.m_iff), original);  // nothing saved on the way

    Click(IDC_SAVE);
    dlg.m_cbCommonPalette.UserEditText("2");  // work goes on with the same file
    Click(IDC_SAVE);
    EXPECT_EQ(Shown(), Boxes(2, {"File saved!", "Success!", MB_ICONASTERISK}));
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(DiskPalettes(HeldFileBytes(dlg.m_iff)), (PaletteIds{{1, {2, 300, 1}}}));

    dlg.m_cbCommonPalette.UserEditText("3");
    ws.AnswerMessageBox(IDYES);
    Click(IDC_BROWSE);  // Yes, and the chooser cancelled: nothing left to work on
    EXPECT_FALSE(dlg.m_bDirty);
    EXPECT_EQ(Enabled(), "0000000");
    EXPECT_EQ(dlg.m_lbSprites.GetCount(), 1);
    Click(IDC_BROWSE);  // nothing unsaved: no question
    Browse(path);
    dlg.m_cbCommonPalette.UserEditText("3");
    ws.AnswerMessageBox(IDYES);
    Click(IDC_CLOSE);
    EXPECT_EQ(Shown(), (Boxes{kDiscard, kQuit}));
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    dlg.m_iff.Reset();
    EXPECT_EQ(DiskPalettes(ReadFileBytes(path)), (PaletteIds{{1, {2, 300, 1}}}));
}

}  // namespace
