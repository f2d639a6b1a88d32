// A user's hands on real system windows: clicks, keys through the dialog's own keyboard
// handling, typing, mouse moves, and what the screen shows. windows.h stays in driver.cc.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/win32/native_ui.h"

namespace driver {

using win32ui::NativeWindow;

struct Rect {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool operator==(const Rect& o) const {
        return x == o.x && y == o.y && cx == o.cx && cy == o.cy;
    }
};

// Runs step every few milliseconds, from whatever message loop runs then, until it returns
// true. A step that never succeeds ends the program: a dialog left open would hang it.
void Poll(std::function<bool()> step);

// Ends the program, naming what ran, when it lives longer than the given time: a window
// that nobody answers would otherwise keep the test waiting for ever.
class Watchdog {
public:
    Watchdog(int seconds, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    struct State;
    State* m_state;
};

NativeWindow Item(NativeWindow dialog, int id);
std::string Text(NativeWindow window);
std::string ClassName(NativeWindow window);
bool Enabled(NativeWindow window);
bool Visible(NativeWindow window);
NativeWindow Focus();
void SetFocusTo(NativeWindow window);

// BM_CLICK: the button's own click, with its notification.
void Click(NativeWindow button);
// The selection a click on a list box or combo box row makes, with its notification.
void ChooseRow(NativeWindow list, int row);
int Rows(NativeWindow list);
std::string RowText(NativeWindow list, int row);
int Selection(NativeWindow list);
// Typing into a combo box's edit: each character as WM_CHAR (backspace is '\b'); select
// first selects the whole text, so that typing replaces it.
void Type(NativeWindow combo, const std::string& text, bool selectAll = false);

// Keys as the dialog's message loop sees them: Escape, Enter (virtual-key codes), Alt with a
// letter, Alt+F4 (which the system answers with a posted close: Pump lets it through).
void Key(NativeWindow dialog, unsigned vk);
void AltKey(NativeWindow dialog, char letter);
void AltF4(NativeWindow dialog);
constexpr unsigned kEscape = 0x1B, kReturn = 0x0D;
// Runs the messages waiting in the queue through the dialog's loop.
void Pump(NativeWindow dialog);
// Whether this process can show windows at all (Wine without a display cannot).
bool CanShowWindows();
// Dialog units of the dialog's font to pixels.
Rect DialogUnits(NativeWindow dialog, int x, int y, int cx, int cy);
std::uint32_t FaceColor();

void MouseMove(NativeWindow window, bool leftButton, int x, int y);
// Keys and the wheel through the dialog's own message loop handling (accelerators, the
// wheel sent to the window under the cursor), with Ctrl (and Shift) held meanwhile. The
// wheel's message goes to the focus, as the system sends it; x, y are screen pixels.
void CtrlKey(NativeWindow dialog, unsigned vk, bool shift = false);
void Wheel(NativeWindow dialog, bool ctrl, int delta, int x, int y);
// The display's pointer to the screen's top left corner, off every window of the program.
void ParkCursor();
// A window's client point in screen pixels.
void ClientToScreen(NativeWindow window, int* x, int* y);

// What the window shows of its client area, read back from the window itself: 0xRRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // rows top-down
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture Capture(NativeWindow window, bool clientOnly = true);
void Resize(NativeWindow window, int cx, int cy);
Rect PlaceInParent(NativeWindow window);  // client pixels of its dialog
Rect PlaceOnScreen(NativeWindow window);  // its frame included

// The system menu's entries ("-" for a separator, " (off)" after a disabled one) and a
// command from it.
std::vector<std::string> SystemMenu(NativeWindow window);
unsigned SystemMenuId(NativeWindow window, int index);
void SysCommand(NativeWindow window, unsigned command);
void CloseBox(NativeWindow window);   // the close box: SC_CLOSE
void PostClose(NativeWindow window);  // a close request from outside (the task bar)

bool HasIcon(NativeWindow window, bool big);
NativeWindow Owner(NativeWindow window);
void Minimize(NativeWindow window, bool minimized);  // restores when false
bool AnswersDragIcon(NativeWindow window);           // WM_QUERYDRAGICON gives an icon
// The icon a message box shows: "warning", "question", "error", "information" or "none".
std::string BoxIcon(NativeWindow box);
// Each control of a dialog in template order: its text, or "icon" for a static that shows one.
std::vector<std::string> ControlTexts(NativeWindow dialog);
// The visible top-level dialog-class window this program shows other than the given ones.
NativeWindow OtherDialog(const std::vector<NativeWindow>& known);
// The system file chooser's file name field, and its Open button pressed.
void EnterFileName(NativeWindow chooser, const std::string& path);
std::vector<std::string> ChooserTypes(NativeWindow chooser);  // the file type choices
bool ChooserOffersReadOnly(NativeWindow chooser);

// What a program file tells the system about itself.
struct ProgramFile {
    bool windowsSubsystem = false;  // a window program: no console opens for it
    bool hasIcon = false;           // icon group 128, which the shell shows
    std::string productName, productVersion;
    std::string manifest;  // resource 1 of type 24, which the system reads at start
};
ProgramFile ReadProgramFile(const std::string& path);

}  // namespace driver
