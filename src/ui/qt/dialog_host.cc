#include "ui/qt/dialog_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "ui/qt/accelerators.h"
#include "ui/qt/icons.h"
#include "ui/qt/peer_factory.h"
#include "ui/qt/surface_widget.h"
#include "ui/qt/text.h"

namespace qtui {

namespace {

Qt::WindowFlags FlagsFor(const DialogTemplate& tpl, bool owned) {
    // A window of its own (a taskbar entry) unless it belongs to another dialog.
    Qt::WindowFlags flags = (tpl.exStyle & WS_EX_APPWINDOW) || !owned ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    if (tpl.style & WS_CAPTION) flags |= Qt::WindowTitleHint;
    if (tpl.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    if (tpl.style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

}  // namespace

DialogHost::DialogHost(CDialog& dlg, QWidget* owner)
    : QWidget(nullptr), m_dialog(&dlg), m_owner(owner) {
    const DialogTemplate& tpl = *dlg.GetTemplate();
    setWindowFlags(FlagsFor(tpl, owner != nullptr));

    const QFont font = DialogFont(tpl);
    setFont(font);
    m_units = BaseUnitsOf(font);
    // The dialog's face is the colour the program knows as the face colour.
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    // A dialog with a sizing border grows from the template's size, never below it.
    m_templateSize = DialogUnitsToRect(m_units, 0, 0, tpl.cx, tpl.cy).size();
    if (tpl.style & WS_THICKFRAME) {
        setMinimumSize(m_templateSize);
        resize(m_templateSize);
    } else {
        setFixedSize(m_templateSize);
    }
    // The focused control shows its focus ring always, not only after a key moved it.
    setAttribute(Qt::WA_KeyboardFocusChange);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) setAttribute(Qt::WA_KeyboardFocusChange);
    });

    QWidget* previous = nullptr;
    for (const DialogControl& control : tpl.controls) {
        m_peers.push_back(MakeControlPeer(control, this));
        ControlPeer& peer = *m_peers.back();
        m_places.push_back(
            DialogUnitsToRect(m_units, control.x, control.y, control.cx, control.cy));
        peer.SetGeometry(m_places.back());
        QWidget* widget = peer.Widget();
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previous) setTabOrder(previous, widget);
            previous = widget;
        }
    }

    if (owner) {
        winId();
        if (QWindow* ownerWindow = owner->window()->windowHandle())
            windowHandle()->setTransientParent(ownerWindow);
    }

    dlg.SetPeer(this);
    dlg.PeerSetSize(width(), height());
    for (int i = 0; i < ControlCount(); ++i) {
        CWnd* ctrl = dlg.GetControlAt(i);
        if (!ctrl) continue;
        ctrl->SetPeer(m_peers[i].get());
        const QWidget* widget = m_peers[i]->Widget();
        const auto* surface = dynamic_cast<const SurfaceWidget*>(widget);
        const QSize size = surface ? surface->DeviceSize() : widget->size();
        ctrl->PeerSetSize(size.width(), size.height());
    }

    // Stand-ins for what the window system's own window menu and close key do.
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { PopupSystemMenu(mapToGlobal(QPoint(0, 0))); });
    auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, [this] {
        if (m_dialog) m_dialog->UserClose();
    });
    InstallAccelerators(this, tpl.accelerators, [this](int cmd) {
        if (m_dialog) m_dialog->UserCommand(cmd, CMD_FROM_ACCELERATOR);
    });
}

DialogHost::~DialogHost() {
    DetachAll();
}

void DialogHost::DetachAll() {
    for (auto& peer : m_peers) peer->Detach();
    if (m_dialog && m_dialog->GetPeer() == this) m_dialog->SetPeer(nullptr);
    m_dialog = nullptr;
}

QWidget* DialogHost::ControlWidget(int index) const {
    if (index < 0 || index >= ControlCount()) return nullptr;
    return m_peers[index]->Widget();
}

void DialogHost::Attached(CWnd* wnd) {
    m_dialog = dynamic_cast<CDialog*>(wnd);
    if (!m_dialog) return;
    setEnabled(m_dialog->IsWindowEnabled());
    TextChanged(m_dialog->GetWindowText());
    IconChanged(m_dialog->GetIcon(TRUE), true);
}

void DialogHost::TextChanged(const std::string& text) {
    setWindowTitle(ToQString(text));
}

void DialogHost::IconChanged(HICON icon, bool big) {
    // The desktop shows one icon per window, in every size it needs.
    if (big) setWindowIcon(ToQIcon(icon));
}

int DialogHost::RunModal(bool focusFirst) {
    if (m_ended) return m_result;
    InstallEditFilters();
    if (focusFirst) FocusFirstControl();
    QRect area = m_owner ? m_owner->window()->frameGeometry() : QRect();
    if (area.isEmpty())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    move(area.center() - rect().center());

    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    if (m_ended) return m_result;  // ended while it was being shown
    QEventLoop loop;
    m_loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    return m_result;
}

void DialogHost::EndModal(int result) {
    m_result = result;
    m_ended = true;
    hide();
    if (m_loop) m_loop->exit(result);
}

void DialogHost::FocusFirstControl() {
    for (auto& peer : m_peers) {
        QWidget* widget = peer->Widget();
        if (widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int DialogHost::EnterCommandId() const {
    if (const DialogTemplate* tpl = m_dialog ? m_dialog->GetTemplate() : nullptr)
        for (const DialogControl& c : tpl->controls)
            if (IsDefaultPushButton(c)) return c.id;
    return IDOK;
}

void DialogHost::PopupSystemMenu(const QPoint& globalPos) {
    CMenu* menu = m_dialog ? m_dialog->GetSystemMenu(FALSE) : nullptr;
    if (!menu) return;
    QMenu popup(this);
    for (const MenuItem& item : menu->GetItems()) {
        if (item.flags & MF_SEPARATOR) {
            popup.addSeparator();
            continue;
        }
        QString text = ToQString(item.text);
        if (item.id == SC_CLOSE) text += QStringLiteral("\tAlt+F4");
        QAction* action = popup.addAction(text);
        action->setData(QVariant::fromValue<qulonglong>(item.id));
        action->setEnabled(!(item.flags & MF_GRAYED));
    }
    QAction* chosen = popup.exec(globalPos);
    if (chosen && m_dialog)
        m_dialog->UserSysCommand(static_cast<UINT>(chosen->data().toULongLong()));
}

void DialogHost::keyPressEvent(QKeyEvent* event) {
    CDialog* dlg = m_dialog;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!dlg || mods != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Escape:
            dlg->UserCommand(IDCANCEL);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                if (button->isEnabled()) button->click();
            } else {
                dlg->UserCommand(EnterCommandId());
            }
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

// A palette box's field keeps Ctrl+Z while it has typing to undo, and takes dropped files
// for the window.
void DialogHost::InstallEditFilters() {
    if (m_editFiltersInstalled || !m_dialog) return;
    m_editFiltersInstalled = true;
    // A combo box hands its keys to its field directly, past the field's filters.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);
    for (QComboBox* combo : findChildren<QComboBox*>())
        if (combo->lineEdit()) combo->installEventFilter(this);
}

namespace {

// Local files only: the program opens paths.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = QFile::encodeName(url.toLocalFile());
        paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
    }
    return paths;
}

}  // namespace

bool DialogHost::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (auto* combo = qobject_cast<QComboBox*>(watched)) edit = combo->lineEdit();
    if (!edit) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Left unaccepted, the key goes to the window's shortcuts.
            auto* key = static_cast<QKeyEvent*>(event);
            return (key->matches(QKeySequence::Undo) && !edit->isUndoAvailable()) ||
                   (key->matches(QKeySequence::Redo) && !edit->isRedoAvailable());
        }
        // A file dropped on a text field is a file dropped on the window.
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!acceptDrops() || DroppedFiles(drop->mimeData()).empty()) return false;
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) OpenDropped(DroppedFiles(drop->mimeData()));
            return true;
        }
        default:
            return false;
    }
}

void DialogHost::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void DialogHost::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedFiles(event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    OpenDropped(paths);
}

// After the drop has ended: the source waits for it, and opening may ask questions.
void DialogHost::OpenDropped(const std::vector<std::string>& paths) {
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            if (m_dialog) m_dialog->UserDropFiles(paths);
        },
        Qt::QueuedConnection);
}

void DialogHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int dx = width() - m_templateSize.width(), dy = height() - m_templateSize.height();
    const DialogTemplate* tpl = m_dialog ? m_dialog->GetTemplate() : nullptr;
    for (int i = 0; tpl && i < ControlCount() && i < static_cast<int>(tpl->controls.size()); ++i) {
        const DWORD anchor = tpl->controls[i].anchor;
        if (!anchor) continue;  // in place: a label may have grown to its text
        const QRect& r = m_places[i];
        const CRect moved = AnchoredRect(
            CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()), anchor, dx, dy);
        m_peers[i]->SetGeometry(QRect(moved.left, moved.top, moved.Width(), moved.Height()));
    }
    if (m_dialog) m_dialog->UserResize(width(), height());
}

void DialogHost::closeEvent(QCloseEvent* event) {
    // Closing is the program's decision: the close box only asks.
    event->ignore();
    if (m_dialog) m_dialog->UserClose();
}

void DialogHost::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse && !childAt(event->pos()))
        PopupSystemMenu(event->globalPos());
    else
        event->ignore();
}

void DialogHost::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && m_dialog)
        m_dialog->PeerSetIconic(isMinimized());
    QWidget::changeEvent(event);
}

}  // namespace qtui
