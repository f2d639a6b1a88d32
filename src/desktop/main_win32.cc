// The desktop program on Windows: the application object's start-up over Win32.
#include "app/patch_app.h"
#include "ui/win32/win32_window_system.h"

int main() {
    win32ui::Win32WindowSystem windowSystem;
    theApp.InitInstance();
    return 0;
}
