#include "ui/window.h"

#include <algorithm>
#include <new>

#include "files/file.h"
#include "raster/gdi.h"
#include "ui/win_app.h"
#include "ui/window_system.h"

namespace {

WORD ClampToWord(int v) {
    return static_cast<WORD>(std::clamp(v, 0, 0xFFFF));
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    // A member control dying before its dialog leaves no dangling slot behind.
    if (m_pParent) {
        for (auto& child : m_pParent->m_children)
            if (child == this) child = nullptr;
    }
    if (m_pPeer) m_pPeer->Attached(nullptr);
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMap map{nullptr, {}};
    return &map;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    const BOOL wasDisabled = !m_bEnabled;
    const bool enable = bEnable != FALSE;
    if (enable != m_bEnabled) {
        m_bEnabled = enable;
        NotifyPeer([enable](WindowPeer& p) { p.EnabledChanged(enable); });
    }
    return wasDisabled;
}

void CWnd::SetWindowText(const char* text) {
    m_strText = text ? text : "";
    NotifyPeer([this](WindowPeer& p) { p.TextChanged(m_strText); });
}

void CWnd::GetWindowText(CString& text) const {
    text = m_strText;
}

CString CWnd::GetWindowText() const {
    CString text;
    GetWindowText(text);
    return text;
}

void CWnd::GetClientRect(RECT* rect) const {
    if (rect) *rect = RECT{0, 0, m_cx, m_cy};
}

void CWnd::InvalidateRect(const RECT* rect, BOOL bErase) {
    (void)rect;  // every repaint covers the whole client area
    m_bNeedsPaint = true;
    if (bErase) m_bNeedsErase = true;
    const bool erase = bErase != FALSE;
    NotifyPeer([erase](WindowPeer& p) { p.Invalidated(erase); });
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    HICON& slot = bBigIcon ? m_hIconBig : m_hIconSmall;
    HICON previous = slot;
    slot = hIcon;
    const bool big = bBigIcon != FALSE;
    NotifyPeer([hIcon, big](WindowPeer& p) { p.IconChanged(hIcon, big); });
    return previous;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    if (!(m_dwStyle & WS_SYSMENU)) return nullptr;
    if (bRevert) {
        m_pSysMenu = std::make_unique<CMenu>();
        return nullptr;
    }
    if (!m_pSysMenu) m_pSysMenu = std::make_unique<CMenu>();
    return m_pSysMenu.get();
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (CWnd* child : m_children)
        if (child && child->m_nID == id) return child;
    return nullptr;
}

void CWnd::SetFocus() {
    NotifyPeer([](WindowPeer& p) { p.FocusRequested(); });
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
    m_bAcceptFiles = bAccept != FALSE;
    NotifyPeer([this](WindowPeer& p) { p.AcceptFilesChanged(m_bAcceptFiles); });
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    WindowSystem* ws = GetCurrentWindowSystem();
    if (!ws) return 0;
    return ws->MessageBox(this, text ? text : "", caption ? caption : AfxGetAppName(), type);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            if (e.message != message) continue;
            if (message == WM_COMMAND &&
                (e.id != static_cast<int>(static_cast<short>(LOWORD(wParam))) ||
                 e.code != HIWORD(wParam)))
                continue;
            return e.handler(*this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

bool CWnd::HandlesMessage(UINT message) const {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base)
        for (const MessageMapEntry& e : map->entries)
            if (e.message == message) return true;
    return false;
}

void CWnd::Bind(int id, DWORD style, CWnd* parent) {
    m_bBound = true;
    m_nID = id;
    m_dwStyle = style;
    m_bEnabled = !(style & WS_DISABLED);
    m_pParent = parent;
    if (parent) parent->m_children.push_back(this);
}

void CWnd::Unbind() {
    if (m_pPeer) {
        WindowPeer* peer = m_pPeer;
        m_pPeer = nullptr;
        peer->Attached(nullptr);
    }
    if (m_pParent) {
        for (auto& child : m_pParent->m_children)
            if (child == this) child = nullptr;
    }
    m_pParent = nullptr;
    m_bBound = false;
}

void CWnd::SetPeer(WindowPeer* peer) {
    m_pPeer = peer;
    if (peer) peer->Attached(this);
}

void CWnd::PeerSetSize(int cx, int cy) {
    m_cx = std::max(cx, 0);
    m_cy = std::max(cy, 0);
}

void CWnd::UserMouseMove(UINT flags, int x, int y) {
    if (!m_bEnabled) return;
    DispatchUserMessage(WM_MOUSEMOVE, flags,
                        MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(x)),
                                   static_cast<WORD>(static_cast<std::int16_t>(y))));
}

void CWnd::UserMouseWheel(UINT flags, int delta, int x, int y) {
    if (!m_bEnabled) return;
    const auto wheel = static_cast<WORD>(static_cast<std::int16_t>(delta));
    DispatchUserMessage(WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(flags), wheel),
                        MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(x)),
                                   static_cast<WORD>(static_cast<std::int16_t>(y))));
}

void CWnd::UserMouseLeave() {
    DispatchUserMessage(WM_MOUSELEAVE, 0, 0);
}

void CWnd::UserResize(int cx, int cy) {
    PeerSetSize(cx, cy);
    DispatchUserMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClampToWord(m_cx), ClampToWord(m_cy)));
}

void CWnd::UserSysCommand(UINT command) {
    DispatchUserMessage(WM_SYSCOMMAND, command, 0);
}

void CWnd::UserClose() {
    DispatchUserMessage(WM_CLOSE, 0, 0);
}

void CWnd::UserCommand(int id, WORD code) {
    DispatchUserMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), 0);
}

void CWnd::UserDropFiles(const std::vector<std::string>& paths) {
    if (!m_bAcceptFiles || paths.empty()) return;
    DispatchUserMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(&paths), 0);
}

void CWnd::PaintInto(HBITMAP target) {
    struct Restore {
        CWnd* w;
        HBITMAP old;
        ~Restore() { w->m_hPaintTarget = old; }
    } restore{this, m_hPaintTarget};
    m_hPaintTarget = target;
    DispatchUserMessage(WM_PAINT, 0, 0);
}

HDC CWnd::BeginPaint(PAINTSTRUCT* ps) {
    if (!m_pPaintDC) m_pPaintDC = std::make_unique<GdiDC>();
    *m_pPaintDC = GdiDC{};
    m_pPaintDC->selected = m_hPaintTarget;
    m_pPaintDC->isMemory = false;
    *ps = PAINTSTRUCT{m_pPaintDC.get(), FALSE, {}};
    GetClientRect(&ps->rcPaint);
    if (m_bNeedsErase) {
        CDC dc;
        dc.m_hDC = ps->hdc;
        ps->fErase = SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&dc)) == 0;
        dc.m_hDC = nullptr;  // the window's: nothing for CDC to delete
    }
    return ps->hdc;
}

void CWnd::EndPaint(const PAINTSTRUCT*) {
    m_bNeedsPaint = m_bNeedsErase = false;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<CDC*>(wParam);
            if (!dc) return 0;
            CRect rc;
            GetClientRect(&rc);
            dc->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(&ps);
            EndPaint(&ps);
            return 0;
        }
        case WM_SETTEXT:
            SetWindowText(reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) SendMessage(WM_CLOSE);
            return 0;
        default:
            return 0;
    }
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC) {
    return static_cast<BOOL>(DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pDC), 0));
}

void CWnd::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}

void CWnd::OnSize(UINT nType, int cx, int cy) {
    DefWindowProc(WM_SIZE, nType, MAKELPARAM(ClampToWord(cx), ClampToWord(cy)));
}

void CWnd::OnMouseMove(UINT nFlags, CPoint point) {
    DefWindowProc(WM_MOUSEMOVE, nFlags,
                  MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

void CWnd::OnSysCommand(UINT nID, LPARAM lParam) {
    DefWindowProc(WM_SYSCOMMAND, nID, lParam);
}

void CWnd::OnClose() {
    DefWindowProc(WM_CLOSE, 0, 0);
}

void CWnd::NotifyParent(WORD code) {
    if (!m_pParent) return;
    m_pParent->DispatchUserMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(m_nID), code),
                                   reinterpret_cast<LPARAM>(this));
}

LRESULT CWnd::DispatchUserMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The toolkit's top-level report: a handler that fails this way ends at once and the
    // user hears of it, as nothing else would tell them.
    try {
        return SendMessage(message, wParam, lParam);
    } catch (const CFileException& e) {
        AfxMessageBox(e.GetErrorMessage().c_str(), MB_OK | MB_ICONHAND);
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Out of memory.", MB_OK | MB_ICONHAND);
    }
    return 0;
}

void CWnd::TakeOverState(CWnd& from) {
    m_bBound = from.m_bBound;
    m_nID = from.m_nID;
    m_dwStyle = from.m_dwStyle;
    m_pParent = from.m_pParent;
    m_bEnabled = from.m_bEnabled;
    m_strText = from.m_strText;
    m_cx = from.m_cx;
    m_cy = from.m_cy;
    m_bNeedsPaint = from.m_bNeedsPaint;
    m_bNeedsErase = from.m_bNeedsErase;
    m_bIconic = from.m_bIconic;
    m_hIconBig = from.m_hIconBig;
    m_hIconSmall = from.m_hIconSmall;
}
