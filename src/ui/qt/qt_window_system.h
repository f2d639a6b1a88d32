// The window system on Qt Widgets: dialogs as real windows, message boxes, the file
// chooser and the desktop's colours. Needs a QApplication; installs itself while it lives.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/dialog.h"
#include "ui/dialog_registry.h"
#include "ui/qt/dialog_host.h"
#include "ui/window_system.h"

class QWidget;

namespace qtui {

class QtWindowSystem : public WindowSystem {
public:
    using FileChooser = std::function<std::optional<std::string>(const FileChooserRequest&)>;

    QtWindowSystem();
    ~QtWindowSystem() override;

    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    // Answers every file chooser in place of Qt's dialog (empty: Qt's dialog again).
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

    // The window of a realized dialog, NULL when there is none.
    DialogHost* WindowOf(const CDialog& dlg) const;
    // The window a message from wnd belongs to: its dialog's, else the running modal one.
    QWidget* OwnerWindow(const CWnd* wnd) const;

    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override;
    void RealizeDialog(CDialog& dlg) override;
    int RunModalLoop(CDialog& dlg, bool focusFirst) override;
    void EndModalLoop(CDialog& dlg, int result) override;
    void DestroyDialog(CDialog& dlg) override;
    COLORREF GetSysColor(int index) override;
    void SetBusy(bool busy) override;

private:
    // While a question or the chooser waits for the user in a busy step: the ordinary
    // cursor over it.
    struct AskingCursor {
        explicit AskingCursor(bool busy);
        ~AskingCursor();
        bool on;
    };
    bool m_busy = false;
    WindowSystem* m_previous;
    FileChooser m_fileChooser;
    DialogHosts<DialogHost> m_windows;
};

}  // namespace qtui
