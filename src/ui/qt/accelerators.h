// A dialog's accelerator keys as shortcuts of its window.
#pragma once

#include <QKeySequence>
#include <functional>
#include <vector>

#include "ui/dialog.h"

class QWidget;

namespace qtui {

// The key sequences that press this key here, none for a key the back end does not know.
// The key that types + gives Ctrl+= unshifted and Ctrl++ shifted; the keypad's keys are
// matched by their plain sequences.
std::vector<QKeySequence> KeySequencesOf(const DialogAccelerator& accel);

// One shortcut per distinct sequence on window, each calling command with its ID.
void InstallAccelerators(QWidget* window, const std::vector<DialogAccelerator>& accels,
                         const std::function<void(int)>& command);

}  // namespace qtui
