// The one seam through which a window system plugs into the program.
//
// A back end (the Qt one, or the scripted test double) implements WindowSystem and
// installs it with SetCurrentWindowSystem() before the application object starts;
// everything else in src/ is written against the models in window.h and dialog.h.
//
// Showing a dialog, CDialog::DoModal():
//   1. the dialog builds one control model per template control (placeholders),
//   2. RealizeDialog(dlg): the back end creates a native window for the dialog and
//      each control (dlg.GetTemplate(), dlg.GetControlAt(i), sizes in dialog units;
//      see DialogUnitsToPixels), attaches a WindowPeer to every model with SetPeer,
//      reads the models' initial state and reports sizes with PeerSetSize,
//   3. OnInitDialog runs; its DDX_Control calls hand each placeholder's state and
//      peer to the dialog's member control (the peer hears Attached(member)),
//   4. RunModalLoop(dlg) shows the window and runs until EndDialog calls
//      EndModalLoop(dlg, result); it returns that result,
//   5. DestroyDialog(dlg): the back end detaches its peers (SetPeer(nullptr)) and
//      drops its windows; the dialog then unbinds its controls.
//
// Control flows one way in each direction:
//   user:    native event -> model's User* entry point (CButton::UserClick,
//            CListBox::UserSelect, CComboBox::UserSelect / UserEditText,
//            CWnd::UserMouseMove / UserResize / UserSysCommand / UserClose /
//            UserCommand) -> the model updates itself -> message map -> handler;
//   program: handler -> model (SetCurSel, AddString, EnableWindow, ...) -> WindowPeer
//            callback -> the native widget mirrors it with its signals blocked, so no
//            program change ever comes back as a notification.
// Painting: when a model asks for a repaint (WindowPeer::Invalidated) the back end
// schedules one, and on its paint event calls CWnd::PaintInto(surface) with a 32-bit
// surface of the client size (CreateCompatibleBitmap(NULL, cx, cy)), then puts the
// surface's pixels on screen. Controls whose class handles WM_PAINT
// (CWnd::HandlesMessage, e.g. the preview that takes over a static) paint themselves
// that way; other controls and the dialogs themselves are drawn natively.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/sys_types.h"

class CDialog;
class CWnd;

// System colours.
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;

// The back end's observer of one window model. Every callback reports a change the
// program made (a user's own change, made through a User* entry point, is not echoed
// back); none may call back into a User* entry point.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;

    // The model this peer mirrors from now on: the window SetPeer was called on, a member
    // control taking over from a template placeholder, or nullptr when the model is
    // destroyed or unbound. (SetPeer(nullptr) itself calls nothing.)
    virtual void Attached(CWnd* wnd) { (void)wnd; }
    virtual void EnabledChanged(bool enabled) { (void)enabled; }
    // Caption, button or static text, edit text; for a combo box its edit text.
    virtual void TextChanged(const std::string& text) { (void)text; }
    // List and combo boxes: all entries removed, nothing selected.
    virtual void EntriesReset() {}
    virtual void EntryAdded(int index, const std::string& text) {
        (void)index;
        (void)text;
    }
    virtual void SelectionChanged(int index) { (void)index; }  // -1: none
    virtual void Invalidated(bool erase) { (void)erase; }      // repaint the whole window
    virtual void IconChanged(HICON icon, bool big) {
        (void)icon;
        (void)big;
    }
    virtual void FocusRequested() {}
    virtual void AcceptFilesChanged(bool accept) { (void)accept; }
};

// One choice of a file chooser's filter: "IFF files (*.iff)" / "*.iff".
struct FileFilter {
    std::string description;
    std::string pattern;  // one or more patterns separated by ';'
};

struct FileChooserRequest {
    bool open = true;
    std::string defaultExtension;  // as the program gave it, e.g. ".iff"
    std::string initialName;       // e.g. "*.iff"
    std::string initialFolder;     // empty: the chooser's own choice
    DWORD flags = 0;               // OFN_*
    std::vector<FileFilter> filters;
    CWnd* owner = nullptr;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A modal message box owned by owner (NULL: no owner). type holds MB_* buttons and
    // icon. Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                           UINT type) = 0;
    // The file chooser: the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const FileChooserRequest& request) = 0;

    // Creates the native windows of a dialog whose control models exist (step 2 above).
    virtual void RealizeDialog(CDialog& dlg) = 0;
    // Shows the dialog and runs until EndModalLoop; focusFirst: put the focus on the
    // first control in tab order that takes it.
    virtual int RunModalLoop(CDialog& dlg, bool focusFirst) = 0;
    // From EndDialog. When OnInitDialog itself ends the dialog this comes before, and
    // instead of, RunModalLoop.
    virtual void EndModalLoop(CDialog& dlg, int result) = 0;
    virtual void DestroyDialog(CDialog& dlg) = 0;

    // System colours (COLOR_3DFACE: the face of dialogs and buttons), as COLORREF.
    virtual COLORREF GetSysColor(int index) = 0;
    // A long step begins (the busy cursor shows) or ends (CWaitCursor).
    virtual void SetBusy(bool busy) { (void)busy; }
};

// The process-wide window system: set by main() or a test; NULL when there is none.
WindowSystem* GetCurrentWindowSystem();
void SetCurrentWindowSystem(WindowSystem* ws);

// The process's dialog-face colour and the rest, from the window system.
COLORREF GetSysColor(int index);
