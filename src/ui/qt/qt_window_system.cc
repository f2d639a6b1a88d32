#include "ui/qt/qt_window_system.h"

#include <QGuiApplication>
#include <QPalette>

#include "ui/qt/file_chooser.h"
#include "ui/qt/message_box.h"

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
    m_windows.ForEach([](DialogHost& window) { window.DetachAll(); });
    m_windows.Clear();
    if (GetCurrentWindowSystem() == this) SetCurrentWindowSystem(m_previous);
}

DialogHost* QtWindowSystem::WindowOf(const CDialog& dlg) const {
    return m_windows.Find(dlg);
}

QWidget* QtWindowSystem::OwnerWindow(const CWnd* wnd) const {
    return m_windows.OwnerOf(wnd);
}

int QtWindowSystem::MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                               UINT type) {
    QWidget* parent = OwnerWindow(owner);
    std::unique_ptr<QMessageBox> box = MakeMessageBox(parent, text, caption, type);
    const AskingCursor asking(m_busy);
    box->exec();
    Reactivate(parent);
    return MessageBoxResult(*box, box->clickedButton(), type);
}

std::optional<std::string> QtWindowSystem::ChooseFile(const FileChooserRequest& request) {
    if (m_fileChooser) return m_fileChooser(request);
    QWidget* parent = OwnerWindow(request.owner);
    const AskingCursor asking(m_busy);
    std::optional<std::string> chosen = RunFileDialog(parent, request);
    Reactivate(parent);
    return chosen;
}

void QtWindowSystem::RealizeDialog(CDialog& dlg) {
    if (!dlg.GetTemplate()) return;
    // Without an owner of its own a dialog belongs to the one running now, if any.
    m_windows.Add(dlg, std::make_unique<DialogHost>(dlg, OwnerWindow(dlg.GetOwner())));
}

int QtWindowSystem::RunModalLoop(CDialog& dlg, bool focusFirst) {
    const int result = m_windows.RunModal(
        dlg, [focusFirst](DialogHost& window) { return window.RunModal(focusFirst); });
    Reactivate(m_windows.Modal());
    return result;
}

void QtWindowSystem::EndModalLoop(CDialog& dlg, int result) {
    if (DialogHost* window = WindowOf(dlg)) window->EndModal(result);
}

void QtWindowSystem::DestroyDialog(CDialog& dlg) {
    if (std::unique_ptr<DialogHost> window = m_windows.Take(dlg)) window->DetachAll();
}

void QtWindowSystem::SetBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QtWindowSystem::AskingCursor::AskingCursor(bool busy) : on(busy) {
    if (on) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}

QtWindowSystem::AskingCursor::~AskingCursor() {
    if (on) QGuiApplication::restoreOverrideCursor();
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
