#include "ui/qt/accelerators.h"

#include <QShortcut>
#include <QWidget>
#include <algorithm>

namespace qtui {

std::vector<QKeySequence> KeySequencesOf(const DialogAccelerator& accel) {
    if (!(accel.fVirt & FVIRTKEY)) return {};
    Qt::KeyboardModifiers mods;
    if (accel.fVirt & FCONTROL) mods |= Qt::ControlModifier;
    if (accel.fVirt & FALT) mods |= Qt::AltModifier;
    const bool shift = accel.fVirt & FSHIFT;
    int key = 0;
    if ((accel.key >= '0' && accel.key <= '9') || (accel.key >= 'A' && accel.key <= 'Z'))
        key = accel.key;
    else if (accel.key == VK_OEM_PLUS)
        key = shift ? Qt::Key_Plus : Qt::Key_Equal;
    else if (accel.key == VK_PRIOR)
        key = Qt::Key_PageUp;
    else if (accel.key == VK_NEXT)
        key = Qt::Key_PageDown;
    else if (accel.key == VK_ADD)
        key = Qt::Key_Plus;
    else if (accel.key == VK_OEM_MINUS || accel.key == VK_SUBTRACT)
        key = Qt::Key_Minus;
    else
        return {};
    // Shift is part of the character a key types; for the others it is a modifier.
    if (shift && accel.key != VK_OEM_PLUS) mods |= Qt::ShiftModifier;
    return {QKeySequence(QKeyCombination(mods, Qt::Key(key)))};
}

void InstallAccelerators(QWidget* window, const std::vector<DialogAccelerator>& accels,
                         const std::function<void(int)>& command) {
    // Two shortcuts of one sequence would both stay silent as ambiguous.
    std::vector<QKeySequence> taken;
    for (const DialogAccelerator& accel : accels) {
        for (const QKeySequence& keys : KeySequencesOf(accel)) {
            if (std::find(taken.begin(), taken.end(), keys) != taken.end()) continue;
            taken.push_back(keys);
            auto* shortcut = new QShortcut(keys, window);
            const int cmd = accel.cmd;
            QObject::connect(shortcut, &QShortcut::activated, window,
                             [command, cmd] { command(cmd); });
        }
    }
}

}  // namespace qtui
