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

void SetKeys(bool ctrl, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
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
    SendMessageW(H(window), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void PostCtrlKey(unsigned vk, bool shift) {
    SetKeys(true, shift);
    HWND target = GetFocus();
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void ReleaseKeys() {
    SetKeys(false, false);
}

void OpenSystemMenu(NativeWindow window) {
    HMENU menu = GetSystemMenu(H(window), FALSE);
    SendMessageW(H(window), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
}

bool FocusCuesShown(NativeWindow window) {
    return !(SendMessageW(H(window), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

}  // namespace driver
