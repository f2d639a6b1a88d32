#include "ui/file_dialog.h"

#include "base/sys_constants.h"
#include "files/file.h"

std::vector<FileFilter> ParseFileFilter(const char* filter) {
    std::vector<FileFilter> filters;
    if (!filter) return filters;
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = filter; *p; ++p) {
        if (*p == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    parts.push_back(part);
    // Pairs up to the empty description that "||" ends the list with.
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2)
        filters.push_back({parts[i], parts[i + 1]});
    return filters;
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& ext) {
    if (ext.empty() || ext == ".") return path;
    const std::size_t slash = path.find_last_of(kPathSeparators);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    return path + (ext.front() == '.' ? ext : "." + ext);
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* defExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* pParentWnd) {
    m_request.open = bOpenFileDialog != FALSE;
    m_request.defaultExtension = defExt ? defExt : "";
    m_request.initialName = fileName ? fileName : "";
    m_request.flags = flags;
    m_request.filters = ParseFileFilter(filter);
    m_request.owner = pParentWnd;
}

INT_PTR CFileDialog::DoModal() {
    WindowSystem* ws = GetCurrentWindowSystem();
    std::optional<std::string> chosen = ws ? ws->ChooseFile(m_request) : std::nullopt;
    if (!chosen) return IDCANCEL;
    m_strPath = *chosen;
    return IDOK;
}
