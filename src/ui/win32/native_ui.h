// The Win32 window calls the desktop back end makes, behind plain C++ types: windows.h
// defines its own DWORD, RGBQUAD, HICON and friends, so only native_ui.cc sees it. Texts are
// UTF-8 here and UTF-16 at every Win32 call; a window is its HWND as an opaque pointer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win32ui {

using NativeWindow = void*;  // HWND
using NativeIcon = void*;    // HICON

// Window classes of dialog controls.
enum class ControlClass { button, edit, staticText, listBox, comboBox, surface };

struct NativeControl {
    ControlClass cls = ControlClass::staticText;
    int id = -1;
    std::string text;
    std::uint32_t style = 0;  // WS_CHILD | WS_VISIBLE added
    std::uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

// A key that sends the dialog WM_COMMAND(cmd, 1) wherever the focus is in it (ACCEL).
struct NativeAccelerator {
    std::uint8_t virt = 0;  // FVIRTKEY, FSHIFT, FCONTROL, FALT
    std::uint16_t key = 0;
    std::uint16_t cmd = 0;
};

struct NativeDialog {
    std::uint32_t style = 0;  // WS_VISIBLE is dropped: the window shows when its loop runs
    std::uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    std::string fontName;
    std::uint16_t fontSize = 8;
    std::vector<NativeControl> controls;
    std::vector<NativeAccelerator> accelerators;
};

// What a dialog window reports to the back end.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // WM_COMMAND: id, notification code and the control that sent it (NULL: none).
    virtual void Command(int id, int code, NativeWindow control) = 0;
    // WM_SYSCOMMAND for an item the program added to the system menu (low 4 bits masked).
    virtual void SysCommand(unsigned command) = 0;
    virtual void Close() = 0;                  // WM_CLOSE: close box, Alt+F4, Close in the menu
    virtual void Iconic(bool iconic) = 0;      // minimised or restored
    virtual NativeIcon DragIcon() = 0;         // WM_QUERYDRAGICON
    virtual bool Mirroring() const = 0;        // the back end is changing a control itself
    virtual void Resized(int cx, int cy) = 0;  // the client area's new size, not minimised
    // WM_DROPFILES: the files dropped on the window, full paths.
    virtual void DropFiles(const std::vector<std::string>& paths) { (void)paths; }
    virtual void SystemMenuOpening() {}  // WM_INITMENUPOPUP for the system menu
};

// A 32-bit, bottom-up picture of a surface's client area (BGRX).
struct SurfaceImage {
    const void* bits = nullptr;
    int width = 0;
    int height = 0;
};

// What a surface control (one the program paints itself) reports.
class SurfaceEvents {
public:
    virtual ~SurfaceEvents() = default;
    // The pixels to show for a client area of cx x cy; false: show the dialog face.
    virtual bool Paint(int cx, int cy, SurfaceImage& image) = 0;
    virtual void MouseMove(unsigned keys, int x, int y) = 0;  // MK_* keys, client pixels
    // The wheel turned by delta (WHEEL_DELTA a notch) over the surface, client pixels.
    virtual void MouseWheel(unsigned keys, int delta, int x, int y) = 0;
    virtual void MouseLeave() = 0;
    virtual void Resized(int cx, int cy) = 0;
};

// Creates the dialog hidden, with its controls, owned by owner (NULL: none). NULL on failure.
NativeWindow CreateDialogHost(const NativeDialog& dialog, NativeWindow owner, DialogEvents* events);
void DestroyWindow(NativeWindow window);
// The dialog's controls in template order.
std::vector<NativeWindow> ChildWindows(NativeWindow dialog);
void SetSurfaceEvents(NativeWindow surface, SurfaceEvents* events, bool notify);

// Centres the dialog on its owner (or the screen), shows it, disables the owner and runs the
// dialog's messages until *ended; the owner comes back enabled and active.
// Focus rectangles show from the start.
void RunModal(NativeWindow dialog, NativeWindow owner, bool focusFirst, const bool* ended);
void WakeModal(NativeWindow dialog);  // after *ended changed
// What the modal loop does with one queued message (msg: a MSG*) before the window's own
// handling: the dialog's accelerator keys (Ctrl+Z stays with a text field that can undo), the wheel sent on to the preview under the
// cursor, the dialog keys. False: the message is the window's, to translate and dispatch.
bool HandleDialogMessage(NativeWindow dialog, void* msg);
NativeWindow ActiveModal();  // the innermost dialog RunModal runs, NULL: none

void ClientSize(NativeWindow window, int* cx, int* cy);
// Template dialog units to the dialog's client pixels (MapDialogRect): x, y, cx, cy.
void DialogUnitsToClient(NativeWindow dialog, int units[4]);
// Moves and sizes a control within its dialog, client pixels; a combo box's height takes
// its list in, as in a template.
void Place(NativeWindow control, int x, int y, int cx, int cy);
void RedrawAll(NativeWindow dialog);  // after controls moved
void SetText(NativeWindow window, const std::string& text);
// A label one line high whose text is wider than its place (the template was measured in a
// narrower font than the system may have) grows to the right to show it whole.
void FitOneLineLabel(NativeWindow label);
std::string GetText(NativeWindow window);
void Enable(NativeWindow window, bool enabled);
void FocusControl(NativeWindow control);  // as the dialog manager moves the focus
void AcceptFiles(NativeWindow window, bool accept);
void Invalidate(NativeWindow window);

// List and combo boxes.
void ListReset(NativeWindow list, bool combo);
void ListInsert(NativeWindow list, bool combo, int index, const std::string& text);
void ListSelect(NativeWindow list, bool combo, int index);  // -1: none
int ListSelection(NativeWindow list, bool combo);

// Icons from 32-bit ARGB pixels (rows top-down, alpha 0 = transparent).
NativeIcon MakeIcon(int width, int height, const std::vector<std::uint32_t>& argb);
void FreeIcon(NativeIcon icon);
void SetWindowIcon(NativeWindow window, NativeIcon icon, bool big);
void SetStaticIcon(NativeWindow control, NativeIcon icon);
int IconSize(bool big);  // SM_CXICON or SM_CXSMICON

// The system menu: the system's own, then what the program appends.
void ResetSystemMenu(NativeWindow window);
void AppendSystemMenu(NativeWindow window, unsigned flags, unsigned id, const std::string& text);
int SystemMenuCount(NativeWindow window);
// Removes the items from position keep on: the menu itself stays (it may be opening).
void TrimSystemMenu(NativeWindow window, int keep);

int ShowMessageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                   unsigned type);

struct OpenFileRequest {
    bool save = false;
    NativeWindow owner = nullptr;
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
    std::string initialName;
    std::string initialFolder;     // empty: the system's choice
    std::string defaultExtension;  // without the dot
    std::uint32_t flags = 0;       // OFN_*
};
std::optional<std::string> ChooseFile(const OpenFileRequest& request);

std::uint32_t SysColor(int index);  // COLORREF
// The system's busy cursor until false puts the one before back. A message box or chooser
// shown meanwhile sets the ordinary one over itself, as every window does.
void ShowBusyCursor(bool busy);

}  // namespace win32ui
