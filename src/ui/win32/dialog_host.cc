#include "ui/win32/dialog_host.h"

#include "ui/menu.h"

namespace win32ui {

namespace {

NativeDialog ToNative(const DialogTemplate& tpl) {
    NativeDialog d;
    d.style = tpl.style;
    d.exStyle = tpl.exStyle;
    d.x = tpl.x;
    d.y = tpl.y;
    d.cx = tpl.cx;
    d.cy = tpl.cy;
    d.caption = tpl.caption;
    d.fontName = tpl.fontName;
    d.fontSize = tpl.fontSize;
    for (const DialogControl& c : tpl.controls) {
        NativeControl n;
        n.cls = ClassOf(c);
        n.id = c.id;
        n.text = c.text;
        n.style = c.style;
        // The program only shows text in its edits.
        if (n.cls == ControlClass::edit) n.style |= ES_READONLY;
        n.exStyle = c.exStyle;
        n.x = c.x;
        n.y = c.y;
        n.cx = c.cx;
        n.cy = c.cy;
        d.controls.push_back(n);
    }
    for (const DialogAccelerator& a : tpl.accelerators)
        d.accelerators.push_back({a.fVirt, a.key, a.cmd});
    return d;
}

}  // namespace

DialogHost::DialogHost(CDialog& dlg, NativeWindow owner) : m_dialog(&dlg), m_owner(owner) {
    const DialogTemplate& tpl = *dlg.GetTemplate();
    m_window = CreateDialogHost(ToNative(tpl), owner, this);
    if (!m_window) return;
    const std::vector<NativeWindow> children = ChildWindows(m_window);
    for (size_t i = 0; i < tpl.controls.size() && i < children.size(); ++i)
        m_peers.push_back(MakeNativePeer(tpl.controls[i], children[i], m_mirror, m_icons));

    for (const DialogControl& c : tpl.controls) {
        int r[4] = {c.x, c.y, c.cx, c.cy};
        DialogUnitsToClient(m_window, r);
        m_places.emplace_back(r[0], r[1], r[0] + r[2], r[1] + r[3]);
    }

    int cx = 0, cy = 0;
    dlg.SetPeer(this);
    ClientSize(m_window, &cx, &cy);
    m_templateCx = cx;
    m_templateCy = cy;
    dlg.PeerSetSize(cx, cy);
    for (int i = 0; i < ControlCount(); ++i) {
        CWnd* ctrl = dlg.GetControlAt(i);
        if (!ctrl) continue;
        ctrl->SetPeer(m_peers[i].get());
        ClientSize(m_peers[i]->Window(), &cx, &cy);
        ctrl->PeerSetSize(cx, cy);
    }
}

DialogHost::~DialogHost() {
    DetachAll();
    m_peers.clear();
    DestroyWindow(m_window);
}

void DialogHost::DetachAll() {
    for (auto& peer : m_peers) peer->Detach();
    if (m_dialog && m_dialog->GetPeer() == this) m_dialog->SetPeer(nullptr);
    m_dialog = nullptr;
}

NativeWindow DialogHost::ControlWindow(int index) const {
    if (index < 0 || index >= ControlCount()) return nullptr;
    return m_peers[index]->Window();
}

NativePeer* DialogHost::PeerOf(NativeWindow control) const {
    if (!control) return nullptr;
    for (const auto& peer : m_peers)
        if (peer->Window() == control) return peer.get();
    return nullptr;
}

void DialogHost::Attached(CWnd* wnd) {
    m_dialog = dynamic_cast<CDialog*>(wnd);
    if (!m_dialog) return;
    EnabledChanged(m_dialog->IsWindowEnabled());
    TextChanged(m_dialog->GetWindowText());
    IconChanged(m_dialog->GetIcon(FALSE), false);  // first: the big one may stand in for it
    IconChanged(m_dialog->GetIcon(TRUE), true);
}

void DialogHost::IconChanged(HICON icon, bool big) {
    SetWindowIcon(m_window, m_icons.Get(icon, IconSize(big)), big);
    // A program that sets only the big icon gets the small image of the same icon in the
    // caption and the task bar, rather than the big one scaled down.
    if (big && m_dialog && !m_dialog->GetIcon(FALSE))
        SetWindowIcon(m_window, m_icons.Get(icon, IconSize(false)), false);
}

int DialogHost::RunModal(bool focusFirst) {
    if (m_ended) return m_result;
    SyncSystemMenu();
    win32ui::RunModal(m_window, m_owner, focusFirst, &m_ended);
    return m_result;
}

void DialogHost::EndModal(int result) {
    m_result = result;
    m_ended = true;
    WakeModal(m_window);
}

void DialogHost::Command(int id, int code, NativeWindow control) {
    if (NativePeer* peer = PeerOf(control)) {
        peer->Notified(code);
    } else if (m_dialog) {
        // Escape and Enter without a button of that ID: IDCANCEL and IDOK to the dialog.
        m_dialog->UserCommand(id, static_cast<WORD>(code));
    }
}

void DialogHost::Resized(int cx, int cy) {
    if (!m_dialog || m_places.empty()) return;  // still being made
    const DialogTemplate* tpl = m_dialog->GetTemplate();
    bool moved = false;
    for (int i = 0; tpl && i < ControlCount() && i < static_cast<int>(tpl->controls.size()); ++i) {
        const DWORD anchor = tpl->controls[i].anchor;
        if (!anchor) continue;  // in place: a label may have grown to its text
        const CRect r = AnchoredRect(m_places[i], anchor, cx - m_templateCx, cy - m_templateCy);
        Place(m_peers[i]->Window(), r.left, r.top, r.Width(), r.Height());
        moved = true;
    }
    if (moved) RedrawAll(m_window);
    m_dialog->UserResize(cx, cy);
}

void DialogHost::SysCommand(unsigned command) {
    if (m_dialog) m_dialog->UserSysCommand(command);
}

void DialogHost::Close() {
    if (m_dialog) m_dialog->UserClose();
}

void DialogHost::Iconic(bool iconic) {
    if (m_dialog) m_dialog->PeerSetIconic(iconic);
}

NativeIcon DialogHost::DragIcon() {
    if (!m_dialog || !m_dialog->HandlesMessage(WM_QUERYDRAGICON)) return nullptr;
    const auto icon = reinterpret_cast<HICON>(m_dialog->SendMessage(WM_QUERYDRAGICON));
    return m_icons.Get(icon, IconSize(true));
}

void DialogHost::SyncSystemMenu() {
    CMenu* menu = m_dialog ? m_dialog->GetSystemMenu(FALSE) : nullptr;
    if (!menu) return;
    // The system's menu already has its own Close; the program's items follow it.
    ResetSystemMenu(m_window);
    m_systemMenuItems = SystemMenuCount(m_window);
    AppendProgramMenuItems();
}

void DialogHost::AppendProgramMenuItems() {
    CMenu* menu = m_dialog ? m_dialog->GetSystemMenu(FALSE) : nullptr;
    if (!menu) return;
    for (const MenuItem& item : menu->GetItems())
        if (item.id != SC_CLOSE || (item.flags & MF_SEPARATOR))
            AppendSystemMenu(m_window, item.flags, static_cast<unsigned>(item.id), item.text);
}

// The program's items as they stand now (an entry's name and state change as it works).
void DialogHost::SystemMenuOpening() {
    if (m_systemMenuItems < 0) return;
    TrimSystemMenu(m_window, m_systemMenuItems);
    AppendProgramMenuItems();
}

void DialogHost::DropFiles(const std::vector<std::string>& paths) {
    if (m_dialog) m_dialog->UserDropFiles(paths);
}

}  // namespace win32ui
