// The desktop program: the application object's start-up under Qt.
#include <QApplication>

#include "app/patch_app.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv) {
    // The program takes no options: Qt sees the program's name only.
    (void)argc;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QGuiApplication::setDesktopFileName(QStringLiteral("palvane2"));

    qtui::QtWindowSystem windowSystem;
    theApp.InitInstance();
    return 0;
}
