#include "ui/window_system.h"

namespace {

WindowSystem*& CurrentWindowSystem() {
    static WindowSystem* ws = nullptr;
    return ws;
}

}  // namespace

WindowSystem* GetCurrentWindowSystem() {
    return CurrentWindowSystem();
}

void SetCurrentWindowSystem(WindowSystem* ws) {
    CurrentWindowSystem() = ws;
}

COLORREF GetSysColor(int index) {
    if (WindowSystem* ws = GetCurrentWindowSystem()) return ws->GetSysColor(index);
    return RGB(212, 208, 200);
}
