// Peers of the list box and the combo boxes (drop-down list, editable drop-down).
#pragma once

#include <memory>

#include "ui/qt/control_peers.h"

namespace qtui {

std::unique_ptr<ControlPeer> MakeListBoxPeer(const DialogControl& control, QWidget* parent);
std::unique_ptr<ControlPeer> MakeComboBoxPeer(const DialogControl& control, QWidget* parent);

}  // namespace qtui
