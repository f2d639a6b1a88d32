// What a window system's back end keeps of the dialogs it realized: one window of its own
// per dialog, and the modal loops running, innermost last.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "ui/dialog.h"

template <class Window>
class DialogHosts {
public:
    Window* Find(const CDialog& dlg) const {
        auto it = m_windows.find(&dlg);
        return it != m_windows.end() ? it->second.get() : nullptr;
    }
    // The innermost running modal dialog's window, NULL when none runs.
    Window* Modal() const { return m_modal.empty() ? nullptr : Find(*m_modal.back()); }
    // The window a message from wnd belongs to: its dialog's, else the running modal one.
    Window* OwnerOf(const CWnd* wnd) const {
        for (const CWnd* w = wnd; w; w = w->GetParent())
            if (auto* dlg = dynamic_cast<const CDialog*>(w))
                if (Window* window = Find(*dlg)) return window;
        return Modal();
    }

    void Add(const CDialog& dlg, std::unique_ptr<Window> window) {
        m_windows[&dlg] = std::move(window);
    }
    // Forgets dlg's window and hands it over (NULL when there is none).
    std::unique_ptr<Window> Take(const CDialog& dlg) {
        auto it = m_windows.find(&dlg);
        if (it == m_windows.end()) return nullptr;
        std::unique_ptr<Window> window = std::move(it->second);
        m_windows.erase(it);
        return window;
    }
    // Runs run(window) as the innermost modal loop; IDCANCEL when dlg has no window.
    template <class Run>
    int RunModal(const CDialog& dlg, Run run) {
        Window* window = Find(dlg);
        if (!window) return IDCANCEL;
        m_modal.push_back(&dlg);
        const int result = run(*window);
        m_modal.pop_back();
        return result;
    }
    template <class F>
    void ForEach(F f) {
        for (auto& entry : m_windows) f(*entry.second);
    }
    void Clear() { m_windows.clear(); }

private:
    std::map<const CDialog*, std::unique_ptr<Window>> m_windows;
    std::vector<const CDialog*> m_modal;
};
