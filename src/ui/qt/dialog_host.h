// The top-level window of one dialog: its controls as widgets at their template places,
// the keyboard rules of a dialog, the close box and the window menu.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/qt/control_peers.h"
#include "ui/qt/dialog_units.h"

class QMenu;

namespace qtui {

class DialogHost : public QWidget, public WindowPeer {
public:
    // Creates the widgets of every control of dlg's template and attaches their peers.
    DialogHost(CDialog& dlg, QWidget* owner);
    ~DialogHost() override;

    CDialog* Dialog() const { return m_dialog; }
    const DialogBaseUnits& BaseUnits() const { return m_units; }
    // The widget of the template's control at index, in template order.
    QWidget* ControlWidget(int index) const;
    int ControlCount() const { return static_cast<int>(m_peers.size()); }

    // Shows the window and runs until EndModal.
    int RunModal(bool focusFirst);
    void EndModal(int result);

    // The window menu (close, and whatever the program appended) at globalPos.
    void PopupSystemMenu(const QPoint& globalPos);

    // Detaches every peer from its model.
    void DetachAll();

    // WindowPeer: the dialog model itself.
    void Attached(CWnd* wnd) override;
    void EnabledChanged(bool enabled) override { setEnabled(enabled); }
    void TextChanged(const std::string& text) override;
    void IconChanged(HICON icon, bool big) override;
    void AcceptFilesChanged(bool accept) override { setAcceptDrops(accept); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FocusFirstControl();
    int EnterCommandId() const;
    // The dialog's accelerators as shortcuts of this window; text fields keep the keys
    // they can use (undo while they have typing to undo).
    void InstallEditFilters();
    void OpenDropped(const std::vector<std::string>& paths);
    bool m_editFiltersInstalled = false;

    CDialog* m_dialog;
    DialogBaseUnits m_units;
    std::vector<std::unique_ptr<ControlPeer>> m_peers;  // template order
    std::vector<QRect> m_places;                        // each control at the template's size
    QSize m_templateSize;
    QPointer<QWidget> m_owner;
    QPointer<QEventLoop> m_loop;
    int m_result = 0;
    bool m_ended = false;
};

}  // namespace qtui
