// Message maps: the table that routes each message a window receives to its handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/sys_constants.h"
#include "base/sys_types.h"

class CWnd;
class CDC;

// One entry of a message map: (message, control ID, notification) -> handler. The
// control ID and notification only count for WM_COMMAND.
struct MessageMapEntry {
    UINT message = 0;
    int id = 0;
    WORD code = 0;
    std::function<LRESULT(CWnd&, WPARAM, LPARAM)> handler;
};

// One static table per window class, chained to its base class's table. A class with
// handlers declares
//     static const MessageMap* GetThisMessageMap();
//     const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
// and defines the table once:
//     const MessageMap* CMyDlg::GetThisMessageMap() {
//         static const MessageMap map{CDialog::GetThisMessageMap(),
//                                     {MapCommand(1003, BN_CLICKED, &CMyDlg::OnBrowse),
//                                      MapPaint(&CMyDlg::OnPaint)}};
//         return &map;
//     }
struct MessageMap {
    const MessageMap* base = nullptr;
    std::vector<MessageMapEntry> entries;
};

// Entry makers; each unpacks the message's parameters for a handler of the usual shape.
template <class T>
MessageMapEntry MapCommand(int id, WORD code, void (T::*f)()) {
    return {WM_COMMAND, id, code, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
template <class T>
MessageMapEntry MapPaint(void (T::*f)()) {
    return {WM_PAINT, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
template <class T>
MessageMapEntry MapClose(void (T::*f)()) {
    return {WM_CLOSE, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
// WPARAM of WM_ERASEBKGND carries the CDC* to draw on.
template <class T>
MessageMapEntry MapEraseBkgnd(BOOL (T::*f)(CDC*)) {
    return {WM_ERASEBKGND, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM) -> LRESULT {
                return (static_cast<T&>(w).*f)(reinterpret_cast<CDC*>(wp));
            }};
}
template <class T>
MessageMapEntry MapSize(void (T::*f)(UINT, int, int)) {
    return {WM_SIZE, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp),
                                        LOWORD(static_cast<std::uintptr_t>(lp)),
                                        HIWORD(static_cast<std::uintptr_t>(lp)));
                return 0;
            }};
}
template <class T>
MessageMapEntry MapMouseMove(void (T::*f)(UINT, CPoint)) {
    return {WM_MOUSEMOVE, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp),
                                        CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
                return 0;
            }};
}
// WPARAM: MK_* flags in the low word, the wheel's movement in the high word; LPARAM: the
// cursor in client pixels (the system's own message gives screen ones).
template <class T>
MessageMapEntry MapMouseWheel(void (T::*f)(UINT, short, CPoint)) {
    return {WM_MOUSEWHEEL, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                const auto word = static_cast<std::uintptr_t>(wp);
                (static_cast<T&>(w).*f)(LOWORD(word), static_cast<short>(HIWORD(word)),
                                        CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
                return 0;
            }};
}
template <class T>
MessageMapEntry MapMouseLeave(void (T::*f)()) {
    return {WM_MOUSELEAVE, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)();
                return 0;
            }};
}
template <class T>
MessageMapEntry MapSysCommand(void (T::*f)(UINT, LPARAM)) {
    return {WM_SYSCOMMAND, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<T&>(w).*f)(static_cast<UINT>(wp), lp);
                return 0;
            }};
}
template <class T>
MessageMapEntry MapQueryDragIcon(HCURSOR (T::*f)()) {
    return {WM_QUERYDRAGICON, 0, 0, [f](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((static_cast<T&>(w).*f)());
            }};
}
// WPARAM of WM_DROPFILES carries the dropped paths.
template <class T>
MessageMapEntry MapDropFiles(void (T::*f)(const std::vector<std::string>&)) {
    return {WM_DROPFILES, 0, 0, [f](CWnd& w, WPARAM wp, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*f)(*reinterpret_cast<const std::vector<std::string>*>(wp));
                return 0;
            }};
}
