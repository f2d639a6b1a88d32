// The file chooser.
#pragma once

#include <string>
#include <vector>

#include "base/sys_types.h"
#include "ui/window_system.h"

// File chooser flags.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// "IFF files (*.iff)|*.iff|All files (*.*)|*.*||" -> two filters.
std::vector<FileFilter> ParseFileFilter(const char* filter);
// A name without an extension gets ext (".iff" or "iff"); other names are left alone.
std::string ApplyDefaultExtension(const std::string& path, const std::string& ext);

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();  // IDOK with a chosen path, else IDCANCEL
    CString GetPathName() const { return m_strPath; }
    const FileChooserRequest& GetRequest() const { return m_request; }
    void SetInitialFolder(const std::string& folder) { m_request.initialFolder = folder; }

private:
    FileChooserRequest m_request;
    CString m_strPath;
};
