// The peer of each kind of template control.
#pragma once

#include <memory>

#include "ui/qt/control_peers.h"

namespace qtui {

// The widget for this template control, as a child of parent.
std::unique_ptr<ControlPeer> MakeControlPeer(const DialogControl& control, QWidget* parent);

}  // namespace qtui
