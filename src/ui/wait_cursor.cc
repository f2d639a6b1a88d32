#include "ui/wait_cursor.h"

#include "ui/window_system.h"

namespace {
int g_depth = 0;
}  // namespace

CWaitCursor::CWaitCursor() {
    if (g_depth++ == 0)
        if (WindowSystem* ws = GetCurrentWindowSystem()) ws->SetBusy(true);
}

CWaitCursor::~CWaitCursor() {
    if (--g_depth == 0)
        if (WindowSystem* ws = GetCurrentWindowSystem()) ws->SetBusy(false);
}
