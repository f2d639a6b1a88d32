// The few things the safe saves ask of the file system beyond one open file: which file a
// path names, links resolved; the attributes a replacement inherits; renaming one file
// over another; removing a file. POSIX and Win32 each implement it in their own file.
#pragma once

#include <string>

#include "base/types.h"
#include "files/file.h"

// What names one file on one device or volume (st_dev/st_ino, or the volume serial
// number and file index on Windows, where the C runtime's st_ino is always 0).
struct FileIdentity {
    ULONGLONG volume = 0;
    ULONGLONG index = 0;
    bool operator==(const FileIdentity& o) const { return volume == o.volume && index == o.index; }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// What a path names: the path with its links resolved, the file's identity, and whether
// it is a plain file. FALSE when it names nothing.
struct ResolvedPath {
    std::string path;
    FileIdentity identity;
    BOOL regular = FALSE;
};
BOOL ResolveFilePath(const std::string& path, ResolvedPath* pResolved);
// The same identity and kind without the resolved path, which costs a look-up of every
// folder on the way on POSIX.
BOOL IdentifyFilePath(const std::string& path, FileIdentity* pIdentity, BOOL* pRegular);

// The identity of the file an open disk file holds; FALSE for any other kind of CFile.
BOOL GetOpenFileIdentity(const CFile& file, FileIdentity* pIdentity);

// Folder and last component, either separator on Windows; a path without one has the
// folder ".". A drive or UNC root keeps its separator ("C:\", "/").
void SplitFilePath(const std::string& path, std::string* pFolder, std::string* pName);
std::string JoinFilePath(const std::string& folder, const std::string& name);

// The attributes a file's replacement takes over: the permission bits and owner on
// POSIX, the hidden, system, archive and not-indexed attributes on Windows. For a path
// that names nothing, what a new file would get.
struct FileAttributes {
    unsigned mode = 0666;
    long owner = -1;
    long group = -1;
    unsigned long windows = 0;
};
FileAttributes GetFileAttributesOf(const std::string& path);
// Gives the open file `file` at `path` those attributes. The permission bits are set
// regardless of the umask (FALSE with errno-style *pError when refused); the owner is
// best effort (only root may give a file away).
BOOL ApplyFileAttributes(CFile& file, const std::string& path, const FileAttributes& attributes,
                         int* pError);

// On Windows a file cannot be renamed, nor renamed over, while a handle holds it with no
// sharing: a save closes both first.
#ifdef _WIN32
inline constexpr bool kRenameNeedsFilesClosed = true;
#else
inline constexpr bool kRenameNeedsFilesClosed = false;
#endif

// Renames from over to in one step (rename; MoveFileExW with REPLACE_EXISTING and
// WRITE_THROUGH). FALSE with errno-style *pError when refused.
BOOL RenameFileOver(const std::string& from, const std::string& to, int* pError);
// Best effort; never throws.
void RemoveFile(const std::string& path);
// Makes a rename in the folder durable. Best effort; never throws.
void SyncFolder(const std::string& folder);
unsigned long CurrentProcessId();
