#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "files/file_system.h"

BOOL ResolveFilePath(const std::string& path, ResolvedPath* pResolved) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return FALSE;
    pResolved->path = resolved;
    std::free(resolved);
    struct stat st;
    if (::stat(pResolved->path.c_str(), &st) != 0) return FALSE;
    pResolved->identity = {static_cast<ULONGLONG>(st.st_dev), static_cast<ULONGLONG>(st.st_ino)};
    pResolved->regular = S_ISREG(st.st_mode) ? TRUE : FALSE;
    return TRUE;
}

BOOL IdentifyFilePath(const std::string& path, FileIdentity* pIdentity, BOOL* pRegular) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return FALSE;
    *pIdentity = {static_cast<ULONGLONG>(st.st_dev), static_cast<ULONGLONG>(st.st_ino)};
    *pRegular = S_ISREG(st.st_mode) ? TRUE : FALSE;
    return TRUE;
}

BOOL GetOpenFileIdentity(const CFile& file, FileIdentity* pIdentity) {
    struct stat st;
    if (file.m_hFile < 0 || ::fstat(file.m_hFile, &st) != 0) return FALSE;
    *pIdentity = {static_cast<ULONGLONG>(st.st_dev), static_cast<ULONGLONG>(st.st_ino)};
    return TRUE;
}

FileAttributes GetFileAttributesOf(const std::string& path) {
    FileAttributes attributes;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        attributes.mode = st.st_mode & 07777;
        attributes.owner = static_cast<long>(st.st_uid);
        attributes.group = static_cast<long>(st.st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        attributes.mode = 0666 & ~mask;
    }
    return attributes;
}

BOOL ApplyFileAttributes(CFile& file, const std::string&, const FileAttributes& attributes,
                         int* pError) {
    if (file.m_hFile < 0) {
        if (pError) *pError = EBADF;
        return FALSE;
    }
    struct stat mine;
    if (attributes.owner >= 0 && ::fstat(file.m_hFile, &mine) == 0 &&
        (static_cast<long>(mine.st_uid) != attributes.owner ||
         static_cast<long>(mine.st_gid) != attributes.group))
        (void)::fchown(file.m_hFile, static_cast<uid_t>(attributes.owner),
                       static_cast<gid_t>(attributes.group));
    // After the owner: a change of owner may clear the set-id bits.
    if (::fchmod(file.m_hFile, static_cast<mode_t>(attributes.mode)) != 0) {
        if (pError) *pError = errno;
        return FALSE;
    }
    return TRUE;
}

BOOL RenameFileOver(const std::string& from, const std::string& to, int* pError) {
    if (::rename(from.c_str(), to.c_str()) == 0) return TRUE;
    if (pError) *pError = errno;
    return FALSE;
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

#endif
