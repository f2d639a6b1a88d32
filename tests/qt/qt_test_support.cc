#include "qt/qt_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace qttest {

void Poll(std::function<bool()> step, int timeoutMs) {
    auto timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, step, timeoutMs] {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        } else if (clock->elapsed() > timeoutMs) {
            qFatal("a step of the test never came to pass");
        }
    });
    timer->start(5);
}

INT_PTR RunModal(CDialog& dlg, std::function<void()> script) {
    QTimer::singleShot(0, qApp, [&dlg, script] {
        // Keys reach shortcuts and focus only in the active window.
        QWidget* window = QApplication::activeModalWidget();
        if (window && !QTest::qWaitForWindowActive(window))
            qWarning("the dialog never became active");
        script();
        if (!dlg.IsEnded()) dlg.EndDialog(-1);
    });
    return dlg.DoModal();
}

void ChooseFromNextMenu(int index, QStringList* entries) {
    Poll([index, entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return false;
        const QList<QAction*> actions = menu->actions();
        if (entries) {
            entries->clear();
            for (QAction* a : actions) *entries << (a->isSeparator() ? "-" : a->text());
        }
        QAction* chosen = actions.value(index < 0 ? actions.size() + index : index);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        return true;
    });
}

QWidget* ControlWidget(const qtui::QtWindowSystem& ws, const CDialog& dlg, int id) {
    const qtui::DialogWindow* window = ws.WindowOf(dlg);
    const DialogTemplate* tpl = dlg.GetTemplate();
    if (!window || !tpl) return nullptr;
    for (int i = 0; i < window->ControlCount() && i < static_cast<int>(tpl->controls.size()); ++i)
        if (tpl->controls[i].id == id) return window->ControlWidget(i);
    return nullptr;
}

void BoxAnswerer::Answer(QMessageBox::StandardButton button) {
    m_queue.push_back(button);
    Poll([this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || m_queue.empty()) return false;
        m_seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                          box->parentWidget()});
        QAbstractButton* target = box->button(m_queue.front());
        m_queue.pop_front();
        if (target)
            QTest::mouseClick(target, Qt::LeftButton);
        else
            box->reject();
        return true;
    });
}

std::vector<SeenBox> BoxAnswerer::Take() {
    std::vector<SeenBox> seen;
    seen.swap(m_seen);
    return seen;
}

}  // namespace qttest
