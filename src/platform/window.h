// Windows and controls as models: each holds the state a dialog reads and writes
// (text, enabled flag, entries with item data, selection, edit text). A change made by
// the program never raises a notification; it is only mirrored to the attached peer.
// User actions come in through the User* entry points, which update the model first
// and then dispatch the notification through the message maps.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/types.h"

using CString = std::string;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using COLORREF = DWORD;

struct IconResource;
using HICON = const IconResource*;
using HCURSOR = HICON;

constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) {
    return static_cast<WPARAM>(lo) | (static_cast<WPARAM>(hi) << 16);
}
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) {
    return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
// Mouse coordinates travel as signed 16-bit halves of an LPARAM.
constexpr int GET_X_LPARAM(LPARAM lp) {
    return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lp)));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lp)));
}

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int x0, int y0) : POINT{x0, y0} {}
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Messages.
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;

// Control notifications (the high word of WM_COMMAND's WPARAM).
constexpr WORD BN_CLICKED = 0;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_EDITCHANGE = 5;

constexpr int LB_ERR = -1;
constexpr int LB_ERRSPACE = -2;
constexpr int CB_ERR = -1;
constexpr int CB_ERRSPACE = -2;

// Key-state flags of mouse messages.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;

// WM_SIZE types.
constexpr UINT SIZE_RESTORED = 0;
constexpr UINT SIZE_MINIMIZED = 1;
constexpr UINT SIZE_MAXIMIZED = 2;

// System commands.
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_CLOSE = 0xF060;

constexpr UINT ICON_SMALL = 0;
constexpr UINT ICON_BIG = 1;

// Dialog command IDs and message box results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// Dialog template styles.
constexpr DWORD DS_SETFONT = 0x00000040;
constexpr DWORD DS_MODALFRAME = 0x00000080;

// Control styles.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_TYPEMASK = 0x0003;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_GRAYRECT = 0x0008;
constexpr DWORD SS_ETCHEDFRAME = 0x0012;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD SS_NOTIFY = 0x0100;

// Message box types.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
// The exclamation icon takes 0x20 here, so a Yes/No warning is type 36 throughout.
constexpr UINT MB_ICONEXCLAMATION = 0x00000020;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;

// System menu entries.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

class CWnd;
class CDC;
class WindowPeer;

// One entry of a message map: (message, control ID, notification) -> handler. The
// control ID and notification only count for WM_COMMAND.
struct MessageMapEntry {
    UINT message = 0;
    int id = 0;
    WORD code = 0;
    std::function<LRESULT(CWnd&, WPARAM, LPARAM)> handler;
};

// One static table per window class, chained to its base class's table. A class with
// handlers declares
//     static const MessageMap* GetThisMessageMap();
//     const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
// and defines the table once:
//     const MessageMap* CMyDlg::GetThisMessageMap() {
//         static const MessageMap map{CDialog::GetThisMessageMap(),
//                                     {MapCommand(1003, BN_CLICKED, &CMyDlg::OnBrowse),
//                                      MapPaint(&CMyDlg::OnPaint)}};
//         return &map;
//     }
struct MessageMap {
    const MessageMap* base = nullptr;
    std::vector<MessageMapEntry> entries;
};

// Entry makers; each unpacks the message's parameters for a handler of the usual shape.
template <class T>
MessageMapEntry MapCommand(int id, WORD code, void (T::*f)()) {
    return {WM_COMMAND, id, code, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
template <class T>
MessageMapEntry MapPaint(void (T::*f)()) {
    return {WM_PAINT, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
template <class T>
MessageMapEntry MapClose(void (T::*f)()) {
    return {WM_CLOSE, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
// WPARAM of WM_ERASEBKGND carries the CDC* to draw on.
template <class T>
MessageMapEntry MapEraseBkgnd(BOOL (T::*f)(CDC*)) {
    return {WM_ERASEBKGND, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM) -> LRESULT {
                return (static_cast<T&>(w).*f)(reinterpret_cast<CDC*>(wp));
            }};
}
template <class T>
MessageMapEntry MapSize(void (T::*f)(UINT, int, int)) {
    return {WM_SIZE, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp),
                                        LOWORD(static_cast<std::uintptr_t>(lp)),
                                        HIWORD(static_cast<std::uintptr_t>(lp)));
                return 0;
            }};
}
template <class T>
MessageMapEntry MapMouseMove(void (T::*f)(UINT, CPoint)) {
    return {WM_MOUSEMOVE, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp),
                                        CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
                return 0;
            }};
}
template <class T>
MessageMapEntry MapSysCommand(void (T::*f)(UINT, LPARAM)) {
    return {WM_SYSCOMMAND, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp), lp);
                return 0;
            }};
}
template <class T>
MessageMapEntry MapQueryDragIcon(HCURSOR (T::*f)()) {
    return {WM_QUERYDRAGICON, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((static_cast<T&>(w).*f)());
            }};
}

struct MenuItem {
    UINT flags = MF_STRING;
    UINT_PTR id = 0;
    std::string text;
};

// A window's system menu: Close, then whatever the program appends.
class CMenu {
public:
    explicit CMenu(CWnd* owner);
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    const std::vector<MenuItem>& GetItems() const { return m_items; }

private:
    CWnd* m_owner;
    std::vector<MenuItem> m_items;
};

// The window behind a control or dialog. Bound (like a created window) from the
// moment its dialog realizes it, or its owner calls Bind, until Unbind.
class CWnd {
public:
    CWnd();
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Window state.
    bool IsBound() const { return m_bBound; }
    int GetDlgCtrlID() const { return m_nID; }
    DWORD GetStyle() const { return m_dwStyle; }
    CWnd* GetParent() const { return m_pParent; }
    BOOL EnableWindow(BOOL bEnable = TRUE);  // nonzero when it was disabled before
    BOOL IsWindowEnabled() const { return m_bEnabled; }
    virtual void SetWindowText(const char* text);
    void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
    virtual void GetWindowText(CString& text) const;
    CString GetWindowText() const;
    void GetClientRect(RECT* rect) const;                       // left and top are 0
    void InvalidateRect(const RECT* rect, BOOL bErase = TRUE);  // NULL: the whole client area
    void Invalidate(BOOL bErase = TRUE) { InvalidateRect(nullptr, bErase); }
    bool NeedsPaint() const { return m_bNeedsPaint; }
    bool NeedsErase() const { return m_bNeedsErase; }
    BOOL IsIconic() const { return m_bIconic; }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);  // returns the icon set before
    HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hIconBig : m_hIconSmall; }
    CMenu* GetSystemMenu(BOOL bRevert);  // NULL without WS_SYSMENU, or when reverting
    CWnd* GetDlgItem(int id) const;
    // Owned by this window; caption NULL: the application's name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // Dispatch through the message maps (program side: no exception handling).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool HandlesMessage(UINT message) const;  // some map of this class handles it

    // Windows outside a dialog (tests, custom windows) bind themselves.
    void Bind(int id, DWORD style, CWnd* parent = nullptr);
    virtual void Unbind();

    // Peer hook: the back end attaches one observer; it is told of every model change.
    void SetPeer(WindowPeer* peer);
    WindowPeer* GetPeer() const { return m_pPeer; }

    // Back-end entry points for state the window system owns; no message follows.
    void PeerSetSize(int cx, int cy);
    void PeerSetIconic(bool iconic) { m_bIconic = iconic; }

    // Back-end entry points for user actions: model first, then the message map. A file
    // error or lack of memory that escapes the handler is reported in a message box.
    void UserMouseMove(UINT flags, int x, int y);  // client pixels, MK_* flags
    void UserResize(int cx, int cy);               // WM_SIZE after the new size is set
    void UserSysCommand(UINT command);             // WM_SYSCOMMAND from the window menu
    void UserClose();                              // WM_CLOSE: close box, Alt+F4
    // WM_COMMAND to this window: on a dialog, Escape is UserCommand(IDCANCEL) and Enter
    // with no push button focused UserCommand(IDOK).
    void UserCommand(int id, WORD code = BN_CLICKED);
    // Paints the window into target (a 32-bit surface of the client size): runs
    // WM_PAINT with target as the paint context's surface. Nothing else draws there.
    void PaintInto(HBITMAP target);

    HBITMAP GetPaintTarget() const { return m_hPaintTarget; }

    // Marks painting done (what ending a paint does).
    void ValidatePaint() { m_bNeedsPaint = m_bNeedsErase = false; }

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Default handling, for handlers that pass a message on.
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnClose();

    // Sends a notification to the parent: WM_COMMAND(id, code).
    void NotifyParent(WORD code);
    // A user action's dispatch: reports escaping file errors instead of passing them on.
    LRESULT DispatchUserMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Copies what a control created from a template holds into this object, which
    // takes its place (DDX_Control).
    virtual void TakeOverState(CWnd& from);

    template <class F>
    void NotifyPeer(F&& f) {
        if (m_pPeer) f(*m_pPeer);
    }

    bool m_bBound = false;
    int m_nID = 0;
    DWORD m_dwStyle = 0;
    CWnd* m_pParent = nullptr;
    bool m_bEnabled = true;
    CString m_strText;
    int m_cx = 0;
    int m_cy = 0;
    bool m_bNeedsPaint = true;
    bool m_bNeedsErase = true;
    bool m_bIconic = false;
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    std::unique_ptr<CMenu> m_pSysMenu;
    WindowPeer* m_pPeer = nullptr;
    HBITMAP m_hPaintTarget = nullptr;
    std::vector<CWnd*> m_children;  // in template (tab) order

    friend class CDialog;
    friend class CMenu;
};

class CButton : public CWnd {
public:
    void UserClick();  // BN_CLICKED to the parent
};

class CStatic : public CWnd {
protected:
    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
};

struct ListEntry {
    CString text;
    DWORD_PTR data = 0;
};

class CListBox : public CWnd {
public:
    void ResetContent();
    int AddString(const char* text);  // appends; the new index
    int AddString(const std::string& text) { return AddString(text.c_str()); }
    int SetItemData(int index, DWORD_PTR data);  // LB_ERR on a bad index
    int SetCurSel(int index);                    // -1 or a bad index: none (LB_ERR)
    int GetCurSel() const { return m_nCurSel; }  // LB_ERR (-1): none
    DWORD_PTR GetItemData(int index) const;      // LB_ERR on a bad index
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    int GetText(int index, CString& text) const;  // length, LB_ERR on a bad index
    const std::vector<ListEntry>& GetEntries() const { return m_entries; }

    // User picked an entry (also the one already selected): LBN_SELCHANGE with LBS_NOTIFY.
    void UserSelect(int index);

protected:
    void TakeOverState(CWnd& from) override;

private:
    std::vector<ListEntry> m_entries;
    int m_nCurSel = LB_ERR;
};

// A drop-down list (CBS_DROPDOWNLIST) or an editable drop-down (CBS_DROPDOWN). The edit
// text is the window text; without an edit field it is the selected entry's text.
class CComboBox : public CWnd {
public:
    void ResetContent();  // also empties the edit text
    int AddString(const char* text);
    int AddString(const std::string& text) { return AddString(text.c_str()); }
    int SetItemData(int index, DWORD_PTR data);
    int SetCurSel(int index);  // edit text becomes the entry's; -1 or bad index clears both
    int GetCurSel() const { return m_nCurSel; }
    DWORD_PTR GetItemData(int index) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    int GetLBText(int index, CString& text) const;
    // First entry from the top (after startAfter; -1: from the top) whose text begins
    // with text, ignoring case; selects it. CB_ERR, selection unchanged, when none.
    int SelectString(int startAfter, const char* text);
    int SelectString(int startAfter, const std::string& text) {
        return SelectString(startAfter, text.c_str());
    }
    bool HasEdit() const { return (m_dwStyle & CBS_TYPEMASK) != CBS_DROPDOWNLIST; }
    void SetWindowText(const char* text) override;  // edit text; ignored without an edit
    using CWnd::SetWindowText;
    const std::vector<ListEntry>& GetEntries() const { return m_entries; }

    // User chose an entry: selection and edit text, then CBN_SELCHANGE.
    void UserSelect(int index);
    // User changed the edit text (one keystroke): CBN_EDITCHANGE. Selection stays.
    void UserEditText(const std::string& text);

protected:
    void TakeOverState(CWnd& from) override;

private:
    void SetEditText(const CString& text);

    std::vector<ListEntry> m_entries;
    int m_nCurSel = CB_ERR;
};
