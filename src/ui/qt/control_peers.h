// One peer per template control: it creates the control's widget, mirrors the control
// model onto it with the widget's signals blocked, and turns the user's actions on the
// widget into the model's User* calls.
#pragma once

#include <QObject>
#include <QWidget>
#include <memory>

#include "ui/dialog.h"
#include "ui/window_system.h"

namespace qtui {

class ControlPeer : public QObject, public WindowPeer {
public:
    ~ControlPeer() override;  // detaches from the model it still mirrors

    QWidget* Widget() const { return m_widget; }
    CWnd* Model() const { return m_model; }
    // Stops mirroring; the model forgets this peer.
    virtual void Detach();

    // Places the widget; rect is the template's, in pixels.
    virtual void SetGeometry(const QRect& rect) { m_widget->setGeometry(rect); }

    void Attached(CWnd* wnd) override;
    void EnabledChanged(bool enabled) override;
    void FocusRequested() override { m_widget->setFocus(Qt::OtherFocusReason); }

protected:
    explicit ControlPeer(QWidget* widget);
    // Copies the whole model state onto the widget (the model just came or changed).
    virtual void Mirror();

    QWidget* m_widget;  // owned by its Qt parent, the dialog window
    CWnd* m_model = nullptr;
};

// A push button that Enter in its dialog presses (the template's default button).
bool IsDefaultPushButton(const DialogControl& control);

std::unique_ptr<ControlPeer> MakeButtonPeer(const DialogControl& control, QWidget* parent);
std::unique_ptr<ControlPeer> MakeEditPeer(const DialogControl& control, QWidget* parent);
std::unique_ptr<ControlPeer> MakeStaticPeer(const DialogControl& control, QWidget* parent);

}  // namespace qtui
