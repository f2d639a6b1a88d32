#include "platform/qt/qt_window_system.h"

#include <QGuiApplication>
#include <QPalette>

#include "platform/qt/dialog_window.h"
#include "platform/qt/file_chooser.h"
#include "platform/qt/message_box.h"

namespace qtui {

namespace {

constexpr int kColorWindow = 5;
constexpr int kColorWindowText = 8;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
constexpr int kColorGrayText = 17;
constexpr int kColorButtonText = 18;

COLORREF ToColorRef(const QColor& c) {
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()),
               static_cast<BYTE>(c.blue()));
}

// The keyboard goes back to the owner once a box or chooser on top of it has gone,
// whether or not the desktop does so itself.
void Reactivate(QWidget* owner) {
    if (owner && owner->isVisible()) owner->activateWindow();
}

}  // namespace

QtWindowSystem::QtWindowSystem() : m_previous(GetCurrentWindowSystem()) {
    // The dialogs end the program themselves; a nested loop must not end with a window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    SetCurrentWindowSystem(this);
}

QtWindowSystem::~QtWindowSystem() {
    for (auto& [dlg, window] : m_windows) window->DetachAll();
    m_windows.clear();
    if (GetCurrentWindowSystem() == this) SetCurrentWindowSystem(m_previous);
}

DialogWindow* QtWindowSystem::WindowOf(const CDialog& dlg) const {
    auto it = m_windows.find(&dlg);
    return it != m_windows.end() ? it->second.get() : nullptr;
}

QWidget* QtWindowSystem::OwnerWindow(const CWnd* wnd) const {
    for (const CWnd* w = wnd; w; w = w->GetParent())
        if (auto* dlg = dynamic_cast<const CDialog*>(w))
            if (DialogWindow* window = WindowOf(*dlg)) return window;
    return m_modal.empty() ? nullptr : WindowOf(*m_modal.back());
}

int QtWindowSystem::MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                               UINT type) {
    QWidget* parent = OwnerWindow(owner);
    std::unique_ptr<QMessageBox> box = MakeMessageBox(parent, text, caption, type);
    box->exec();
    Reactivate(parent);
    return MessageBoxResult(*box, box->clickedButton(), type);
}

std::optional<std::string> QtWindowSystem::ChooseFile(const FileChooserRequest& request) {
    if (m_fileChooser) return m_fileChooser(request);
    QWidget* parent = OwnerWindow(request.owner);
    std::optional<std::string> chosen = RunFileDialog(parent, request);
    Reactivate(parent);
    return chosen;
}

void QtWindowSystem::RealizeDialog(CDialog& dlg) {
    if (!dlg.GetTemplate()) return;
    // Without an owner of its own a dialog belongs to the one running now, if any.
    m_windows[&dlg] = std::make_unique<DialogWindow>(dlg, OwnerWindow(dlg.GetOwner()));
}

int QtWindowSystem::RunModalLoop(CDialog& dlg, bool focusFirst) {
    DialogWindow* window = WindowOf(dlg);
    if (!window) return IDCANCEL;
    m_modal.push_back(&dlg);
    const int result = window->RunModal(focusFirst);
    m_modal.pop_back();
    if (!m_modal.empty()) Reactivate(WindowOf(*m_modal.back()));
    return result;
}

void QtWindowSystem::EndModalLoop(CDialog& dlg, int result) {
    if (DialogWindow* window = WindowOf(dlg)) window->EndModal(result);
}

void QtWindowSystem::DestroyDialog(CDialog& dlg) {
    auto it = m_windows.find(&dlg);
    if (it == m_windows.end()) return;
    std::unique_ptr<DialogWindow> window = std::move(it->second);
    m_windows.erase(it);
    window->DetachAll();
}

COLORREF QtWindowSystem::GetSysColor(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
        case COLOR_3DFACE:
            return ToColorRef(palette.color(QPalette::Button));
        case kColorWindow:
            return ToColorRef(palette.color(QPalette::Base));
        case kColorWindowText:
            return ToColorRef(palette.color(QPalette::Text));
        case kColorHighlight:
            return ToColorRef(palette.color(QPalette::Highlight));
        case kColorHighlightText:
            return ToColorRef(palette.color(QPalette::HighlightedText));
        case kColorGrayText:
            return ToColorRef(palette.color(QPalette::Disabled, QPalette::Text));
        case kColorButtonText:
            return ToColorRef(palette.color(QPalette::ButtonText));
        default:
            return ToColorRef(palette.color(QPalette::Window));
    }
}

}  // namespace qtui
