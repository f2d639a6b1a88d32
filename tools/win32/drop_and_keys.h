// More of a user's hands on system windows: files dropped from a file manager, the pointer
// leaving a window, the system menu opening, what the window's frame offers.
#pragma once

#include <string>
#include <vector>

#include "driver.h"

namespace driver {

// WM_DROPFILES with the paths dropped on window, as the shell sends it: to the nearest of it
// and its parents that accepts files.
void DropFiles(NativeWindow window, const std::vector<std::string>& paths);
// WM_MOUSELEAVE, as the system tells a window that asked to hear of it.
void MouseLeave(NativeWindow window);
// The system menu about to open (WM_INITMENUPOPUP): the program brings its items up to date.
void OpenSystemMenu(NativeWindow window);
// Focus rectangles are drawn (the window's UI state does not hide them).
bool FocusCuesShown(NativeWindow window);
bool CanMaximize(NativeWindow window);

}  // namespace driver
