#include "ui/win_app.h"

#include <cstdlib>

#include "ui/window_system.h"

namespace {

CWinApp*& CurrentApp() {
    static CWinApp* app = nullptr;
    return app;
}

std::string ExecutableName() {
#ifdef _WIN32
    // The C runtime's program name, without its folder and ".exe".
    std::string name = __argv && __argv[0] ? __argv[0] : "";
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
#else
    return program_invocation_short_name;
#endif
}

}  // namespace

CWinApp::CWinApp(const char* appName) : m_strAppName(appName ? appName : ExecutableName()) {
    CurrentApp() = this;
}

CWinApp::~CWinApp() {
    if (CurrentApp() == this) CurrentApp() = nullptr;
}

CWinApp* AfxGetApp() {
    return CurrentApp();
}

std::string AfxGetAppName() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_strAppName : ExecutableName();
}

int AfxMessageBox(const char* text, UINT type) {
    WindowSystem* ws = GetCurrentWindowSystem();
    if (!ws) return 0;
    CWinApp* app = AfxGetApp();
    return ws->MessageBox(app ? app->m_pMainWnd : nullptr, text ? text : "", AfxGetAppName(), type);
}
