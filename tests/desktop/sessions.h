// The main dialog's user sessions, written once and run on each back end's real windows
// through a user's hands (tests/ui/qt and tests/ui/win32 fill them in and instantiate the
// sessions with INSTANTIATE_TEST_SUITE_P(Backend, DesktopSession, Values(MakeHands))).
// A new session is a TEST_P in sessions.cc; a gesture it needs becomes one more primitive
// here, filled in by both back ends. Only what one back end alone has goes into its folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/patch_dlg.h"
#include "session_file.h"

namespace desktop {

enum class Key { Escape, Return };

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
    // The pointer moved over the preview to (x, y), the left button held or not.
    virtual void Mouse(int x, int y, bool leftButton) = 0;
    virtual void ResizePreview(int cx, int cy) = 0;
    virtual void CloseBox() = 0;
    virtual void AltF4() = 0;
    // Opens the window menu, chooses the entry with this text and gives its entries ("-" for
    // a separator).
    virtual std::vector<std::string> WindowMenu(const std::string& choose) = 0;

    // The next dialog that opens over the main one: its title, then each control's text in
    // template order ("icon" for an icon), read while it runs, before Escape ends it.
    virtual void ReadNextDialog(std::vector<std::string>* texts) = 0;
    // The next message boxes get these answers (IDYES...), in order.
    virtual void AnswerBoxes(const std::vector<int>& buttons) = 0;
    // The boxes answered since the last call: "owner / text / caption / icon / buttons", with
    // owner "dialog" or "other", icon "warning" or "information", buttons "yes no" or "ok".
    virtual std::vector<std::string> ShownBoxes() = 0;

    virtual std::string Title() = 0;
    virtual bool HasIcon() = 0;
    virtual bool Visible() = 0;
    virtual bool Enabled(int id) = 0;
    virtual bool Focused(int id) = 0;
    virtual std::string Text(int id) = 0;
    virtual std::vector<std::string> Rows(int id) = 0;
    virtual int Selection(int id) = 0;  // -1: none
    // What the preview shows at (x, y) of its client area, as 0xRRGGBB.
    virtual std::uint32_t PreviewPixel(int x, int y) = 0;
    virtual std::uint32_t FaceColor() = 0;
};

using HandsFactory = std::unique_ptr<Hands> (*)();

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
extern const char kQuickPatchText[], kQuitText[];

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

}  // namespace desktop
