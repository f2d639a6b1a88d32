// What every Qt dialog test does with real widgets: wait for a step, run a dialog with a
// script inside its loop, find a control's widget.
#pragma once

#include <functional>

#include "ui/dialog.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"

namespace qtsteps {

// Runs step every few milliseconds, from whatever event loop runs then, until it returns
// true. A step that never succeeds aborts the program: a dialog left open would hang it.
void Poll(std::function<bool()> step);

// Runs dlg modally with script inside its loop once the window is active (keys reach
// shortcuts and focus only there); a script that leaves the dialog open gets it ended.
INT_PTR RunModal(CDialog& dlg, std::function<void()> script);

// The widget of dlg's control with this ID, NULL when it has none (or not of type W).
template <class W = QWidget>
W* Widget(qtui::QtWindowSystem& ws, const CDialog& dlg, int id) {
    const DialogTemplate* tpl = dlg.GetTemplate();
    qtui::DialogHost* host = ws.WindowOf(dlg);
    for (int i = 0; host && i < host->ControlCount(); ++i)
        if (tpl->controls[i].id == id) return dynamic_cast<W*>(host->ControlWidget(i));
    return nullptr;
}

}  // namespace qtsteps
