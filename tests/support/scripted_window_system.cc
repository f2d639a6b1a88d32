#include "support/scripted_window_system.h"

#include <algorithm>

#include "platform/gdi.h"

namespace testsupport {

// Counts a window's repaint requests; follows the model through DDX_Control.
class ScriptedWindowSystem::RecordingPeer : public WindowPeer {
public:
    void Attached(CWnd* wnd) override {
        current = wnd;
        if (wnd) last = wnd;
    }
    void Invalidated(bool) override { ++invalidations; }

    CWnd* current = nullptr;
    const CWnd* last = nullptr;
    int invalidations = 0;
};

ScriptedWindowSystem::ScriptedWindowSystem() : m_previous(GetCurrentWindowSystem()) {
    SetCurrentWindowSystem(this);
}

ScriptedWindowSystem::~ScriptedWindowSystem() {
    for (auto& peer : m_peers)
        if (peer->current) peer->current->SetPeer(nullptr);
    SetCurrentWindowSystem(m_previous);
}

void ScriptedWindowSystem::Watch(CWnd& wnd) {
    for (auto& peer : m_peers)
        if (peer->current == &wnd) peer->current = nullptr;
    m_peers.push_back(std::make_unique<RecordingPeer>());
    wnd.SetPeer(m_peers.back().get());
}

int ScriptedWindowSystem::Invalidations(const CWnd& wnd) const {
    for (auto it = m_peers.rbegin(); it != m_peers.rend(); ++it)
        if ((*it)->last == &wnd) return (*it)->invalidations;
    return 0;
}

std::unique_ptr<CBitmap> ScriptedWindowSystem::Paint(CWnd& wnd) {
    CRect rc;
    wnd.GetClientRect(&rc);
    auto surface = std::make_unique<CBitmap>();
    // An empty window still gets its paint, onto no surface at all.
    HBITMAP target = CreateCompatibleBitmap(nullptr, rc.Width(), rc.Height());
    if (target) surface->Attach(target);
    wnd.PaintInto(target);
    return surface;
}

int ScriptedWindowSystem::MessageBox(CWnd* owner, const std::string& text,
                                     const std::string& caption, UINT type) {
    (void)owner;
    m_boxes.push_back({text, caption, type});
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_OK) return IDOK;
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    ++m_unanswered;
    return buttons == MB_OKCANCEL ? IDCANCEL : IDNO;
}

std::optional<std::string> ScriptedWindowSystem::ChooseFile(const FileChooserRequest& request) {
    m_choosers.push_back(request);
    if (m_files.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(m_files.front());
    m_files.pop_front();
    return answer;
}

void ScriptedWindowSystem::RealizeDialog(CDialog& dlg) {
    const DialogTemplate* tpl = dlg.GetTemplate();
    if (!tpl) return;
    auto toPixels = [](short x, short y, short cx, short cy) {
        return DialogUnitsToPixels(CRect(x, y, x + cx, y + cy), kBaseUnitX, kBaseUnitY);
    };
    const CRect frame = toPixels(tpl->x, tpl->y, tpl->cx, tpl->cy);
    dlg.PeerSetSize(frame.Width(), frame.Height());
    for (int i = 0; i < dlg.GetControlCount() && i < static_cast<int>(tpl->controls.size()); ++i) {
        const DialogControl& c = tpl->controls[i];
        const CRect rc = toPixels(c.x, c.y, c.cx, c.cy);
        if (CWnd* ctrl = dlg.GetControlAt(i)) ctrl->PeerSetSize(rc.Width(), rc.Height());
    }
}

int ScriptedWindowSystem::RunModalLoop(CDialog& dlg, bool focusFirst) {
    (void)focusFirst;
    m_modals.push_back(dlg.GetTemplateID());
    if (!m_scripts.empty()) {
        ModalScript script = std::move(m_scripts.front());
        m_scripts.pop_front();
        script(dlg);
    }
    return dlg.IsEnded() ? dlg.GetModalResult() : IDCANCEL;
}

void ScriptedWindowSystem::EndModalLoop(CDialog& dlg, int result) {
    (void)dlg;
    (void)result;
}

void ScriptedWindowSystem::DestroyDialog(CDialog& dlg) {
    (void)dlg;
}

COLORREF ScriptedWindowSystem::GetSysColor(int index) {
    auto it = m_colors.find(index);
    return it != m_colors.end() ? it->second : RGB(212, 208, 200);
}

}  // namespace testsupport
