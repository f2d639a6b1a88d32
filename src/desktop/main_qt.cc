// The desktop program: the application object's start-up under Qt.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/patch_app.h"
#include "app/start_options.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv) {
    const StartOptions options = ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
        case StartOptions::Action::Help:
            std::fputs(HelpText().c_str(), stdout);
            return 0;
        case StartOptions::Action::Version:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case StartOptions::Action::Usage:
            std::fputs(UsageText(options.error).c_str(), stderr);
            return 2;
        case StartOptions::Action::Run:
            break;
    }

    // Qt sees the program's name only: the arguments are ours.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.palvane.palvane2"));

    qtui::QtWindowSystem windowSystem;
    theApp.m_strOpenAtStart = options.file;
    theApp.InitInstance();
    return 0;
}
