#include "platform/window.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/gdi.h"
#include "platform/window_system.h"

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        auto a = static_cast<unsigned char>(text[i]);
        auto b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

WORD ClampToWord(int v) {
    return static_cast<WORD>(std::clamp(v, 0, 0xFFFF));
}

}  // namespace

// --- CMenu -------------------------------------------------------------------------

CMenu::CMenu(CWnd* owner) : m_owner(owner) {
    m_items.push_back({MF_STRING, SC_CLOSE, "&Close"});
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    MenuItem item{flags, id, (flags & MF_SEPARATOR) || !text ? std::string() : std::string(text)};
    m_items.push_back(std::move(item));
    if (m_owner) m_owner->NotifyPeer([this](WindowPeer& p) { p.SystemMenuChanged(*this); });
    return TRUE;
}

// --- CWnd --------------------------------------------------------------------------

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
        m_pSysMenu = std::make_unique<CMenu>(this);
        NotifyPeer([this](WindowPeer& p) { p.SystemMenuChanged(*m_pSysMenu); });
        return nullptr;
    }
    if (!m_pSysMenu) m_pSysMenu = std::make_unique<CMenu>(this);
    return m_pSysMenu.get();
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (CWnd* child : m_children)
        if (child && child->m_nID == id) return child;
    return nullptr;
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

void CWnd::PaintInto(HBITMAP target) {
    struct Restore {
        CWnd* w;
        HBITMAP old;
        ~Restore() { w->m_hPaintTarget = old; }
    } restore{this, m_hPaintTarget};
    m_hPaintTarget = target;
    DispatchUserMessage(WM_PAINT, 0, 0);
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
            CPaintDC dc(this);
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

// --- Controls ----------------------------------------------------------------------

void CButton::UserClick() {
    if (!m_bEnabled) return;
    NotifyParent(BN_CLICKED);
}

const MessageMap* CStatic::GetThisMessageMap() {
    static const MessageMap map{CWnd::GetThisMessageMap(), {}};
    return &map;
}

void CListBox::ResetContent() {
    m_entries.clear();
    m_nCurSel = LB_ERR;
    NotifyPeer([](WindowPeer& p) { p.EntriesReset(); });
}

int CListBox::AddString(const char* text) {
    m_entries.push_back({text ? text : "", 0});
    const int index = GetCount() - 1;
    NotifyPeer([&](WindowPeer& p) { p.EntryAdded(index, m_entries.back().text); });
    return index;
}

int CListBox::SetItemData(int index, DWORD_PTR data) {
    if (index < 0 || index >= GetCount()) return LB_ERR;
    m_entries[index].data = data;
    NotifyPeer([&](WindowPeer& p) { p.ItemDataChanged(index, data); });
    return 0;
}

int CListBox::SetCurSel(int index) {
    const bool valid = index >= 0 && index < GetCount();
    m_nCurSel = valid ? index : LB_ERR;
    NotifyPeer([this](WindowPeer& p) { p.SelectionChanged(m_nCurSel); });
    return valid ? index : LB_ERR;
}

DWORD_PTR CListBox::GetItemData(int index) const {
    if (index < 0 || index >= GetCount()) return static_cast<DWORD_PTR>(LB_ERR);
    return m_entries[index].data;
}

int CListBox::GetText(int index, CString& text) const {
    if (index < 0 || index >= GetCount()) return LB_ERR;
    text = m_entries[index].text;
    return static_cast<int>(text.size());
}

void CListBox::UserSelect(int index) {
    if (!m_bEnabled || index < 0 || index >= GetCount()) return;
    m_nCurSel = index;
    if (m_dwStyle & LBS_NOTIFY) NotifyParent(LBN_SELCHANGE);
}

void CListBox::TakeOverState(CWnd& from) {
    CWnd::TakeOverState(from);
    if (auto* lb = dynamic_cast<CListBox*>(&from)) {
        m_entries = lb->m_entries;
        m_nCurSel = lb->m_nCurSel;
    }
}

void CComboBox::ResetContent() {
    m_entries.clear();
    m_nCurSel = CB_ERR;
    NotifyPeer([](WindowPeer& p) { p.EntriesReset(); });
    SetEditText(CString());
}

int CComboBox::AddString(const char* text) {
    m_entries.push_back({text ? text : "", 0});
    const int index = GetCount() - 1;
    NotifyPeer([&](WindowPeer& p) { p.EntryAdded(index, m_entries.back().text); });
    return index;
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
    if (index < 0 || index >= GetCount()) return CB_ERR;
    m_entries[index].data = data;
    NotifyPeer([&](WindowPeer& p) { p.ItemDataChanged(index, data); });
    return 0;
}

int CComboBox::SetCurSel(int index) {
    const bool valid = index >= 0 && index < GetCount();
    m_nCurSel = valid ? index : CB_ERR;
    NotifyPeer([this](WindowPeer& p) { p.SelectionChanged(m_nCurSel); });
    SetEditText(valid ? m_entries[index].text : CString());
    return valid ? index : CB_ERR;
}

DWORD_PTR CComboBox::GetItemData(int index) const {
    if (index < 0 || index >= GetCount()) return static_cast<DWORD_PTR>(CB_ERR);
    return m_entries[index].data;
}

int CComboBox::GetLBText(int index, CString& text) const {
    if (index < 0 || index >= GetCount()) return CB_ERR;
    text = m_entries[index].text;
    return static_cast<int>(text.size());
}

int CComboBox::SelectString(int startAfter, const char* text) {
    const char* prefix = text ? text : "";
    const int count = GetCount();
    // The search starts after startAfter and wraps round to it; -1 searches from the top.
    const int first = (startAfter >= 0 && startAfter < count) ? startAfter + 1 : 0;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        if (StartsWithNoCase(m_entries[i].text, prefix)) return SetCurSel(i);
    }
    return CB_ERR;
}

void CComboBox::SetWindowText(const char* text) {
    if (HasEdit()) SetEditText(text ? text : "");
}

void CComboBox::SetEditText(const CString& text) {
    m_strText = text;
    NotifyPeer([this](WindowPeer& p) { p.TextChanged(m_strText); });
}

void CComboBox::UserSelect(int index) {
    if (!m_bEnabled || index < 0 || index >= GetCount()) return;
    m_nCurSel = index;
    m_strText = m_entries[index].text;
    NotifyParent(CBN_SELCHANGE);
}

void CComboBox::UserEditText(const std::string& text) {
    if (!m_bEnabled || !HasEdit()) return;
    m_strText = text;
    NotifyParent(CBN_EDITCHANGE);
}

void CComboBox::TakeOverState(CWnd& from) {
    CWnd::TakeOverState(from);
    if (auto* cb = dynamic_cast<CComboBox*>(&from)) {
        m_entries = cb->m_entries;
        m_nCurSel = cb->m_nCurSel;
    }
}
