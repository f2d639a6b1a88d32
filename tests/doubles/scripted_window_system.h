// A window system for tests: answers message boxes and file choosers from queues,
// records everything it was shown, drives modal dialogs by scripts and paints windows
// into surfaces the test can read. Installs itself while it lives.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "ui/dialog.h"
#include "ui/window_system.h"

namespace doubles {

struct ShownMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;  // MB_* buttons | icon
    bool operator==(const ShownMessageBox& o) const {
        return text == o.text && caption == o.caption && type == o.type;
    }
};

class ScriptedWindowSystem : public WindowSystem {
public:
    // A modal dialog's script: runs in place of the modal loop, after OnInitDialog.
    using ModalScript = std::function<void(CDialog&)>;

    // Dialog base units of an 8-point dialog font at 96 dpi.
    static constexpr int kBaseUnitX = 6;
    static constexpr int kBaseUnitY = 13;

    ScriptedWindowSystem();            // becomes the current window system
    ~ScriptedWindowSystem() override;  // puts the previous one back

    // Answers for message boxes with more than one button, in order. A box with only
    // an OK button is answered IDOK without taking from the queue. A question with no
    // answer queued is answered IDNO and counted in UnansweredQuestions().
    void AnswerMessageBox(int answer) { m_answers.push_back(answer); }
    const std::vector<ShownMessageBox>& MessageBoxes() const { return m_boxes; }
    int UnansweredQuestions() const { return m_unanswered; }
    void ClearMessageBoxes() { m_boxes.clear(); }

    // Answers for file choosers, in order; none queued: cancelled.
    void ChooseFileAnswer(std::string path) { m_files.emplace_back(std::move(path)); }
    const std::vector<FileChooserRequest>& FileChoosers() const { return m_choosers; }

    // Scripts for the next modal loops, in order. None queued: the loop returns at
    // once. A loop whose script ends without EndDialog returns IDCANCEL.
    void QueueModal(ModalScript script) { m_scripts.push_back(std::move(script)); }
    const std::vector<UINT>& ModalDialogs() const { return m_modals; }  // template IDs

    // Counts the repaints a window asks for from now on (attaches a recording peer;
    // the peer follows the model through DDX_Control).
    void Watch(CWnd& wnd);
    int Invalidations(const CWnd& wnd) const;

    // Paints the window's client area into a new 32-bit surface and returns it.
    std::unique_ptr<CBitmap> Paint(CWnd& wnd);

    // WindowSystem
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override;
    void RealizeDialog(CDialog& dlg) override;
    int RunModalLoop(CDialog& dlg, bool focusFirst) override;
    void EndModalLoop(CDialog&, int) override {}
    void DestroyDialog(CDialog&) override {}
    COLORREF GetSysColor(int) override { return RGB(212, 208, 200); }
    void SetBusy(bool busy) override {
        m_busySteps += busy && !m_busy;
        m_busy = busy;
    }
    // Busy steps begun so far, and whether one runs now.
    int BusySteps() const { return m_busySteps; }
    bool Busy() const { return m_busy; }

private:
    class RecordingPeer;

    WindowSystem* m_previous;
    std::deque<int> m_answers;
    std::vector<ShownMessageBox> m_boxes;
    int m_unanswered = 0;
    std::deque<std::optional<std::string>> m_files;
    std::vector<FileChooserRequest> m_choosers;
    std::deque<ModalScript> m_scripts;
    std::vector<UINT> m_modals;
    std::vector<std::unique_ptr<RecordingPeer>> m_peers;
    int m_busySteps = 0;
    bool m_busy = false;
};

}  // namespace doubles
