#include "files/file_system.h"

namespace {

#ifdef _WIN32
bool IsRootPrefix(const std::string& path, size_t slash) {
    // "C:\" and "\\server\share\" keep their separator as the folder's end.
    if (slash == 2 && path.size() > 1 && path[1] == ':') return true;
    if (path.rfind("\\\\", 0) == 0 || path.rfind("//", 0) == 0) {
        const size_t server = path.find_first_of(kPathSeparators, 2);
        const size_t share = server == std::string::npos
                                 ? std::string::npos
                                 : path.find_first_of(kPathSeparators, server + 1);
        return share == slash;
    }
    return slash == 0;
}
#else
bool IsRootPrefix(const std::string&, size_t slash) {
    return slash == 0;
}
#endif

}  // namespace

void SplitFilePath(const std::string& path, std::string* pFolder, std::string* pName) {
    const auto slash = path.find_last_of(kPathSeparators);
    if (slash == std::string::npos) {
#ifdef _WIN32
        // "C:name" is relative to the drive's current folder.
        if (path.size() > 1 && path[1] == ':') {
            *pFolder = path.substr(0, 2);
            *pName = path.substr(2);
            return;
        }
#endif
        *pFolder = ".";
        *pName = path;
        return;
    }
    *pFolder = IsRootPrefix(path, slash) ? path.substr(0, slash + 1) : path.substr(0, slash);
    *pName = path.substr(slash + 1);
}

std::string JoinFilePath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (std::string(kPathSeparators).find(last) != std::string::npos) return folder + name;
#ifdef _WIN32
    if (folder.size() == 2 && folder[1] == ':') return folder + name;
    return folder + "\\" + name;
#else
    return folder + "/" + name;
#endif
}
