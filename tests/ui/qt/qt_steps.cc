#include "qt_steps.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace qtsteps {

void Poll(std::function<bool()> step) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step, tries = 0]() mutable {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        } else if (++tries > 2000) {
            qFatal("a step of the test never came to pass");
        }
    });
    timer->start(5);
}

INT_PTR RunModal(CDialog& dlg, std::function<void()> script) {
    QTimer::singleShot(0, qApp, [&dlg, script] {
        if (QWidget* w = QApplication::activeModalWidget(); w && !QTest::qWaitForWindowActive(w))
            qWarning("the dialog never became active");
        script();
        if (!dlg.IsEnded()) dlg.EndDialog(-1);
    });
    return dlg.DoModal();
}

}  // namespace qtsteps
