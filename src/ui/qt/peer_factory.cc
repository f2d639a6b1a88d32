#include "ui/qt/peer_factory.h"

#include "ui/qt/list_peers.h"

namespace qtui {

std::unique_ptr<ControlPeer> MakeControlPeer(const DialogControl& control, QWidget* parent) {
    std::unique_ptr<ControlPeer> peer;
    switch (control.kind) {
        case ControlKind::PushButton:
            peer = MakeButtonPeer(control, parent);
            break;
        case ControlKind::Edit:
            peer = MakeEditPeer(control, parent);
            break;
        case ControlKind::ListBox:
            peer = MakeListBoxPeer(control, parent);
            break;
        case ControlKind::ComboBox:
            peer = MakeComboBoxPeer(control, parent);
            break;
        case ControlKind::Static:
            peer = MakeStaticPeer(control, parent);
            break;
    }
    QWidget* widget = peer->Widget();
    if (widget->focusPolicy() != Qt::NoFocus)
        widget->setFocusPolicy(control.style & WS_TABSTOP ? Qt::StrongFocus : Qt::ClickFocus);
    widget->setEnabled(!(control.style & WS_DISABLED));
    return peer;
}

}  // namespace qtui
