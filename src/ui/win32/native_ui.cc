#include "ui/win32/native_ui.h"

#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "files/file_api_win32.h"

namespace win32ui {

namespace {

constexpr wchar_t kSurfaceClass[] = L"PalvaneSurface";
constexpr int kEventsSlot = 0;                 // SurfaceEvents*
constexpr int kNotifySlot = sizeof(LONG_PTR);  // nonzero: the surface hears the mouse
constexpr wchar_t kAcceleratorsProp[] = L"PalvaneAccelerators";  // a dialog's HACCEL
constexpr wchar_t kMinWidthProp[] = L"PalvaneMinWidth";          // a sizable dialog's first size
constexpr wchar_t kMinHeightProp[] = L"PalvaneMinHeight";

HWND H(NativeWindow w) {
    return static_cast<HWND>(w);
}

// A text for the screen: UTF-8 when the bytes are valid UTF-8 (paths, typed text, the
// program's own texts), otherwise one Latin-1 character a byte, as names inside resource
// files are single-byte text (the Qt back end reads them the same way).
std::wstring Shown(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    if (n > 0) return win32::Widen(text);
    std::wstring latin1(text.size(), L'\0');
    std::transform(text.begin(), text.end(), latin1.begin(),
                   [](char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); });
    return latin1;
}

std::vector<HWND>& ModalStack() {
    static std::vector<HWND> stack;
    return stack;
}

// An in-memory extended dialog template, built field by field.
class TemplateWriter {
public:
    void Word(WORD w) {
        m_bytes.push_back(static_cast<BYTE>(w & 0xFF));
        m_bytes.push_back(static_cast<BYTE>(w >> 8));
    }
    void Dword(DWORD d) {
        Word(static_cast<WORD>(d & 0xFFFF));
        Word(static_cast<WORD>(d >> 16));
    }
    void Text(const std::string& utf8) {
        for (wchar_t c : Shown(utf8)) Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignDword() {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    std::vector<BYTE> Take() { return std::move(m_bytes); }

private:
    std::vector<BYTE> m_bytes;
};

WORD ClassOrdinal(ControlClass cls) {
    switch (cls) {
        case ControlClass::button:
            return 0x0080;
        case ControlClass::edit:
            return 0x0081;
        case ControlClass::listBox:
            return 0x0083;
        case ControlClass::comboBox:
            return 0x0085;
        case ControlClass::staticText:
        case ControlClass::surface:
            break;
    }
    return 0x0082;
}

std::vector<BYTE> BuildTemplate(const NativeDialog& d) {
    TemplateWriter w;
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature: extended
    w.Dword(0);      // helpID
    w.Dword(d.exStyle);
    w.Dword((d.style & ~WS_VISIBLE) | DS_SETFONT);
    w.Word(static_cast<WORD>(d.controls.size()));
    for (short v : {d.x, d.y, d.cx, d.cy}) w.Word(static_cast<WORD>(v));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(d.caption);
    w.Word(d.fontSize);
    w.Word(FW_NORMAL);
    w.Word(DEFAULT_CHARSET << 8);  // italic 0, then the character set
    w.Text(d.fontName.empty() ? "MS Shell Dlg" : d.fontName);
    for (const NativeControl& c : d.controls) {
        w.AlignDword();
        w.Dword(0);  // helpID
        w.Dword(c.exStyle);
        w.Dword(c.style | WS_CHILD | WS_VISIBLE);
        for (short v : {c.x, c.y, c.cx, c.cy}) w.Word(static_cast<WORD>(v));
        w.Dword(static_cast<DWORD>(c.id));
        if (c.cls == ControlClass::surface) {
            w.Text("PalvaneSurface");
        } else {
            w.Word(0xFFFF);
            w.Word(ClassOrdinal(c.cls));
        }
        w.Text(c.cls == ControlClass::surface ? "" : c.text);
        w.Word(0);  // no creation data
    }
    return w.Take();
}

INT_PTR CALLBACK DialogProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(h, DWLP_USER, lParam);
        return FALSE;  // the focus is placed when the dialog shows
    }
    auto* events = reinterpret_cast<DialogEvents*>(GetWindowLongPtrW(h, DWLP_USER));
    if (!events) return FALSE;
    switch (message) {
        case WM_COMMAND:
            if (!events->Mirroring())
                events->Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        // While another of the program's windows runs modally over this one (a question,
        // the file chooser, the About box), this one is disabled: a close request or a
        // menu command posted to it then (by the task bar, another program) is dropped,
        // as the user's own would never reach it.
        case WM_SYSCOMMAND:
            // The system's own commands are SC_* values from 0xF000 up; below are the
            // program's items.
            if ((wParam & 0xFFF0) < 0xF000) {
                if (IsWindowEnabled(h)) events->SysCommand(static_cast<unsigned>(wParam & 0xFFF0));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            if (IsWindowEnabled(h)) events->Close();
            return TRUE;
        case WM_SIZE:
            // Maximised straight from the task bar is no longer minimised either.
            if (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)
                events->Iconic(wParam == SIZE_MINIMIZED);
            if (wParam != SIZE_MINIMIZED) events->Resized(LOWORD(lParam), HIWORD(lParam));
            return FALSE;
        case WM_GETMINMAXINFO:
            // A dialog with a sizing border is never smaller than when it was made.
            if (HANDLE w = GetPropW(h, kMinWidthProp)) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize.x = static_cast<LONG>(reinterpret_cast<INT_PTR>(w));
                info->ptMinTrackSize.y =
                    static_cast<LONG>(reinterpret_cast<INT_PTR>(GetPropW(h, kMinHeightProp)));
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(events->DragIcon());
        case WM_DROPFILES: {
            auto drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::string> paths;
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, i, &path[0], static_cast<UINT>(path.size())));
                paths.push_back(win32::Narrow(path));
            }
            DragFinish(drop);
            if (IsWindowEnabled(h) && !paths.empty()) events->DropFiles(paths);
            return TRUE;
        }
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam)) events->SystemMenuOpening();
            return FALSE;
        default:
            return FALSE;
    }
}

void PaintSurface(HWND h, HDC dc) {
    RECT client;
    GetClientRect(h, &client);
    auto* events = reinterpret_cast<SurfaceEvents*>(GetWindowLongPtrW(h, kEventsSlot));
    SurfaceImage image;
    if (events && events->Paint(client.right, client.bottom, image) && image.bits) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = image.height;  // bottom-up
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, image.width, image.height, 0, 0, 0, image.height, image.bits,
                          &info, DIB_RGB_COLORS);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    }
}

LRESULT CALLBACK SurfaceProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* events = reinterpret_cast<SurfaceEvents*>(GetWindowLongPtrW(h, kEventsSlot));
    const bool notify = GetWindowLongPtrW(h, kNotifySlot) != 0;
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            PaintSurface(h, dc);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintSurface(h, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_MOUSEMOVE:
            if (events && notify) {
                // Asked again at every move: the system forgets once it has told.
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, h, 0};
                TrackMouseEvent(&track);
                events->MouseMove(static_cast<unsigned>(wParam), GET_X_LPARAM(lParam),
                                  GET_Y_LPARAM(lParam));
            }
            return 0;
        case WM_MOUSELEAVE:
            if (events && notify) events->MouseLeave();
            return 0;
        case WM_SIZE:
            if (events) events->Resized(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_MOUSEWHEEL:
            if (events && notify) {
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
                ScreenToClient(h, &at);
                events->MouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam),
                                   at.x, at.y);
                return 0;
            }
            break;
        case WM_NCHITTEST:
            if (!notify) return HTTRANSPARENT;
            break;
        default:
            break;
    }
    return DefWindowProcW(h, message, wParam, lParam);
}

// The system's control classes in the current look (the program's manifest asks for the
// common controls of version 6, which are loaded only on request), and the preview's class.
void RegisterClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = SurfaceProc;
        wc.cbWndExtra = 2 * sizeof(LONG_PTR);
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = kSurfaceClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

// Centred on the owner, or on the main screen without one, and kept inside the work area
// of the screen it lands on, whichever side of the main screen that is.
void Centre(HWND h, HWND owner) {
    RECT r;
    GetWindowRect(h, &r);
    const LONG cx = r.right - r.left, cy = r.bottom - r.top;
    RECT around;
    const bool onOwner = owner && !IsIconic(owner) && GetWindowRect(owner, &around);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(onOwner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                         &monitor))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    const RECT& work = monitor.rcWork;
    if (!onOwner) around = work;
    const auto place = [](LONG centre, LONG size, LONG low, LONG high) {
        return std::max(low, std::min(centre - size / 2, high - size));
    };
    const LONG x = place((around.left + around.right) / 2, cx, work.left, work.right);
    const LONG y = place((around.top + around.bottom) / 2, cy, work.top, work.bottom);
    SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsSurface(HWND h) {
    wchar_t name[32] = {};
    return GetClassNameW(h, name, 32) && wcscmp(name, kSurfaceClass) == 0;
}

// Ctrl+Z in a text field that can undo: the field's, as in any text field.
bool TypingToUndo(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'Z' || !(GetKeyState(VK_CONTROL) & 0x8000) ||
        (GetKeyState(VK_SHIFT) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000))
        return false;
    wchar_t cls[16] = {};
    GetClassNameW(msg.hwnd, cls, 16);
    return lstrcmpiW(cls, L"Edit") == 0 && !(GetWindowLongW(msg.hwnd, GWL_STYLE) & ES_READONLY) &&
           SendMessageW(msg.hwnd, EM_CANUNDO, 0, 0);
}

// Before the dialog's own keyboard handling: its accelerator keys, from any of its
// windows; and the wheel, which the system sends to the focus, goes to the preview under
// the cursor instead (the focus can never be on it).
bool KeyOrWheelHandled(HWND dialog, MSG& msg) {
    if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return false;
    if (msg.message == WM_MOUSEWHEEL) {
        const POINT at{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        HWND under = WindowFromPoint(at);
        if (!under || under == msg.hwnd || !IsChild(dialog, under) || !IsSurface(under))
            return false;
        SendMessageW(under, WM_MOUSEWHEEL, msg.wParam, msg.lParam);
        return true;
    }
    if (TypingToUndo(msg)) {
        // The system's edit keeps one undo that toggles: emptied after use, the next
        // Ctrl+Z reaches the dialog's steps, as in any other text field.
        SendMessageW(msg.hwnd, EM_UNDO, 0, 0);
        SendMessageW(msg.hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
        return true;
    }
    auto accel = static_cast<HACCEL>(GetPropW(dialog, kAcceleratorsProp));
    return accel && TranslateAcceleratorW(dialog, accel, &msg);
}

}  // namespace

NativeWindow CreateDialogHost(const NativeDialog& dialog, NativeWindow owner,
                              DialogEvents* events) {
    RegisterClasses();
    const std::vector<BYTE> bytes = BuildTemplate(dialog);
    HWND h = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), H(owner),
                                        DialogProc, reinterpret_cast<LPARAM>(events));
    RECT first;
    if (h && (dialog.style & WS_THICKFRAME) && GetWindowRect(h, &first)) {
        SetPropW(h, kMinWidthProp, reinterpret_cast<HANDLE>(INT_PTR{first.right - first.left}));
        SetPropW(h, kMinHeightProp, reinterpret_cast<HANDLE>(INT_PTR{first.bottom - first.top}));
    }
    if (h && !dialog.accelerators.empty()) {
        std::vector<ACCEL> table;
        for (const NativeAccelerator& a : dialog.accelerators)
            table.push_back(ACCEL{a.virt, a.key, a.cmd});
        if (HACCEL accel = CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())))
            SetPropW(h, kAcceleratorsProp, accel);
    }
    return h;
}

void DestroyWindow(NativeWindow window) {
    if (!window) return;
    SetWindowLongPtrW(H(window), DWLP_USER, 0);
    RemovePropW(H(window), kMinWidthProp);
    RemovePropW(H(window), kMinHeightProp);
    if (HANDLE accel = RemovePropW(H(window), kAcceleratorsProp))
        DestroyAcceleratorTable(static_cast<HACCEL>(accel));
    ::DestroyWindow(H(window));
}

std::vector<NativeWindow> ChildWindows(NativeWindow dialog) {
    std::vector<NativeWindow> children;
    for (HWND c = GetWindow(H(dialog), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    return children;
}

void SetSurfaceEvents(NativeWindow surface, SurfaceEvents* events, bool notify) {
    SetWindowLongPtrW(H(surface), kEventsSlot, reinterpret_cast<LONG_PTR>(events));
    SetWindowLongPtrW(H(surface), kNotifySlot, notify ? 1 : 0);
}

namespace {

}  // namespace

void RunModal(NativeWindow dialog, NativeWindow owner, bool focusFirst, const bool* ended) {
    HWND h = H(dialog), o = H(owner);
    Centre(h, o);
    const bool disableOwner = o && IsWindowEnabled(o);
    if (disableOwner) EnableWindow(o, FALSE);
    ModalStack().push_back(h);
    ShowWindow(h, SW_SHOWNORMAL);
    if (focusFirst)
        if (HWND first = GetNextDlgTabItem(h, nullptr, FALSE))
            SendMessageW(h, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    SetForegroundWindow(h);
    SendMessageW(h, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    MSG msg;
    while (!*ended) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (got < 0) break;
        if (!HandleDialogMessage(h, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The owner comes back before the dialog goes, so that it is the one activated.
    if (disableOwner) EnableWindow(o, TRUE);
    ShowWindow(h, SW_HIDE);
    if (o) SetActiveWindow(o);
    ModalStack().pop_back();
}

bool HandleDialogMessage(NativeWindow dialog, void* msg) {
    MSG& m = *static_cast<MSG*>(msg);
    return KeyOrWheelHandled(H(dialog), m) || IsDialogMessageW(H(dialog), &m);
}

void WakeModal(NativeWindow dialog) {
    PostMessageW(H(dialog), WM_NULL, 0, 0);
}

NativeWindow ActiveModal() {
    return ModalStack().empty() ? nullptr : ModalStack().back();
}

void ClientSize(NativeWindow window, int* cx, int* cy) {
    RECT r{};
    GetClientRect(H(window), &r);
    *cx = r.right;
    *cy = r.bottom;
}

void DialogUnitsToClient(NativeWindow dialog, int units[4]) {
    RECT r{units[0], units[1], units[0] + units[2], units[1] + units[3]};
    MapDialogRect(H(dialog), &r);
    units[0] = r.left;
    units[1] = r.top;
    units[2] = r.right - r.left;
    units[3] = r.bottom - r.top;
}

void Place(NativeWindow control, int x, int y, int cx, int cy) {
    SetWindowPos(H(control), nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawAll(NativeWindow dialog) {
    RedrawWindow(H(dialog), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SetText(NativeWindow window, const std::string& text) {
    SetWindowTextW(H(window), Shown(text).c_str());
}

void FitOneLineLabel(NativeWindow label) {
    HWND h = H(label);
    HWND parent = GetParent(h);
    RECT place;
    if (!parent || !GetWindowRect(h, &place)) return;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    const std::wstring text = Shown(GetText(label));
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT needed{0, 0, 0, 0};
    const UINT prefix = (GetWindowLongW(h, GWL_STYLE) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_SINGLELINE | DT_NOCLIP | prefix);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    const int height = place.bottom - place.top, width = place.right - place.left;
    if (height >= 2 * metrics.tmHeight || needed.right <= width) return;
    SetWindowPos(h, nullptr, 0, 0, needed.right, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string GetText(NativeWindow window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(H(window))) + 1, L'\0');
    const int length = GetWindowTextW(H(window), &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(0, length)));
    return win32::Narrow(text);
}

void Enable(NativeWindow window, bool enabled) {
    EnableWindow(H(window), enabled);
}

void FocusControl(NativeWindow control) {
    if (HWND parent = GetParent(H(control)))
        SendMessageW(parent, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(H(control)), TRUE);
}

void AcceptFiles(NativeWindow window, bool accept) {
    DragAcceptFiles(H(window), accept);
}

void Invalidate(NativeWindow window) {
    InvalidateRect(H(window), nullptr, FALSE);
}

void ListReset(NativeWindow list, bool combo) {
    SendMessageW(H(list), combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void ListInsert(NativeWindow list, bool combo, int index, const std::string& text) {
    const std::wstring wide = Shown(text);
    SendMessageW(H(list), combo ? CB_INSERTSTRING : LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wide.c_str()));
}

void ListSelect(NativeWindow list, bool combo, int index) {
    SendMessageW(H(list), combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ListSelection(NativeWindow list, bool combo) {
    return static_cast<int>(SendMessageW(H(list), combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

NativeIcon MakeIcon(int width, int height, const std::vector<std::uint32_t>& argb) {
    if (width <= 0 || height <= 0 || argb.size() != static_cast<size_t>(width) * height)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color) return nullptr;
    std::copy(argb.begin(), argb.end(), static_cast<std::uint32_t*>(bits));
    // The mask: one bit per pixel, rows padded to 16 bits, set where the icon is clear.
    const int maskStride = (width + 15) / 16 * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(maskStride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((argb[static_cast<size_t>(y) * width + x] >> 24) == 0)
                maskBits[static_cast<size_t>(y) * maskStride + x / 8] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmMask = mask;
    ii.hbmColor = color;
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

void FreeIcon(NativeIcon icon) {
    if (icon) DestroyIcon(static_cast<HICON>(icon));
}

void SetWindowIcon(NativeWindow window, NativeIcon icon, bool big) {
    SendMessageW(H(window), WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(icon));
}

void SetStaticIcon(NativeWindow control, NativeIcon icon) {
    SendMessageW(H(control), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

int IconSize(bool big) {
    return GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
}

void ResetSystemMenu(NativeWindow window) {
    GetSystemMenu(H(window), TRUE);
}

void AppendSystemMenu(NativeWindow window, unsigned flags, unsigned id, const std::string& text) {
    HMENU menu = GetSystemMenu(H(window), FALSE);
    if (!menu) return;
    if (flags & MF_SEPARATOR)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
        AppendMenuW(menu, flags, id, Shown(text).c_str());
}

int SystemMenuCount(NativeWindow window) {
    HMENU menu = GetSystemMenu(H(window), FALSE);
    return menu ? GetMenuItemCount(menu) : 0;
}

void TrimSystemMenu(NativeWindow window, int keep) {
    HMENU menu = GetSystemMenu(H(window), FALSE);
    if (!menu) return;
    for (int n = GetMenuItemCount(menu); n > keep && n > 0; --n)
        DeleteMenu(menu, n - 1, MF_BYPOSITION);
}

int ShowMessageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                   unsigned type) {
    // The program's exclamation icon is 0x20 (its Yes/No warnings are type 36 throughout);
    // the system's is MB_ICONEXCLAMATION, 0x20 being its question mark, which the program
    // never asks for.
    if ((type & MB_ICONMASK) == MB_ICONQUESTION) type = (type & ~MB_ICONMASK) | MB_ICONEXCLAMATION;
    return MessageBoxW(H(owner), Shown(text).c_str(), Shown(caption).c_str(), type);
}

std::optional<std::string> ChooseFile(const OpenFileRequest& request) {
    std::wstring filter;
    for (const auto& [description, pattern] : request.filters) {
        filter += win32::Widen(description) + L'\0';
        filter += win32::Widen(pattern) + L'\0';
    }
    filter += L'\0';
    // Room for a long path; the chooser reports a longer one as failure.
    std::wstring file(32768, L'\0');
    const std::wstring initial = win32::Widen(request.initialName);
    std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
    const std::wstring extension = win32::Widen(request.defaultExtension);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = H(request.owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    const std::wstring folder = win32::Widen(request.initialFolder);
    if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER;
    if (!(request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
    file.resize(file.find(L'\0'));
    return win32::Narrow(file);
}

std::uint32_t SysColor(int index) {
    return GetSysColor(index);
}

void ShowBusyCursor(bool busy) {
    static HCURSOR before = nullptr;
    if (busy)
        before = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    else
        SetCursor(before ? before : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
}

}  // namespace win32ui
