// More of a user's hands on system windows: files dropped from a file manager, keys held
// with Ctrl and Shift through the program's own message loop, the system menu opening.
#pragma once

#include <string>
#include <vector>

#include "driver.h"

namespace driver {

// WM_DROPFILES with the paths, as the shell sends it.
void DropFiles(NativeWindow window, const std::vector<std::string>& paths);
// Posts the key (a virtual-key code) to the focused window with Ctrl (and Shift) held, for
// the program's own loop to take; ReleaseKeys lets go once it has.
void PostCtrlKey(unsigned vk, bool shift = false);
void ReleaseKeys();
// The system menu about to open (WM_INITMENUPOPUP): the program brings its items up to date.
void OpenSystemMenu(NativeWindow window);
// Focus rectangles are drawn (the window's UI state does not hide them).
bool FocusCuesShown(NativeWindow window);

}  // namespace driver
