// The main dialog's user sessions, written once and run on each back end's real windows
// through a user's hands (tests/ui/qt and tests/ui/win32 fill them in and instantiate the
// sessions with INSTANTIATE_TEST_SUITE_P(Backend, DesktopSession, Values(MakeHands)), and
// DesktopView likewise). A new session is a TEST_P in sessions.cc, open_undo_sessions.cc or
// view_sessions.cc; a gesture it needs becomes one more primitive here, filled in by both
// back ends. Only what one back end alone has goes into its folder.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/patch_dlg.h"

namespace desktop {

// Keys alone (Escape, Return) or with Ctrl held (the rest): Plus is Shift+=, ShiftZ Shift+Z.
enum class Key {
    Escape,
    Return,
    Z,
    ShiftZ,
    Y,
    Equals,
    Plus,
    KeypadPlus,
    Minus,
    KeypadMinus,
    Zero,
    P,
    PageUp,
    PageDown
};

// A picture as the screen shows it, one 0xRRGGBB per screen pixel, rows top-down.
struct Shot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels.at(std::size_t(y) * width + x); }
};

// A control's place in its window (x, y, cx, cy), in the units the window is resized in.
using Place = std::array<int, 4>;

// A user's hands and eyes on the main dialog's window; controls by their IDs.
class Hands {
public:
    virtual ~Hands() = default;

    // Runs dlg modally with script inside its loop, once its window is up and active.
    virtual void RunModal(CDialog& dlg, std::function<void()> script) = 0;
    // What the file chooser answers from now on (nullopt: the user cancels it).
    virtual void ChooseFile(std::optional<std::string> path) = 0;

    virtual void Click(int id) = 0;
    virtual void ChooseRow(int id, int row) = 0;  // a list's or a combo box's row
    // Typed over the whole text of a combo box's edit field; '\b' is backspace.
    virtual void Type(int id, const std::string& text) = 0;
    virtual void SetFocus(int id) = 0;
    virtual void Press(Key key) = 0;  // into the focused control
    virtual void Ctrl(Key key) = 0;   // the same, with Ctrl held
    // The pointer over the preview at (x, y) in screen pixels: moved there, the left button
    // held or not; the wheel turned there, Ctrl held or not; gone from the preview.
    virtual void Mouse(int x, int y, bool leftButton) = 0;
    virtual void Wheel(int x, int y, int delta, bool ctrl) = 0;
    virtual void MouseLeaves() = 0;
    // A file dragged from a file manager and dropped on a control (0: the window's face).
    virtual void Drop(int id, const std::string& path) = 0;
    virtual void ResizeWindow(int cx, int cy) = 0;
    virtual void CloseBox() = 0;
    virtual void AltF4() = 0;
    // Opens the window menu, chooses the entry with this text and gives its entries ("-" for
    // a separator, " (off)" after a disabled one).
    virtual std::vector<std::string> WindowMenu(const std::string& choose) = 0;

    // The next dialog that opens over the main one: its title, then each control's text in
    // template order ("icon" for an icon), read while it runs, before Escape ends it.
    virtual void ReadNextDialog(std::vector<std::string>* texts) = 0;
    // The next message boxes get these answers (IDYES...), in order.
    virtual void AnswerBoxes(const std::vector<int>& buttons) = 0;
    // The boxes answered since the last call: "owner / text / caption / icon / buttons", with
    // owner "dialog" or "other", icon "warning" or "information", buttons "yes no" or "ok".
    std::vector<std::string> ShownBoxes();

    virtual std::string Title() = 0;
    virtual bool HasIcon() = 0;
    virtual bool Visible() = 0;
    virtual bool Enabled(int id) = 0;
    virtual bool Focused(int id) = 0;
    virtual bool ShowsFocus(int id) = 0;  // focused, and it looks it
    virtual std::string Text(int id) = 0;
    virtual std::vector<std::string> Rows(int id) = 0;
    virtual int Selection(int id) = 0;  // -1: none
    virtual Shot Preview() = 0;         // what the preview shows, in screen pixels
    virtual std::uint32_t FaceColor() = 0;
    virtual std::pair<int, int> WindowSize() = 0;
    virtual Place PlaceOf(int id) = 0;
    virtual bool CanMaximize() = 0;

protected:
    // Notes a box that came, as ShownBoxes tells it, and gives the answer for it.
    int NextAnswer(const std::string& seen);

    std::vector<int> m_answers;
    std::vector<std::string> m_seen;
};

using HandsFactory = std::unique_ptr<Hands> (*)();

// Writes the file the sessions open to a fresh temporary file and gives its path: palettes 1
// (all red) and 2 (all blue); sprite 100 "Orb" with two 10 x 8 frames of colour 5, in
// palettes 1 and 2; sprite 200 "D\xE9cor" (single-byte text) of palette 7, which the file
// lacks, with one such frame in palette 2.
std::string WriteSessionFile(const std::string& name = "demo.iff");

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
extern const char kQuickPatchText[], kQuitText[], kDiscardText[];
// A message box as ShownBoxes tells it.
std::string Box(const std::string& text, const std::string& caption = "Warning",
                const std::string& icon = "warning", const std::string& buttons = "yes no");

class DesktopSession : public testing::TestWithParam<HandsFactory> {
protected:
    void SetUp() override;
    void TearDown() override;
    std::pair<int, int> Origin() const;
    std::uint32_t PreviewCentre();

    std::unique_ptr<Hands> hands;
    std::unique_ptr<CPatchDlg> dlg;
    std::string path;
};

// Sessions about what the preview shows; also run on a screen scaled to 200%.
class DesktopView : public DesktopSession {
protected:
    // The 10 x 8 red frame: each of its pixels a z x z block at the model's origin, every
    // other pixel the face.
    void ExpectShownAt(int z);
};

}  // namespace desktop
