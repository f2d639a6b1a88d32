// One peer per template control: it mirrors the control model onto the system's control
// while the dialog ignores the control's notifications, and turns the notifications a
// user's action raises into the model's User* calls.
#pragma once

#include <memory>

#include "ui/dialog.h"
#include "ui/win32/icons.h"
#include "ui/win32/native_ui.h"
#include "ui/window_system.h"

namespace win32ui {

// Set while the back end changes a dialog's controls itself.
class MirrorFlag {
public:
    bool On() const { return m_depth > 0; }
    struct Scope {
        explicit Scope(MirrorFlag& f) : flag(f) { ++flag.m_depth; }
        ~Scope() { --flag.m_depth; }
        MirrorFlag& flag;
    };

private:
    int m_depth = 0;
};

class NativePeer : public WindowPeer {
public:
    NativePeer(NativeWindow window, MirrorFlag& mirror) : m_window(window), m_mirror(mirror) {}
    ~NativePeer() override;  // detaches from the model it still mirrors

    NativePeer(const NativePeer&) = delete;
    NativePeer& operator=(const NativePeer&) = delete;

    NativeWindow Window() const { return m_window; }
    CWnd* Model() const { return m_model; }
    // Stops mirroring; the model forgets this peer.
    virtual void Detach();
    // A notification the control sent its dialog (BN_CLICKED, LBN_SELCHANGE...).
    virtual void Notified(int code) { (void)code; }

    void Attached(CWnd* wnd) override;
    void EnabledChanged(bool enabled) override;
    void FocusRequested() override { FocusControl(m_window); }

protected:
    // Copies the whole model state onto the control (the model just came or changed).
    virtual void Mirror();

    NativeWindow m_window;
    MirrorFlag& m_mirror;
    CWnd* m_model = nullptr;
};

// The system's class for a template control: a static the program paints itself (not a
// label, icon or frame) becomes a surface.
ControlClass ClassOf(const DialogControl& control);

std::unique_ptr<NativePeer> MakeNativePeer(const DialogControl& control, NativeWindow window,
                                           MirrorFlag& mirror, IconCache& icons);

}  // namespace win32ui
