// The window model behind every dialog and control: it holds the state a dialog reads
// and writes (text, enabled flag, size, icons). A change made by the program never raises
// a notification; it is only mirrored to the attached peer. User actions come in through
// the User* entry points, which update the model first and then dispatch the
// notification through the message maps.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/sys_constants.h"
#include "base/sys_types.h"
#include "raster/bitmap.h"
#include "ui/menu.h"
#include "ui/message_map.h"

class WindowPeer;
struct PAINTSTRUCT;


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
    void SetFocus();  // the back end moves the keyboard focus here
    // Files dropped on the window arrive as WM_DROPFILES once accepted.
    void DragAcceptFiles(BOOL bAccept = TRUE);
    bool AcceptsFiles() const { return m_bAcceptFiles; }
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
    // WM_DROPFILES: files dropped on a window that accepts them (full paths).
    void UserDropFiles(const std::vector<std::string>& paths);
    // The wheel turned by delta (WHEEL_DELTA a notch, positive away from the user) with
    // the cursor at (x, y), client pixels.
    void UserMouseWheel(UINT flags, int delta, int x, int y);
    void UserMouseLeave();  // the cursor left the client area
    // Paints the window into target (a 32-bit surface of the client size): runs
    // WM_PAINT with target as the paint context's surface. Nothing else draws there.
    void PaintInto(HBITMAP target);

    HBITMAP GetPaintTarget() const { return m_hPaintTarget; }

    // One paint: the context draws on the window's paint target (a surface with none when
    // the back end is not painting the window: drawing then fails). Beginning sends
    // WM_ERASEBKGND when an erase is pending; ending marks the window painted.
    HDC BeginPaint(PAINTSTRUCT* ps);
    void EndPaint(const PAINTSTRUCT* ps);

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
    std::unique_ptr<GdiDC> m_pPaintDC;  // what BeginPaint hands out
    std::vector<CWnd*> m_children;      // in template (tab) order
    bool m_bAcceptFiles = false;

    friend class CDialog;
};
