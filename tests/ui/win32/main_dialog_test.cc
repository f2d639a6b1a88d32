// The main dialog as a system dialog, driven through the system's own message handling: the
// shared sessions through a user's hands, then what only the Win32 back end has (the
// system's file chooser, message boxes and menu, keyboard mnemonics, the printed and the
// on-screen picture, minimising, the program file).
#include <algorithm>
#include <filesystem>

#include "app/control_ids.h"
#include "desktop/sessions.h"
#include "driver.h"
#include "drop_and_keys.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/win32_window_system.h"

namespace {

using desktop::Key;
using driver::NativeWindow;
using Strings = std::vector<std::string>;

// Each Key's virtual-key code, in Key's order; ShiftZ and Plus go with Shift. 0xBB is the
// =/+ key, 0xBD the - key, 0x6B and 0x6D the keypad's, 0x21 and 0x22 PgUp and PgDn.
constexpr unsigned kVirtualKeys[] = {0x1B, 0x0D, 'Z',  'Z', 'Y', 0xBB, 0xBB,
                                     0x6B, 0xBD, 0x6D, '0', 'P', 0x21, 0x22};
static_assert(std::size(kVirtualKeys) == static_cast<std::size_t>(Key::PageDown) + 1);

class Win32Hands : public desktop::Hands {
public:
    Win32Hands() : m_watchdog(60, testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    NativeWindow Window() { return m_ws.HostOf(*m_dlg) ? m_ws.HostOf(*m_dlg)->Window() : nullptr; }
    NativeWindow Item(int id) { return driver::Item(Window(), id); }
    win32ui::Win32WindowSystem& System() { return m_ws; }

    void RunModal(CDialog& dlg, std::function<void()> script) override {
        m_dlg = &dlg;
        driver::Poll([&dlg, script] {
            script();
            if (!dlg.IsEnded()) dlg.EndDialog(-1);
            return true;
        });
        dlg.DoModal();
    }
    void ChooseFile(std::optional<std::string> path) override {
        m_ws.SetFileChooser([path](const FileChooserRequest&) { return path; });
    }
    void Click(int id) override { driver::Click(Item(id)); }
    void ChooseRow(int id, int row) override { driver::ChooseRow(Item(id), row); }
    void Type(int id, const std::string& text) override { driver::Type(Item(id), text, true); }
    void SetFocus(int id) override { driver::SetFocusTo(Item(id)); }
    void Press(Key key) override { driver::Key(Window(), kVirtualKeys[static_cast<int>(key)]); }
    // Through the dialog's loop; what the keys make for the focus (a text field's Ctrl+Z)
    // goes through it too.
    void Ctrl(Key key) override {
        driver::CtrlKey(Window(), kVirtualKeys[static_cast<int>(key)],
                        key == Key::ShiftZ || key == Key::Plus);
        driver::Pump(Window());
    }
    void Mouse(int x, int y, bool leftButton) override {
        driver::MouseMove(Item(IDC_PREVIEW), leftButton, x, y);
    }
    void Wheel(int x, int y, int delta, bool ctrl) override {
        driver::ClientToScreen(Item(IDC_PREVIEW), &x, &y);
        driver::Wheel(Window(), ctrl, delta, x, y);
    }
    void MouseLeaves() override { driver::MouseLeave(Item(IDC_PREVIEW)); }
    void Drop(int id, const std::string& path) override {
        driver::DropFiles(id ? Item(id) : Window(), {path});
    }
    void ResizeWindow(int cx, int cy) override { driver::Resize(Window(), cx, cy); }
    void CloseBox() override { driver::CloseBox(Window()); }
    void AltF4() override {
        driver::AltF4(Window());
        driver::Pump(Window());
    }
    Strings WindowMenu(const std::string& choose) override {
        driver::OpenSystemMenu(Window());
        const Strings entries = driver::SystemMenu(Window());
        const auto at = std::find(entries.begin(), entries.end(), choose);
        if (at != entries.end())
            driver::SysCommand(Window(), driver::SystemMenuId(Window(), at - entries.begin()));
        return entries;
    }
    void ReadNextDialog(Strings* texts) override {
        driver::Poll([this, texts] {
            NativeWindow box = driver::OtherDialog({Window()});
            if (!box) return false;
            texts->push_back(driver::Text(box));
            for (const std::string& text : driver::ControlTexts(box)) texts->push_back(text);
            m_ownerWhileOpen = driver::Enabled(Window()) ? "owner enabled" : "owner disabled";
            driver::Key(box, driver::kEscape);
            return true;
        });
    }
    // The system's own message boxes, answered by clicking their buttons.
    void AnswerBoxes(const std::vector<int>& buttons) override {
        for (int b : buttons) m_answers.push_back(b);
        driver::Poll([this] {
            NativeWindow box = driver::OtherDialog({Window()});
            if (!box || m_answers.empty()) return false;
            const auto has = [box](int id) { return driver::Visible(driver::Item(box, id)); };
            const int answer =
                NextAnswer((driver::Owner(box) == Window() ? "dialog / " : "other / ") +
                           driver::Text(driver::Item(box, 0xFFFF)) + " / " + driver::Text(box) +
                           " / " + driver::BoxIcon(box) + " / " +
                           (has(IDOK)                 ? "ok"
                            : has(IDYES) && has(IDNO) ? "yes no"
                                                      : "?"));
            driver::Click(driver::Item(box, answer));
            return true;
        });
    }
    std::string Title() override { return driver::Text(Window()); }
    bool HasIcon() override {
        return driver::HasIcon(Window(), true) && driver::HasIcon(Window(), false);
    }
    bool Visible() override { return driver::Visible(Window()); }
    bool Enabled(int id) override { return driver::Enabled(Item(id)); }
    bool Focused(int id) override { return driver::Focus() == Item(id); }
    bool ShowsFocus(int id) override { return Focused(id) && driver::FocusCuesShown(Window()); }
    std::string Text(int id) override { return driver::Text(Item(id)); }
    Strings Rows(int id) override {
        Strings rows;
        for (int i = 0; i < driver::Rows(Item(id)); ++i)
            rows.push_back(driver::RowText(Item(id), i));
        return rows;
    }
    int Selection(int id) override { return driver::Selection(Item(id)); }
    desktop::Shot Preview() override {
        driver::Picture shown = driver::Capture(Item(IDC_PREVIEW));
        return {shown.width, shown.height, std::move(shown.pixels)};
    }
    std::uint32_t FaceColor() override { return driver::FaceColor(); }
    std::pair<int, int> WindowSize() override {
        const driver::Rect r = driver::PlaceOnScreen(Window());
        return {r.cx, r.cy};
    }
    desktop::Place PlaceOf(int id) override {
        const driver::Rect r = driver::PlaceInParent(Item(id));
        return {r.x, r.y, r.cx, r.cy};
    }
    bool CanMaximize() override { return driver::CanMaximize(Window()); }

    std::string m_ownerWhileOpen;

private:
    driver::Watchdog m_watchdog;
    win32ui::Win32WindowSystem m_ws;
    CDialog* m_dlg = nullptr;
};

std::unique_ptr<desktop::Hands> MakeHands() {
    if (!driver::CanShowWindows()) return nullptr;
    return std::make_unique<Win32Hands>();
}

using desktop::DesktopSession;
using desktop::DesktopView;
INSTANTIATE_TEST_SUITE_P(Win32, DesktopSession, testing::Values(&MakeHands));
INSTANTIATE_TEST_SUITE_P(Win32, DesktopView, testing::Values(&MakeHands));

// What the program's own drawing of a window makes, at the window's size: 0xRRGGBB.
std::vector<std::uint32_t> Drawn(CWnd& wnd, int cx, int cy) {
    std::vector<std::uint32_t> pixels;
    CBitmap surface;
    if (!surface.Attach(CreateCompatibleBitmap(nullptr, cx, cy))) return pixels;
    wnd.PaintInto(surface);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            const COLORREF c = GetBitmapPixel(surface, x, y);
            pixels.push_back((static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                             (GetGValue(c) << 8) | GetBValue(c));
        }
    return pixels;
}

// What only Win32 has, in the sessions' fixture: its hands seen as Win32's.
class Win32Dialog : public DesktopSession {
protected:
    Win32Hands& W() { return static_cast<Win32Hands&>(*hands); }
};
INSTANTIATE_TEST_SUITE_P(Win32, Win32Dialog, testing::Values(&MakeHands));

// The About box disables its owner while it runs; minimised, the dialog knows it, and its
// icon stands in for it.
TEST_P(Win32Dialog, SystemControlsShowWhatTheProgramDrawsTheAboutBoxOwnsAndMinimising) {
    hands->RunModal(*dlg, [&] {
        const NativeWindow preview = W().Item(IDC_PREVIEW);
        const driver::Rect place = driver::PlaceInParent(preview);
        EXPECT_EQ(place, driver::DialogUnits(W().Window(), 112, 56, 277, 169));
        EXPECT_EQ(driver::ClassName(preview), "PalvaneSurface");
        EXPECT_EQ(driver::ClassName(W().Item(IDC_SPRITES)), "ListBox");
        hands->Click(IDC_BROWSE);
        // What the window shows, asked to print itself and as it stands on the screen, is
        // what the program draws.
        const driver::Picture printed = driver::Capture(preview);
        EXPECT_EQ(printed.pixels, Drawn(dlg->m_preview, place.cx, place.cy));
        const int x = dlg->m_preview.m_nOriginX, y = dlg->m_preview.m_nOriginY;
        EXPECT_EQ(printed.At(x, y), desktop::kRed);
        const driver::Picture screen = driver::Capture(W().Window(), false);
        const driver::Picture client = driver::Capture(W().Window());
        const int left = (screen.width - client.width) / 2;  // the frame's width
        const int top = screen.height - client.height - left;
        EXPECT_EQ(screen.At(left + place.x + x, top + place.y + y), desktop::kRed);
        EXPECT_EQ(screen.At(left + place.x + x - 1, top + place.y + y), driver::FaceColor());

        Strings about;
        hands->ReadNextDialog(&about);
        hands->WindowMenu("&About Palvane2...");
        EXPECT_EQ(W().m_ownerWhileOpen, "owner disabled");
        EXPECT_TRUE(driver::Enabled(W().Window()));
        driver::Minimize(W().Window(), true);
        EXPECT_TRUE(dlg->IsIconic());
        EXPECT_TRUE(driver::AnswersDragIcon(W().Window()));
        driver::Minimize(W().Window(), false);
        EXPECT_FALSE(dlg->IsIconic());
    });
}

// Alt+letter mnemonics through the dialog's keyboard handling, the system's chooser with a
// typed path (the focus on the sprites after it), and its message boxes, one of them up while a
// close request comes from outside.
TEST_P(Win32Dialog, KeyboardSessionWithTheSystemFileChooserAndMessageBoxes) {
    W().System().SetFileChooser(nullptr);
    path = desktop::WriteSessionFile(
        "\xC3\xA4-\xD0\xBF\xD0\xB0\xD0\xBB\xD0\xB8\xD1\x82\xD1\x80\xD0\xB0.iff");
    std::vector<std::string> seen;
    const auto answerBox = [&](int button) {
        driver::Poll([&, button] {
            NativeWindow box = driver::OtherDialog({W().Window()});
            if (!box) return false;
            seen.push_back(driver::Text(driver::Item(box, 0xFFFF)) + " / " + driver::BoxIcon(box));
            driver::PostClose(W().Window());
            driver::Poll([box, button] {
                driver::Click(driver::Item(box, button));
                return true;
            });
            return true;
        });
    };
    hands->RunModal(*dlg, [&] {
        std::string chooser;
        driver::Poll([&] {
            NativeWindow box = driver::OtherDialog({W().Window()});
            if (!box) return false;
            chooser = driver::Text(box);
            for (const std::string& type : driver::ChooserTypes(box)) chooser += " / " + type;
            if (driver::ChooserOffersReadOnly(box)) chooser += " / read-only box";
            // Typed the way a user writes a path (the system's chooser hangs on a doubled
            // separator).
            driver::EnterFileName(
                box, std::filesystem::u8path(path).lexically_normal().make_preferred().u8string());
            return true;
        });
        driver::AltKey(W().Window(), 'b');
        EXPECT_EQ(chooser, "Open / IFF files (*.iff) / All files (*.*)");
        ASSERT_TRUE(std::filesystem::equivalent(std::filesystem::u8path(hands->Text(IDC_FILE)),
                                                std::filesystem::u8path(path)))
            << hands->Text(IDC_FILE);
        EXPECT_TRUE(hands->Focused(IDC_SPRITES));  // not back on Browse once the chooser goes

        answerBox(IDYES);
        driver::AltKey(W().Window(), 'q');
        EXPECT_FALSE(dlg->IsEnded());  // nothing was unsaved when the close request came
        answerBox(IDNO);
        driver::AltKey(W().Window(), 'c');  // unsaved: asks, and No keeps it open
        EXPECT_TRUE(hands->Visible());
        answerBox(IDOK);
        driver::AltKey(W().Window(), 's');
        driver::AltKey(W().Window(), 'c');  // saved: closes without asking
        EXPECT_EQ(seen, (Strings{std::string(desktop::kQuickPatchText) + " / warning",
                                 std::string(desktop::kQuitText) + " / warning",
                                 "File saved!" + std::string(" / information")}));
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
