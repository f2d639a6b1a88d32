#include "driver.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

#include "files/file_api_win32.h"

namespace driver {

namespace {

HWND H(NativeWindow w) {
    return static_cast<HWND>(w);
}

struct PendingStep {
    std::function<bool()> step;
    int tries = 0;
};

std::map<UINT_PTR, PendingStep>& Steps() {
    static std::map<UINT_PTR, PendingStep> steps;
    return steps;
}

void Schedule(PendingStep pending);

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Steps().find(id);
    if (it == Steps().end()) return;
    PendingStep pending = std::move(it->second);
    Steps().erase(it);
    if (pending.step()) return;
    if (++pending.tries > 2000) {
        std::fprintf(stderr, "a step of the test never came to pass\n");
        std::fflush(stderr);
        ExitProcess(3);
    }
    Schedule(std::move(pending));
}

void Schedule(PendingStep pending) {
    const UINT_PTR id = SetTimer(nullptr, 0, 5, OnTimer);
    Steps()[id] = std::move(pending);
}

// One message through the dialog's keyboard handling, as its message loop passes it on.
void Deliver(NativeWindow dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = GetFocus() ? GetFocus() : H(dialog);
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (!IsDialogMessageW(H(dialog), &msg)) DispatchMessageW(&msg);
}

bool IsCombo(HWND h) {
    return ClassName(h) == "ComboBox";
}

Picture FromDC(HDC source, int x, int y, int cx, int cy) {
    Picture picture;
    if (cx <= 0 || cy <= 0) return picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, cx, cy, source, x, y, SRCCOPY);
    GdiFlush();
    picture.width = cx;
    picture.height = cy;
    const auto* p = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(p, p + static_cast<size_t>(cx) * cy);
    for (std::uint32_t& px : picture.pixels) px &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return picture;
}

}  // namespace

void Poll(std::function<bool()> step) {
    Schedule({std::move(step), 0});
}

struct Watchdog::State {
    std::mutex mutex;
    std::condition_variable done;
    bool cancelled = false;
    std::thread thread;
};

Watchdog::Watchdog(int seconds, std::string what) : m_state(new State) {
    m_state->thread = std::thread([state = m_state, seconds, what = std::move(what)] {
        std::unique_lock<std::mutex> lock(state->mutex);
        if (state->done.wait_for(lock, std::chrono::seconds(seconds),
                                 [state] { return state->cancelled; }))
            return;
        std::fprintf(stderr, "%s: still running after %d s, stopped\n", what.c_str(), seconds);
        std::fflush(stderr);
        ExitProcess(4);
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->cancelled = true;
    }
    m_state->done.notify_all();
    m_state->thread.join();
    delete m_state;
}

NativeWindow Item(NativeWindow dialog, int id) {
    return GetDlgItem(H(dialog), id);
}

std::string Text(NativeWindow window) {
    return win32ui::GetText(window);
}

std::string ClassName(NativeWindow window) {
    wchar_t name[256] = {};
    GetClassNameW(H(window), name, 256);
    return win32::Narrow(name);
}

bool Enabled(NativeWindow window) {
    return IsWindowEnabled(H(window));
}

bool Visible(NativeWindow window) {
    return IsWindowVisible(H(window));
}

NativeWindow Focus() {
    return GetFocus();
}

void SetFocusTo(NativeWindow window) {
    // As the Tab key moves it: the dialog also moves its default button along.
    SendMessageW(GetParent(H(window)), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window), TRUE);
}

void Click(NativeWindow button) {
    SendMessageW(H(button), BM_CLICK, 0, 0);
}

void ChooseRow(NativeWindow list, int row) {
    const bool combo = IsCombo(H(list));
    SendMessageW(H(list), combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    const int id = GetDlgCtrlID(H(list));
    SendMessageW(GetParent(H(list)), WM_COMMAND,
                 MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

int Rows(NativeWindow list) {
    return static_cast<int>(
        SendMessageW(H(list), IsCombo(H(list)) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
}

std::string RowText(NativeWindow list, int row) {
    const bool combo = IsCombo(H(list));
    const LRESULT length =
        SendMessageW(H(list), combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length < 0) return "<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(H(list), combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return win32::Narrow(text);
}

int Selection(NativeWindow list) {
    return win32ui::ListSelection(list, IsCombo(H(list)));
}

void Type(NativeWindow combo, const std::string& text, bool selectAll) {
    HWND edit = GetWindow(H(combo), GW_CHILD);
    if (!edit) return;
    SetFocusTo(combo);
    if (selectAll) SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : win32::Widen(text)) SendMessageW(edit, WM_CHAR, c, 1);
}

void Key(NativeWindow dialog, unsigned vk) {
    Deliver(dialog, WM_KEYDOWN, vk, 1);
    Deliver(dialog, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

constexpr LPARAM kAltDown = 1 << 29;

void AltKey(NativeWindow dialog, char letter) {
    Deliver(dialog, WM_SYSCHAR, static_cast<WPARAM>(letter), kAltDown | 1);
}

void AltF4(NativeWindow dialog) {
    Deliver(dialog, WM_SYSKEYDOWN, VK_F4, kAltDown | 1);
}

void Pump(NativeWindow dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) continue;  // the test's own steps
        if (!IsDialogMessageW(H(dialog), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool CanShowWindows() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!probe) return false;
    ::DestroyWindow(probe);
    return GetSystemMetrics(SM_CXSCREEN) > 0;
}

Rect DialogUnits(NativeWindow dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy};  // each converted on its own, as the dialog places its controls
    MapDialogRect(H(dialog), &r);
    return {r.left, r.top, r.right, r.bottom};
}

std::uint32_t FaceColor() {
    const COLORREF c = GetSysColor(COLOR_3DFACE);
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

void MouseMove(NativeWindow window, bool leftButton, int x, int y) {
    SendMessageW(H(window), WM_MOUSEMOVE, leftButton ? MK_LBUTTON : 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

namespace {

// One message as the dialog's modal loop handles it, with these keys held.
void ThroughLoop(NativeWindow dialog, UINT message, WPARAM wParam, LPARAM lParam,
                 std::initializer_list<int> held) {
    BYTE keys[256] = {}, saved[256] = {};
    GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), keys);
    for (int vk : held) keys[vk] = 0x80;
    SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = GetFocus() ? GetFocus() : H(dialog);
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!win32ui::HandleDialogMessage(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    SetKeyboardState(saved);
}

}  // namespace

void CtrlKey(NativeWindow dialog, unsigned vk, bool shift) {
    if (shift)
        ThroughLoop(dialog, WM_KEYDOWN, vk, 1, {VK_CONTROL, VK_SHIFT});
    else
        ThroughLoop(dialog, WM_KEYDOWN, vk, 1, {VK_CONTROL});
    ThroughLoop(dialog, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u), {});
}

void Wheel(NativeWindow dialog, bool ctrl, int delta, int x, int y) {
    const WPARAM wParam = MAKEWPARAM(ctrl ? MK_CONTROL : 0, static_cast<WORD>(delta));
    const LPARAM lParam = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
    if (ctrl)
        ThroughLoop(dialog, WM_MOUSEWHEEL, wParam, lParam, {VK_CONTROL});
    else
        ThroughLoop(dialog, WM_MOUSEWHEEL, wParam, lParam, {});
}

void ParkCursor() {
    SetCursorPos(0, 0);
}

void ClientToScreen(NativeWindow window, int* x, int* y) {
    POINT p{*x, *y};
    ::ClientToScreen(H(window), &p);
    *x = p.x;
    *y = p.y;
}

Picture Capture(NativeWindow window, bool clientOnly) {
    HWND h = H(window);
    UpdateWindow(h);
    if (clientOnly) {
        // The window asked to print itself: what its paint draws.
        RECT r;
        GetClientRect(h, &r);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        PrintWindow(h, memory, PW_CLIENTONLY);
        Picture picture = FromDC(memory, 0, 0, r.right, r.bottom);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return picture;
    }
    // The whole window as it stands on the screen.
    RECT r;
    GetWindowRect(h, &r);
    HDC screen = GetDC(nullptr);
    Picture picture = FromDC(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return picture;
}

void Resize(NativeWindow window, int cx, int cy) {
    SetWindowPos(H(window), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect PlaceOnScreen(NativeWindow window) {
    RECT r;
    GetWindowRect(H(window), &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect PlaceInParent(NativeWindow window) {
    RECT r;
    GetWindowRect(H(window), &r);
    MapWindowPoints(nullptr, GetParent(H(window)), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::vector<std::string> SystemMenu(NativeWindow window) {
    std::vector<std::string> entries;
    HMENU menu = GetSystemMenu(H(window), FALSE);
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
            entries.push_back("-");
            continue;
        }
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        const bool off = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED;
        entries.push_back(win32::Narrow(text) + (off ? " (off)" : ""));
    }
    return entries;
}

unsigned SystemMenuId(NativeWindow window, int index) {
    return GetMenuItemID(GetSystemMenu(H(window), FALSE), index);
}

void SysCommand(NativeWindow window, unsigned command) {
    SendMessageW(H(window), WM_SYSCOMMAND, command, 0);
}

void CloseBox(NativeWindow window) {
    SendMessageW(H(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PostClose(NativeWindow window) {
    PostMessageW(H(window), WM_CLOSE, 0, 0);
}

bool HasIcon(NativeWindow window, bool big) {
    return SendMessageW(H(window), WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0) != 0;
}

NativeWindow Owner(NativeWindow window) {
    return GetWindow(H(window), GW_OWNER);
}

void Minimize(NativeWindow window, bool minimized) {
    ShowWindow(H(window), minimized ? SW_MINIMIZE : SW_RESTORE);
}

bool AnswersDragIcon(NativeWindow window) {
    return SendMessageW(H(window), WM_QUERYDRAGICON, 0, 0) != 0;
}

std::string BoxIcon(NativeWindow box) {
    const std::pair<LPCSTR, const char*> icons[] = {{IDI_WARNING, "warning"},
                                                    {IDI_QUESTION, "question"},
                                                    {IDI_ERROR, "error"},
                                                    {IDI_INFORMATION, "information"}};
    for (HWND c = GetWindow(H(box), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassName(c) != "Static" || (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const auto shown = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
        for (const auto& [id, name] : icons)
            if (shown && shown == LoadIconA(nullptr, id)) return name;
    }
    return "none";
}

std::vector<std::string> ControlTexts(NativeWindow dialog) {
    std::vector<std::string> texts;
    for (HWND c = GetWindow(H(dialog), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const bool icon =
            ClassName(c) == "Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        texts.push_back(!icon ? Text(c) : SendMessageW(c, STM_GETICON, 0, 0) ? "icon" : "no icon");
    }
    return texts;
}

namespace {
struct Search {
    const std::vector<NativeWindow>* known;
    HWND found = nullptr;
};
BOOL CALLBACK Visit(HWND h, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(h) || ClassName(h) != "#32770") return TRUE;
    if (std::find(search->known->begin(), search->known->end(), h) != search->known->end())
        return TRUE;
    search->found = h;
    return FALSE;
}
}  // namespace

NativeWindow OtherDialog(const std::vector<NativeWindow>& known) {
    Search search{&known};
    EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void EnterFileName(NativeWindow chooser, const std::string& path) {
    // The file name box, or the edit field inside it.
    HWND field = GetDlgItem(H(chooser), 0x47C);
    if (!field) field = GetDlgItem(H(chooser), 0x480);
    for (HWND inner = field; inner; inner = GetWindow(inner, GW_CHILD))
        if (ClassName(inner) == "Edit") field = inner;
    SetWindowTextW(field, win32::Widen(path).c_str());
    SendMessageW(H(chooser), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(H(chooser), IDOK)));
}

std::vector<std::string> ChooserTypes(NativeWindow chooser) {
    std::vector<std::string> types;
    HWND box = GetDlgItem(H(chooser), 0x470);
    for (int i = 0; box && i < Rows(box); ++i) types.push_back(RowText(box, i));
    return types;
}

bool ChooserOffersReadOnly(NativeWindow chooser) {
    HWND box = GetDlgItem(H(chooser), 0x410);
    return box && IsWindowVisible(box);
}

namespace {
std::string VersionValue(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) return "";
    return win32::Narrow(std::wstring(static_cast<const wchar_t*>(value), length - 1));
}
}  // namespace

ProgramFile ReadProgramFile(const std::string& path) {
    ProgramFile file;
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    const auto word = [&](size_t at) -> unsigned {
        return at + 1 < bytes.size() ? bytes[at] | (bytes[at + 1] << 8) : 0;
    };
    const size_t pe = word(0x3C) | (word(0x3E) << 16);
    // After the signature, the 20-byte file header, then the optional header's subsystem.
    file.windowsSubsystem = word(pe + 4 + 20 + 68) == IMAGE_SUBSYSTEM_WINDOWS_GUI;
    const std::wstring wide = win32::Widen(path);
    if (HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        // 14: RT_GROUP_ICON.
        file.hasIcon =
            FindResourceW(module, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(14)) != nullptr;
        if (HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)))
            if (const void* bytes = LockResource(LoadResource(module, manifest)))
                file.manifest.assign(static_cast<const char*>(bytes),
                                     SizeofResource(module, manifest));
        FreeLibrary(module);
    }
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(wide.c_str(), &ignored));
    if (!info.empty() &&
        GetFileVersionInfoW(wide.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
        file.productName = VersionValue(info, L"ProductName");
        file.productVersion = VersionValue(info, L"ProductVersion");
    }
    return file;
}

}  // namespace driver
