// Helpers for driving real widgets: work done from inside nested modal loops, real
// message boxes answered as they come, and the widgets of a realized dialog.
#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "platform/dialog.h"
#include "platform/qt/dialog_window.h"
#include "platform/qt/qt_window_system.h"

namespace qttest {

// Runs step every few milliseconds, from whatever event loop runs then, until it returns
// true. A step that never succeeds aborts the program: a dialog left open would hang it.
void Poll(std::function<bool()> step, int timeoutMs = 10000);

// Runs dlg modally with script running inside its loop once the window is active; a script that
// returns without ending the dialog gets it ended with -1. Returns what DoModal returned.
INT_PTR RunModal(CDialog& dlg, std::function<void()> script);

// Clicks entry `index` of the next popup menu (negative: from the end) once it opens,
// after noting its entries' texts ("-" for a separator) in *entries.
void ChooseFromNextMenu(int index, QStringList* entries = nullptr);

// The widget of dlg's control with this ID (the first one with it), NULL if none.
QWidget* ControlWidget(const qtui::QtWindowSystem& ws, const CDialog& dlg, int id);
template <class W>
W* Control(const qtui::QtWindowSystem& ws, const CDialog& dlg, int id) {
    return dynamic_cast<W*>(ControlWidget(ws, dlg, id));
}

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* owner = nullptr;
};

// Answers real message boxes in the order they appear, each with the next queued button,
// by clicking it; records every box it answered.
class BoxAnswerer {
public:
    void Answer(QMessageBox::StandardButton button);
    const std::vector<SeenBox>& Seen() const { return m_seen; }
    std::vector<SeenBox> Take();
    bool Idle() const { return m_queue.empty(); }

private:
    std::deque<QMessageBox::StandardButton> m_queue;
    std::vector<SeenBox> m_seen;
};

}  // namespace qttest
