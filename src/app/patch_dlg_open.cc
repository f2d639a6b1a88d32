// Opening a file without the chooser: the program's argument and a file dropped on the
// window; and the folder the chooser starts in.
#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "files/file.h"
#include "ui/win_app.h"

BOOL CPatchDlg::InitOpenAndUndo() {
    DragAcceptFiles(TRUE);
    if (m_strOpenAtStart.empty()) return TRUE;
    // No message handler runs this yet, so a file error is reported here as it would be
    // there.
    try {
        OpenFile(m_strOpenAtStart);
    } catch (const CFileException& e) {
        AfxMessageBox(e.GetErrorMessage().c_str(), MB_OK | MB_ICONHAND);
    }
    return !m_lbSprites.IsWindowEnabled();  // opened: the focus is on the sprites
}

void CPatchDlg::OnDropFiles(const std::vector<std::string>& paths) {
    if (m_bDirty &&
        MessageBox(
            "You haven't saved your changes yet! Are you sure you want to open an other file?",
            "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    m_bDirty = false;
    OpenFile(paths.front());
}

std::string CPatchDlg::ChooserFolder() const {
    const std::size_t slash = m_strLastTried.find_last_of(kPathSeparators);
    if (slash == std::string::npos) return std::string();
    // The root keeps its separator: "/" and "C:\".
    return m_strLastTried.substr(
        0, slash == 0 || m_strLastTried[slash - 1] == ':' ? slash + 1 : slash);
}
