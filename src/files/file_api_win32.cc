#ifdef _WIN32

#include "files/file_api_win32.h"

#include <errno.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

// Newer than some headers.
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace win32 {

namespace {

HANDLE H(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

bool Fail(unsigned long* pError) {
    if (pError) *pError = ::GetLastError();
    return false;
}

// Plain drive or UNC form of a \\?\ path, as the user would write it.
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

bool FinalPathW(HANDLE h, std::string* pPath) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n =
            ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return false;
        if (n < buffer.size()) {
            *pPath = Narrow(WithoutLongPrefix(std::wstring(buffer.data(), n)));
            return true;
        }
        buffer.resize(n + 1);
    }
    return false;
}

// The full, normalised form of a path (empty when the system cannot make one).
std::wstring FullPathW(const std::wstring& path) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::wstring();
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return std::wstring();
    full.resize(written);
    return full;
}

bool FullPath(const std::string& path, std::string* pPath) {
    const std::wstring full = FullPathW(Widen(path));
    if (full.empty()) return false;
    *pPath = Narrow(WithoutLongPrefix(full));
    return true;
}

// A path as the system's file calls take it: a long one in its \\?\ form, which has no
// MAX_PATH limit (the temporary file beside a file near that limit would pass it). That
// form is taken literally, so the path is made full and normalised first.
std::wstring SystemPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0 ||
        wide.rfind(L"\\\\.\\", 0) == 0)
        return wide;
    const std::wstring full = FullPathW(wide);
    if (full.empty()) return wide;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

constexpr DWORD kInheritedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                              n);
    return out;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(),
                              n, nullptr, nullptr);
    return out;
}

Handle OpenFile(const std::string& path, bool read, bool write, Disposition disposition,
                bool exclusive, unsigned long* pError) {
    const std::wstring wide = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (pError) *pError = ERROR_DIRECTORY_NOT_SUPPORTED;
        return kInvalidHandle;
    }
    const DWORD access = (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0);
    const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD create = disposition == Disposition::createNew    ? CREATE_NEW
                         : disposition == Disposition::openAlways ? OPEN_ALWAYS
                                                                  : OPEN_EXISTING;
    const HANDLE h =
        ::CreateFileW(wide.c_str(), access, share, nullptr, create, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(pError);
        return kInvalidHandle;
    }
    return reinterpret_cast<Handle>(h);
}

bool IsDirectory(Handle h) {
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileInformationByHandle(H(h), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

Handle DuplicateFile(Handle h, unsigned long* pError) {
    HANDLE copy = nullptr;
    const HANDLE self = ::GetCurrentProcess();
    if (!::DuplicateHandle(self, H(h), self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        Fail(pError);
        return kInvalidHandle;
    }
    return reinterpret_cast<Handle>(copy);
}

bool CloseFile(Handle h, unsigned long* pError) {
    return ::CloseHandle(H(h)) ? true : Fail(pError);
}

bool ReadFile(Handle h, void* buffer, std::uint32_t count, std::uint32_t* pDone,
              unsigned long* pError) {
    auto* p = static_cast<BYTE*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        DWORD n = 0;
        if (!::ReadFile(H(h), p + done, count - done, &n, nullptr)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return Fail(pError);
        }
        if (n == 0) break;
        done += n;
    }
    *pDone = done;
    return true;
}

bool ReadFileAt(Handle h, std::uint64_t position, void* buffer, std::uint32_t count,
                std::uint32_t* pDone, unsigned long* pError) {
    // A read at an offset moves the file pointer of a synchronous handle: put it back.
    LARGE_INTEGER zero{}, saved{};
    if (!::SetFilePointerEx(H(h), zero, &saved, FILE_CURRENT)) return Fail(pError);
    auto* p = static_cast<BYTE*>(buffer);
    std::uint32_t done = 0;
    bool ok = true;
    while (done < count) {
        OVERLAPPED at{};
        const std::uint64_t offset = position + done;
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD n = 0;
        if (!::ReadFile(H(h), p + done, count - done, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            ok = Fail(pError);
            break;
        }
        if (n == 0) break;
        done += n;
    }
    ::SetFilePointerEx(H(h), saved, nullptr, FILE_BEGIN);
    *pDone = done;
    return ok;
}

bool WriteFile(Handle h, const void* buffer, std::uint32_t count, unsigned long* pError) {
    const auto* p = static_cast<const BYTE*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        DWORD n = 0;
        if (!::WriteFile(H(h), p + done, count - done, &n, nullptr)) return Fail(pError);
        if (n == 0) {
            if (pError) *pError = ERROR_DISK_FULL;
            return false;
        }
        done += n;
    }
    return true;
}

bool SeekFile(Handle h, std::int64_t offset, int whence, std::uint64_t* pPosition,
              unsigned long* pError) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    const DWORD method = whence == 0 ? FILE_BEGIN : whence == 1 ? FILE_CURRENT : FILE_END;
    if (!::SetFilePointerEx(H(h), distance, &result, method)) return Fail(pError);
    *pPosition = static_cast<std::uint64_t>(result.QuadPart);
    return true;
}

bool GetFileLength(Handle h, std::uint64_t* pLength, unsigned long* pError) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(H(h), &size)) return Fail(pError);
    *pLength = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool SetFileLength(Handle h, std::uint64_t length, unsigned long* pError) {
    LARGE_INTEGER zero{}, saved{}, target;
    if (!::SetFilePointerEx(H(h), zero, &saved, FILE_CURRENT)) return Fail(pError);
    target.QuadPart = static_cast<LONGLONG>(length);
    if (!::SetFilePointerEx(H(h), target, nullptr, FILE_BEGIN)) return Fail(pError);
    const bool ok = ::SetEndOfFile(H(h)) ? true : Fail(pError);
    ::SetFilePointerEx(H(h), saved, nullptr, FILE_BEGIN);
    return ok;
}

bool FlushFile(Handle h, unsigned long* pError) {
    return ::FlushFileBuffers(H(h)) ? true : Fail(pError);
}

bool FileIdentity(Handle h, std::uint64_t* pVolume, std::uint64_t* pIndex) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(H(h), &info)) return false;
    *pVolume = info.dwVolumeSerialNumber;
    *pIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool FinalPath(Handle h, std::string* pPath) {
    return FinalPathW(H(h), pPath);
}

bool FinalPathOf(const std::string& path, std::string* pPath, bool* pRegular,
                 std::uint64_t* pVolume, std::uint64_t* pIndex) {
    // No data access: even a file held with share mode 0 lets us look at it.
    HANDLE h = ::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    // Where the system cannot name the final path (Wine, past 260 characters), the full
    // path as given: links are not resolved then, the file's identity is still checked.
    bool ok =
        ::GetFileInformationByHandle(h, &info) && (FinalPathW(h, pPath) || FullPath(path, pPath));
    if (ok) {
        *pRegular = !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        *pVolume = info.dwVolumeSerialNumber;
        *pIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    ::CloseHandle(h);
    return ok;
}

std::uint32_t InheritedAttributes(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & kInheritedAttributes;
}

void SetInheritedAttributes(const std::string& path, std::uint32_t attributes) {
    if (attributes == 0) return;
    const std::wstring wide = SystemPath(path);
    const DWORD now = ::GetFileAttributesW(wide.c_str());
    if (now == INVALID_FILE_ATTRIBUTES) return;
    ::SetFileAttributesW(wide.c_str(), (now & ~kInheritedAttributes) | attributes);
}

bool MoveReplacing(const std::string& from, const std::string& to, unsigned long* pError) {
    const std::wstring wideFrom = SystemPath(from), wideTo = SystemPath(to);
    // A file that is open at all cannot be replaced; a virus scanner or an indexer may have
    // either one open for a moment, so a refusal is tried again for up to half a second.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                               error == ERROR_LOCK_VIOLATION;
        if (!transient || attempt == 50) {
            if (pError) *pError = error;
            return false;
        }
        ::Sleep(10);
    }
}

bool RemovePath(const std::string& path) {
    return ::DeleteFileW(SystemPath(path).c_str()) != 0;
}

void FlushFolder(const std::string&) {
    // Renames are journalled by the file system itself; a folder cannot be flushed.
}

unsigned long CurrentProcessId() {
    return ::GetCurrentProcessId();
}

int ErrnoFromError(unsigned long error) {
    switch (error) {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return ENOENT;
        case ERROR_DIRECTORY_NOT_SUPPORTED:
            return EISDIR;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_ACCESS_DENIED:
        case ERROR_CANNOT_MAKE:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_USER_MAPPED_FILE:  // a rename onto a file another program has mapped
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EWOULDBLOCK;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
        case ERROR_DISK_QUOTA_EXCEEDED:
            return ENOSPC;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        case ERROR_INVALID_PARAMETER:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK:
            return EINVAL;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        default:
            return EIO;
    }
}

}  // namespace win32

#endif
