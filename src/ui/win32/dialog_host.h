// The system window of one dialog: its controls from the template, the routing of their
// notifications, the system menu, the icons and the modal loop.
#pragma once

#include <memory>
#include <vector>

#include "ui/dialog.h"
#include "ui/win32/icons.h"
#include "ui/win32/native_peers.h"

namespace win32ui {

class DialogHost : public WindowPeer, public DialogEvents {
public:
    // Creates the window (hidden) and the controls of dlg's template; attaches the peers.
    DialogHost(CDialog& dlg, NativeWindow owner);
    ~DialogHost() override;

    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    bool Created() const { return m_window != nullptr; }
    NativeWindow Window() const { return m_window; }
    CDialog* Dialog() const { return m_dialog; }
    // The system control of the template's control at index, in template order.
    NativeWindow ControlWindow(int index) const;
    int ControlCount() const { return static_cast<int>(m_peers.size()); }

    int RunModal(bool focusFirst);
    void EndModal(int result);
    void DetachAll();

    // WindowPeer: the dialog model itself.
    void Attached(CWnd* wnd) override;
    void EnabledChanged(bool enabled) override { Enable(m_window, enabled); }
    void TextChanged(const std::string& text) override { SetText(m_window, text); }
    void IconChanged(HICON icon, bool big) override;
    void AcceptFilesChanged(bool accept) override { AcceptFiles(m_window, accept); }

    // DialogEvents.
    void Command(int id, int code, NativeWindow control) override;
    void SysCommand(unsigned command) override;
    void Close() override;
    void Iconic(bool iconic) override;
    NativeIcon DragIcon() override;
    bool Mirroring() const override { return m_mirror.On(); }
    void DropFiles(const std::vector<std::string>& paths) override;
    void SystemMenuOpening() override;
    void Resized(int cx, int cy) override;

private:
    NativePeer* PeerOf(NativeWindow control) const;
    // The program's items (appended by OnInitDialog) after the system's own.
    void SyncSystemMenu();
    void AppendProgramMenuItems();
    int m_systemMenuItems = -1;  // the system's own items, once known

    CDialog* m_dialog;
    NativeWindow m_owner;
    NativeWindow m_window = nullptr;
    MirrorFlag m_mirror;
    IconCache m_icons;                                 // before the peers, which show its icons
    std::vector<std::unique_ptr<NativePeer>> m_peers;  // template order
    std::vector<CRect> m_places;  // each control at the template's size, client pixels
    int m_templateCx = 0, m_templateCy = 0;
    int m_result = 0;
    bool m_ended = false;
};

}  // namespace win32ui
