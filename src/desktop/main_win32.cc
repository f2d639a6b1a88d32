// The desktop program on Windows: the application object's start-up over Win32.
#include "app/patch_app.h"
#include "app/start_options.h"
#include "ui/win32/command_line.h"
#include "ui/win32/win32_window_system.h"

int main() {
    const StartOptions options = ParseStartOptions(win32ui::ProgramArguments());
    switch (options.action) {
        case StartOptions::Action::Help:
            win32ui::WriteToConsole(HelpText(), false);
            return 0;
        case StartOptions::Action::Version:
            win32ui::WriteToConsole(VersionText(), false);
            return 0;
        case StartOptions::Action::Usage:
            win32ui::WriteToConsole(UsageText(options.error), true);
            return 2;
        case StartOptions::Action::Run:
            break;
    }

    win32ui::Win32WindowSystem windowSystem;
    theApp.m_strOpenAtStart = options.file;
    theApp.InitInstance();
    return 0;
}
