// The main dialog as a system dialog, used the way a user would: clicks, keys through the
// dialog's own keyboard handling, typing, mouse drags, the system's file chooser and menu.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "driver.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"
#include "builders/spr2_builder.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/win32_window_system.h"

using namespace builders;
using driver::NativeWindow;

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
const char kQuickPatch[] =
    "This will set all items to an invalid palette!\n\nAre you sure you want to continue?";
const char kQuit[] = "You haven't saved your changes yet! Are you sure you want to quit?";
constexpr UINT kQuestion = MB_YESNO | MB_ICONEXCLAMATION;

// Runs dlg modally with script running inside its message loop; a script that returns
// without ending the dialog gets it ended with -1.
INT_PTR RunModal(CDialog& dlg, std::function<void()> script) {
    driver::Poll([&dlg, script] {
        script();
        if (!dlg.IsEnded()) dlg.EndDialog(-1);
        return true;
    });
    return dlg.DoModal();
}

// What the program's own drawing of a window makes, at the window's size: 0xRRGGBB.
driver::Picture Drawn(CWnd& wnd, int cx, int cy) {
    driver::Picture picture;
    CBitmap surface;
    if (!surface.Attach(CreateCompatibleBitmap(nullptr, cx, cy))) return picture;
    wnd.PaintInto(surface);
    picture.width = cx;
    picture.height = cy;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            const COLORREF c = GetBitmapPixel(surface, x, y);
            picture.pixels.push_back((static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                                     (GetGValue(c) << 8) | GetBValue(c));
        }
    return picture;
}

class MainDialog : public testing::Test {
protected:
    void SetUp() override {
        if (!driver::CanShowWindows())
            GTEST_SKIP() << "no display to show windows on (run under an X server)";
        watchdog = std::make_unique<driver::Watchdog>(
            60, testing::UnitTest::GetInstance()->current_test_info()->name());
        ws = std::make_unique<win32ui::Win32WindowSystem>();
        path = TempPath("demo.iff");
        WriteFileBytes(path, TwoSpriteDemo());
        ws->SetFileChooser([this](const FileChooserRequest&) { return path; });
        ws->SetMessageBoxAnswer([this](NativeWindow owner, const std::string& text,
                                       const std::string& caption, UINT type) {
            seen.push_back(Box(owner, text, caption, type));
            if (answers.empty()) {
                ADD_FAILURE() << "an unexpected message box: " << text;
                return IDCANCEL;
            }
            const int answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
        dlg = std::make_unique<CPatchDlg>();
    }
    void TearDown() override {
        EXPECT_TRUE(answers.empty());
        dlg.reset();
        ws.reset();
        watchdog.reset();
    }

    std::string Box(NativeWindow owner, const std::string& text,
                    const std::string& caption = "Warning", UINT type = kQuestion) {
        return (owner == Window() ? "dialog" : "other") + std::string(" / ") + text + " / " +
               caption + " / " + std::to_string(type);
    }
    NativeWindow Window() { return ws->HostOf(*dlg) ? ws->HostOf(*dlg)->Window() : nullptr; }
    NativeWindow Item(int id) { return driver::Item(Window(), id); }
    std::uint32_t PreviewCentre() {
        const driver::Picture p = driver::Capture(Item(IDC_PREVIEW));
        return p.At(p.width / 2, p.height / 2);
    }
    std::pair<int, int> Origin() const {
        return {dlg->m_preview.m_nOriginX, dlg->m_preview.m_nOriginY};
    }

    std::unique_ptr<driver::Watchdog> watchdog;
    std::unique_ptr<win32ui::Win32WindowSystem> ws;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
    std::vector<int> answers;
    std::vector<std::string> seen;
};

TEST_F(MainDialog, StartsWithBrowseAndCloseAndIgnoresEscapeAndEnter) {
    RunModal(*dlg, [&] {
        EXPECT_EQ(driver::Text(Window()), "Palvane 2");
        EXPECT_TRUE(driver::HasIcon(Window(), true));
        EXPECT_TRUE(driver::HasIcon(Window(), false));
        EXPECT_EQ(driver::PlaceInParent(Item(IDC_PREVIEW)),
                  driver::DialogUnits(Window(), 112, 56, 277, 169));
        EXPECT_EQ(driver::ClassName(Item(IDC_PREVIEW)), "PalvaneSurface");
        EXPECT_EQ(driver::ClassName(Item(IDC_SPRITES)), "ListBox");
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), "");
        for (int id : {IDC_CLOSE, IDC_BROWSE, IDC_SPRITES, IDC_FRAME, IDC_COMMON_PALETTE,
                       IDC_ITEM_PALETTE, IDC_SAVE, IDC_QUICK_PATCH, IDC_MANUAL_PATCH})
            EXPECT_EQ(driver::Enabled(Item(id)), id == IDC_CLOSE || id == IDC_BROWSE) << id;
        EXPECT_EQ(driver::Focus(), Item(IDC_CLOSE));  // the first to take it

        driver::Click(Item(IDC_BROWSE));
        driver::SetFocusTo(Item(IDC_SPRITES));
        driver::Key(Window(), driver::kEscape);
        driver::Key(Window(), driver::kReturn);
        EXPECT_TRUE(driver::Visible(Window()));
        EXPECT_FALSE(dlg->IsEnded());
        ws->SetFileChooser([](const FileChooserRequest&) { return std::nullopt; });
        driver::Click(Item(IDC_BROWSE));  // cancelled: nothing left to work on
        EXPECT_FALSE(driver::Enabled(Item(IDC_SPRITES)));
        driver::SetFocusTo(Item(IDC_CLOSE));
        driver::Key(Window(), driver::kReturn);  // nothing to save: it closes
        EXPECT_EQ(dlg->GetModalResult(), IDOK);
    });
}

TEST_F(MainDialog, KeyboardSessionWithTheSystemFileChooserAndMessageBoxes) {
    ws->SetFileChooser(nullptr);
    ws->SetMessageBoxAnswer(nullptr);
    path = TempPath("\xC3\xA4-\xD0\xBF\xD0\xB0\xD0\xBB\xD0\xB8\xD1\x82\xD1\x80\xD0\xB0.iff");
    WriteFileBytes(path, TwoSpriteDemo());
    // The system's message box: its text, caption and icon, owned by the dialog; answered with
    // the button of the given ID, after a close request from outside while it is up.
    const auto answerBox = [&](int button) {
        driver::Poll([&, button] {
            NativeWindow box = driver::OtherDialog({Window()});
            if (!box) return false;
            seen.push_back((driver::Owner(box) == Window() ? "dialog / " : "other / ") +
                           driver::Text(driver::Item(box, 0xFFFF)) + " / " + driver::Text(box) +
                           " / " + driver::BoxIcon(box));
            driver::PostClose(Window());
            driver::Poll([box, button] {
                driver::Click(driver::Item(box, button));
                return true;
            });
            return true;
        });
    };
    const auto shown = [](const std::string& text, const std::string& caption,
                          const std::string& icon = "warning") {
        return "dialog / " + text + " / " + caption + " / " + icon;
    };
    RunModal(*dlg, [&] {
        std::string chooser;
        driver::Poll([&] {
            NativeWindow box = driver::OtherDialog({Window()});
            if (!box) return false;
            chooser = driver::Text(box);
            for (const std::string& type : driver::ChooserTypes(box)) chooser += " / " + type;
            if (driver::ChooserOffersReadOnly(box)) chooser += " / read-only box";
            // Typed the way a user writes a path.
            // Typed the way a user writes a path (the system's chooser hangs on a doubled
            // separator).
            driver::EnterFileName(
                box, std::filesystem::u8path(path).lexically_normal().make_preferred().u8string());
            return true;
        });
        driver::AltKey(Window(), 'b');
        EXPECT_EQ(chooser, "Open / IFF files (*.iff) / All files (*.*)");
        ASSERT_TRUE(std::filesystem::equivalent(
            std::filesystem::u8path(driver::Text(Item(IDC_FILE))), std::filesystem::u8path(path)))
            << driver::Text(Item(IDC_FILE));
        EXPECT_EQ(driver::Rows(Item(IDC_SPRITES)), 2);

        answerBox(IDYES);
        driver::AltKey(Window(), 'q');
        EXPECT_FALSE(dlg->IsEnded());  // nothing was unsaved when the close request came
        answerBox(IDNO);
        driver::AltKey(Window(), 'c');  // unsaved: asks, and No keeps it open
        EXPECT_TRUE(driver::Visible(Window()));
        answerBox(IDOK);
        driver::AltKey(Window(), 's');
        driver::AltKey(Window(), 'c');  // saved: closes without asking
        EXPECT_EQ(seen,
                  (std::vector<std::string>{shown(kQuickPatch, "Warning"), shown(kQuit, "Warning"),
                                            shown("File saved!", "Success!", "information")}));
        EXPECT_EQ(dlg->GetModalResult(), IDOK);
    });
}

TEST_F(MainDialog, SpritesFramesPalettesAndADragThroughRealMessages) {
    RunModal(*dlg, [&] {
        driver::Click(Item(IDC_BROWSE));
        EXPECT_EQ(driver::Text(Item(IDC_FILE)), path);
        const NativeWindow sprites = Item(IDC_SPRITES), frames = Item(IDC_FRAME),
                           common = Item(IDC_COMMON_PALETTE), item = Item(IDC_ITEM_PALETTE),
                           preview = Item(IDC_PREVIEW);
        ASSERT_EQ(driver::Rows(sprites), 2);
        EXPECT_EQ(driver::RowText(sprites, 0), "#100 - \"Orb\"");
        EXPECT_EQ(driver::RowText(sprites, 1), "#200 - \"D\u00E9cor\"");  // a Latin-1 name
        EXPECT_EQ(driver::Selection(sprites), 0);
        EXPECT_EQ(driver::RowText(frames, 1), "#1 size: 10x8 pixels");
        EXPECT_EQ(driver::Text(common), "1");
        EXPECT_EQ(PreviewCentre(), kRed);

        // A drag moves the picture by the cursor's displacement, and only a drag does.
        const auto [x0, y0] = Origin();
        driver::MouseMove(preview, false, 20, 20);
        driver::MouseMove(preview, true, 22, 19);
        EXPECT_EQ(Origin(), std::make_pair(x0 + 2, y0 - 1));
        driver::MouseMove(preview, true, 31, 15);
        driver::MouseMove(preview, false, 40, 40);
        const int mx = x0 + 11, my = y0 - 5;
        EXPECT_EQ(Origin(), std::make_pair(mx, my));
        // What the window shows, asked to print itself and as it stands on the screen, is
        // what the program draws.
        const driver::Rect place = driver::PlaceInParent(preview);
        const driver::Picture printed = driver::Capture(preview);
        const driver::Picture drawn = Drawn(dlg->m_preview, place.cx, place.cy);
        EXPECT_EQ(printed.pixels, drawn.pixels);
        EXPECT_EQ(printed.At(mx, my), kRed);
        EXPECT_EQ(printed.At(mx + 9, my + 7), kRed);
        EXPECT_EQ(printed.At(mx - 1, my), driver::FaceColor());
        EXPECT_EQ(printed.At(mx + 10, my), driver::FaceColor());
        const driver::Picture screen = driver::Capture(Window(), false);
        const driver::Picture client = driver::Capture(Window());
        const int left = (screen.width - client.width) / 2;  // the frame's width
        const int top = screen.height - client.height - left;
        EXPECT_EQ(screen.At(left + place.x + mx, top + place.y + my), kRed);
        EXPECT_EQ(screen.At(left + place.x + mx - 1, top + place.y + my), driver::FaceColor());
        driver::Resize(preview, 60, 50);  // the model hears of the new size
        CRect rc;
        dlg->m_preview.GetClientRect(&rc);
        EXPECT_EQ(std::make_pair(rc.Width(), rc.Height()), std::make_pair(60, 50));

        driver::ChooseRow(frames, 1);
        EXPECT_EQ(driver::Text(item), "2");
        EXPECT_EQ(PreviewCentre(), kBlue);
        driver::ChooseRow(sprites, 0);  // the sprite already chosen, chosen again: frame 0
        EXPECT_EQ(driver::Selection(frames), 0);
        EXPECT_FALSE(dlg->m_bDirty);  // what the program shows is no edit

        // Typed IDs take effect keystroke by keystroke; a chosen one by its entry.
        driver::Type(item, "2", true);
        EXPECT_EQ(PreviewCentre(), kBlue);
        driver::Key(Window(), driver::kReturn);  // picks no entry, even one named "2"
        EXPECT_EQ(dlg->m_cbItemPalette.GetCurSel(), 0);
        EXPECT_TRUE(driver::Visible(Window()));
        driver::Type(item, "\b");  // no number: nothing changes
        EXPECT_EQ(PreviewCentre(), kBlue);
        driver::ChooseRow(item, 1);
        EXPECT_EQ(driver::Text(item), "2");
        driver::ChooseRow(item, 2);
        EXPECT_EQ(driver::Text(item), "41891 (invalid)");
        EXPECT_EQ(PreviewCentre(), kRed);  // drawn in the sprite's palette
        EXPECT_TRUE(dlg->m_bDirty);

        driver::ChooseRow(sprites, 1);
        EXPECT_EQ(driver::Rows(frames), 1);
        EXPECT_EQ(driver::Text(common), "7");  // no entry: the number, none chosen
        EXPECT_EQ(driver::Selection(common), -1);
        driver::ChooseRow(sprites, 0);
        EXPECT_EQ(driver::Selection(common), 0);
        driver::ChooseRow(sprites, 1);

        answers = {IDNO, IDYES, IDOK};
        driver::Click(Item(IDC_QUICK_PATCH));
        driver::Click(Item(IDC_QUICK_PATCH));
        EXPECT_EQ(driver::Text(item), "41891 (invalid)");
        driver::Click(Item(IDC_SAVE));
        const std::string quick = Box(Window(), kQuickPatch);
        EXPECT_EQ(
            std::exchange(seen, {}),
            (std::vector<std::string>{
                quick, quick, Box(Window(), "File saved!", "Success!", MB_OK | MB_ICONASTERISK)}));
        EXPECT_FALSE(dlg->m_bDirty);

        // Unsaved changes: the close box asks (No keeps it open), Alt+F4 asks again.
        driver::Type(common, "7", true);
        answers = {IDNO};
        driver::CloseBox(Window());
        EXPECT_TRUE(driver::Visible(Window()));
        answers = {IDYES};
        driver::AltF4(Window());
        driver::Pump(Window());
        EXPECT_EQ(seen, std::vector<std::string>(2, Box(Window(), kQuit)));
        EXPECT_TRUE(dlg->IsEnded());
    });
}

TEST_F(MainDialog, SystemMenuOpensTheAboutBoxAndMinimisingShowsTheIcon) {
    RunModal(*dlg, [&] {
        const std::vector<std::string> entries = driver::SystemMenu(Window());
        ASSERT_GE(entries.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(entries.end() - 2, entries.end()),
                  (std::vector<std::string>{"-", "&About Palvane2..."}));
        std::vector<std::string> about;
        driver::Poll([&] {
            NativeWindow box = driver::OtherDialog({Window()});
            if (!box) return false;
            about.push_back(driver::Text(box));
            about.push_back(driver::Enabled(Window()) ? "owner enabled" : "owner disabled");
            about.push_back(driver::Text(driver::Item(box, IDOK)));
            driver::Key(box, driver::kEscape);
            return true;
        });
        driver::SysCommand(Window(),
                           driver::SystemMenuId(Window(), static_cast<int>(entries.size()) - 1));
        EXPECT_EQ(about, (std::vector<std::string>{"About Palvane2", "owner disabled", "OK"}));
        EXPECT_TRUE(driver::Enabled(Window()));
        EXPECT_TRUE(driver::Visible(Window()));
        EXPECT_FALSE(dlg->IsEnded());
        // Minimised, the dialog knows it, and its icon stands in for it.
        driver::Minimize(Window(), true);
        EXPECT_TRUE(dlg->IsIconic());
        EXPECT_TRUE(driver::AnswersDragIcon(Window()));
        driver::Minimize(Window(), false);
        EXPECT_FALSE(dlg->IsIconic());
        driver::CloseBox(Window());  // nothing unsaved: closes at once
        EXPECT_EQ(dlg->GetModalResult(), IDOK);
    });
}

TEST(ProgramFile, IsAWindowProgramWithItsIconVersionAndManifest) {
    const driver::ProgramFile program = driver::ReadProgramFile(PALVANE2_EXE);
    EXPECT_TRUE(program.windowsSubsystem);
    EXPECT_TRUE(program.hasIcon);
    EXPECT_EQ(program.productName, "Palvane 2");
    EXPECT_EQ(program.productVersion, "1.0");
    for (const char* setting : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                "level=\"asInvoker\"", ">true</dpiAware>"})
        EXPECT_NE(program.manifest.find(setting), std::string::npos) << setting;
}

}  // namespace
