// The window system on Win32: dialogs as system dialogs, message boxes, the system's file
// chooser and colours. Installs itself while it lives.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/dialog.h"
#include "ui/dialog_registry.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/native_ui.h"
#include "ui/window_system.h"

namespace win32ui {

class Win32WindowSystem : public WindowSystem {
public:
    using FileChooser = std::function<std::optional<std::string>(const FileChooserRequest&)>;
    // A message box as the program asks for it, with the window that owns it.
    using MessageBoxAnswer = std::function<int(NativeWindow owner, const std::string& text,
                                               const std::string& caption, UINT type)>;

    Win32WindowSystem();
    ~Win32WindowSystem() override;

    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    // Test hooks: answer every file chooser or message box in place of the system's own
    // (empty: the system's again).
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    void SetMessageBoxAnswer(MessageBoxAnswer answer) { m_answer = std::move(answer); }

    DialogHost* HostOf(const CDialog& dlg) const;
    // The window a message from wnd belongs to: its dialog's, else the running modal one.
    NativeWindow OwnerWindow(const CWnd* wnd) const;

    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override;
    void RealizeDialog(CDialog& dlg) override;
    int RunModalLoop(CDialog& dlg, bool focusFirst) override;
    void EndModalLoop(CDialog& dlg, int result) override;
    void DestroyDialog(CDialog& dlg) override;
    COLORREF GetSysColor(int index) override;
    void SetBusy(bool busy) override { ShowBusyCursor(busy); }

private:
    WindowSystem* m_previous;
    FileChooser m_fileChooser;
    MessageBoxAnswer m_answer;
    DialogHosts<DialogHost> m_hosts;
};

}  // namespace win32ui
