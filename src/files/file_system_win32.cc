#ifdef _WIN32

#include <errno.h>

#include "files/file_api_win32.h"
#include "files/file_system.h"

BOOL ResolveFilePath(const std::string& path, ResolvedPath* pResolved) {
    bool regular = false;
    std::uint64_t volume = 0, index = 0;
    if (!win32::FinalPathOf(path, &pResolved->path, &regular, &volume, &index)) return FALSE;
    pResolved->identity = {volume, index};
    pResolved->regular = regular ? TRUE : FALSE;
    return TRUE;
}

BOOL IdentifyFilePath(const std::string& path, FileIdentity* pIdentity, BOOL* pRegular) {
    ResolvedPath resolved;
    if (!ResolveFilePath(path, &resolved)) return FALSE;
    *pIdentity = resolved.identity;
    *pRegular = resolved.regular;
    return TRUE;
}

BOOL GetOpenFileIdentity(const CFile& file, FileIdentity* pIdentity) {
    std::uint64_t volume = 0, index = 0;
    if (file.m_hFile == win32::kInvalidHandle ||
        !win32::FileIdentity(file.m_hFile, &volume, &index))
        return FALSE;
    *pIdentity = {volume, index};
    return TRUE;
}

FileAttributes GetFileAttributesOf(const std::string& path) {
    FileAttributes attributes;
    attributes.windows = win32::InheritedAttributes(path);
    return attributes;
}

BOOL ApplyFileAttributes(CFile&, const std::string& path, const FileAttributes& attributes, int*) {
    win32::SetInheritedAttributes(path, static_cast<std::uint32_t>(attributes.windows));
    return TRUE;
}

BOOL RenameFileOver(const std::string& from, const std::string& to, int* pError) {
    unsigned long error = 0;
    if (win32::MoveReplacing(from, to, &error)) return TRUE;
    if (pError) *pError = win32::ErrnoFromError(error);
    return FALSE;
}

void RemoveFile(const std::string& path) {
    win32::RemovePath(path);
}

void SyncFolder(const std::string& folder) {
    win32::FlushFolder(folder);
}

unsigned long CurrentProcessId() {
    return win32::CurrentProcessId();
}

#endif
