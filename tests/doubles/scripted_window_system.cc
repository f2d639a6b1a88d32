#include "doubles/scripted_window_system.h"

#include "raster/gdi.h"

namespace doubles {

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
    // An empty window gets no surface, and still its paint.
    surface->Attach(CreateCompatibleBitmap(nullptr, rc.Width(), rc.Height()));
    wnd.PaintInto(*surface);
    return surface;
}

int ScriptedWindowSystem::MessageBox(CWnd*, const std::string& text, const std::string& caption,
                                     UINT type) {
    m_boxes.push_back({text, caption, type});
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_OK) return IDOK;
    if (m_answers.empty()) {
        ++m_unanswered;
        return buttons == MB_OKCANCEL ? IDCANCEL : IDNO;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
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
    auto size = [](CWnd* wnd, const auto& u) {  // the template's or a control's dialog units
        const CRect rc =
            DialogUnitsToPixels(CRect(u.x, u.y, u.x + u.cx, u.y + u.cy), kBaseUnitX, kBaseUnitY);
        if (wnd) wnd->PeerSetSize(rc.Width(), rc.Height());
    };
    size(&dlg, *tpl);
    for (int i = 0; i < dlg.GetControlCount() && i < static_cast<int>(tpl->controls.size()); ++i)
        size(dlg.GetControlAt(i), tpl->controls[i]);
}

int ScriptedWindowSystem::RunModalLoop(CDialog& dlg, bool) {
    m_modals.push_back(dlg.GetTemplateID());
    if (!m_scripts.empty()) {
        ModalScript script = std::move(m_scripts.front());
        m_scripts.pop_front();
        script(dlg);
    }
    return dlg.IsEnded() ? dlg.GetModalResult() : IDCANCEL;
}

}  // namespace doubles
