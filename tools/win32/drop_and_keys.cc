#include "drop_and_keys.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <cstring>

#include "files/file_api_win32.h"

namespace driver {

namespace {

HWND H(NativeWindow w) {
    return static_cast<HWND>(w);
}

}  // namespace

void DropFiles(NativeWindow window, const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += win32::Widen(path) + L'\0';
    list += L'\0';
    const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    HWND target = H(window);
    while (target && !(GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        target = GetParent(target);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void MouseLeave(NativeWindow window) {
    SendMessageW(H(window), WM_MOUSELEAVE, 0, 0);
}

void OpenSystemMenu(NativeWindow window) {
    HMENU menu = GetSystemMenu(H(window), FALSE);
    SendMessageW(H(window), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
}

bool FocusCuesShown(NativeWindow window) {
    return !(SendMessageW(H(window), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

bool CanMaximize(NativeWindow window) {
    return GetWindowLongW(H(window), GWL_STYLE) & WS_MAXIMIZEBOX;
}

}  // namespace driver
