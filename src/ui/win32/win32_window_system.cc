#include "ui/win32/win32_window_system.h"

namespace win32ui {

Win32WindowSystem::Win32WindowSystem() : m_previous(GetCurrentWindowSystem()) {
    SetCurrentWindowSystem(this);
}

Win32WindowSystem::~Win32WindowSystem() {
    m_hosts.ForEach([](DialogHost& host) { host.DetachAll(); });
    m_hosts.Clear();
    if (GetCurrentWindowSystem() == this) SetCurrentWindowSystem(m_previous);
}

DialogHost* Win32WindowSystem::HostOf(const CDialog& dlg) const {
    return m_hosts.Find(dlg);
}

NativeWindow Win32WindowSystem::OwnerWindow(const CWnd* wnd) const {
    DialogHost* host = m_hosts.OwnerOf(wnd);
    return host ? host->Window() : nullptr;
}

int Win32WindowSystem::MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                                  UINT type) {
    NativeWindow window = OwnerWindow(owner);
    if (m_answer) return m_answer(window, text, caption, type);
    return ShowMessageBox(window, text, caption, type);
}

std::optional<std::string> Win32WindowSystem::ChooseFile(const FileChooserRequest& request) {
    if (m_fileChooser) return m_fileChooser(request);
    OpenFileRequest native;
    native.save = !request.open;
    native.owner = OwnerWindow(request.owner);
    for (const FileFilter& f : request.filters)
        native.filters.emplace_back(f.description, f.pattern);
    native.initialName = request.initialName;
    native.initialFolder = request.initialFolder;
    native.defaultExtension = request.defaultExtension;
    if (!native.defaultExtension.empty() && native.defaultExtension[0] == '.')
        native.defaultExtension.erase(0, 1);
    native.flags = request.flags;
    return win32ui::ChooseFile(native);
}

void Win32WindowSystem::RealizeDialog(CDialog& dlg) {
    if (!dlg.GetTemplate()) return;
    // Without an owner of its own a dialog belongs to the one running now, if any.
    auto host = std::make_unique<DialogHost>(dlg, OwnerWindow(dlg.GetOwner()));
    if (host->Created()) m_hosts.Add(dlg, std::move(host));
}

int Win32WindowSystem::RunModalLoop(CDialog& dlg, bool focusFirst) {
    return m_hosts.RunModal(dlg,
                            [focusFirst](DialogHost& host) { return host.RunModal(focusFirst); });
}

void Win32WindowSystem::EndModalLoop(CDialog& dlg, int result) {
    if (DialogHost* host = HostOf(dlg)) host->EndModal(result);
}

void Win32WindowSystem::DestroyDialog(CDialog& dlg) {
    if (std::unique_ptr<DialogHost> host = m_hosts.Take(dlg)) host->DetachAll();
}

COLORREF Win32WindowSystem::GetSysColor(int index) {
    return SysColor(index);
}

}  // namespace win32ui
