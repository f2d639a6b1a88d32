// CFile over a Win32 handle: the exclusive hold is share mode 0, which the system itself
// enforces against every other opener.
#ifdef _WIN32

#include <errno.h>

#include <limits>
#include <new>

#include "files/file.h"
#include "files/file_api_win32.h"

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& path) {
    throw CFileException(CFileException::OsErrorToCause(err), err, path);
}

[[noreturn]] void ThrowError(unsigned long error, const std::string& path) {
    ThrowErrno(win32::ErrnoFromError(error), path);
}

}  // namespace

CFile::CFile() = default;

CFile::~CFile() {
    if (m_hFile != win32::kInvalidHandle) win32::CloseFile(m_hFile, nullptr);
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* pError) {
    if (m_hFile != win32::kInvalidHandle) {
        win32::CloseFile(m_hFile, nullptr);
        m_hFile = win32::kInvalidHandle;
    }
    m_strPath = path ? path : "";

    auto fail = [&](int err) {
        if (pError) *pError = CFileException(CFileException::OsErrorToCause(err), err, m_strPath);
        return FALSE;
    };
    if (m_strPath.empty()) return fail(ENOENT);

    const bool write = (flags & (modeWrite | modeReadWrite)) != 0;
    const bool read = !(flags & modeWrite) || (flags & modeReadWrite);
    const auto disposition = (flags & modeCreateNew) ? win32::Disposition::createNew
                             : (flags & modeCreate)  ? win32::Disposition::openAlways
                                                     : win32::Disposition::openExisting;
    unsigned long error = 0;
    const win32::Handle h =
        win32::OpenFile(m_strPath, read, write, disposition, (flags & shareExclusive) != 0, &error);
    if (h == win32::kInvalidHandle) return fail(win32::ErrnoFromError(error));
    // The share mode already holds the file, so truncating now cannot empty a file that
    // someone else has open.
    if ((flags & (modeCreate | modeCreateNew)) && !(flags & modeNoTruncate)) {
        std::uint64_t length = 0;
        if (!win32::GetFileLength(h, &length, &error) ||
            (length != 0 && !win32::SetFileLength(h, 0, &error))) {
            win32::CloseFile(h, nullptr);
            return fail(win32::ErrnoFromError(error));
        }
    }
    m_hFile = h;
    return TRUE;
}

CFile* CFile::Duplicate() const {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    unsigned long error = 0;
    const win32::Handle h = win32::DuplicateFile(m_hFile, &error);
    if (h == win32::kInvalidHandle) ThrowError(error, m_strPath);
    auto* copy = new (std::nothrow) CFile;
    if (!copy) {
        win32::CloseFile(h, nullptr);
        throw std::bad_alloc();
    }
    copy->m_hFile = h;
    copy->m_strPath = m_strPath;
    return copy;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    std::uint64_t position = 0;
    unsigned long error = 0;
    const int whence = from == begin ? 0 : from == current ? 1 : 2;
    if (!win32::SeekFile(m_hFile, offset, whence, &position, &error)) ThrowError(error, m_strPath);
    return position;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    std::uint32_t done = 0;
    unsigned long error = 0;
    if (!win32::ReadFile(m_hFile, buffer, count, &done, &error)) ThrowError(error, m_strPath);
    return done;
}

UINT CFile::ReadAt(ULONGLONG position, void* buffer, UINT count) {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    if (position > static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max()) - count)
        ThrowErrno(EINVAL, m_strPath);
    std::uint32_t done = 0;
    unsigned long error = 0;
    if (!win32::ReadFileAt(m_hFile, position, buffer, count, &done, &error))
        ThrowError(error, m_strPath);
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    unsigned long error = 0;
    if (!win32::WriteFile(m_hFile, buffer, count, &error)) ThrowError(error, m_strPath);
}

ULONGLONG CFile::GetLength() const {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    std::uint64_t length = 0;
    unsigned long error = 0;
    if (!win32::GetFileLength(m_hFile, &length, &error)) ThrowError(error, m_strPath);
    return length;
}

void CFile::SetLength(ULONGLONG length) {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    if (length > static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max()))
        ThrowErrno(EFBIG, m_strPath);
    unsigned long error = 0;
    if (!win32::SetFileLength(m_hFile, length, &error)) ThrowError(error, m_strPath);
}

ULONGLONG CFile::GetPosition() const {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    std::uint64_t position = 0;
    unsigned long error = 0;
    if (!win32::SeekFile(m_hFile, 0, 1, &position, &error)) ThrowError(error, m_strPath);
    return position;
}

void CFile::Flush() {
    if (m_hFile == win32::kInvalidHandle) ThrowErrno(EBADF, m_strPath);
    unsigned long error = 0;
    if (!win32::FlushFile(m_hFile, &error)) ThrowError(error, m_strPath);
}

void CFile::Close() {
    if (m_hFile == win32::kInvalidHandle) return;
    const win32::Handle h = m_hFile;
    m_hFile = win32::kInvalidHandle;
    unsigned long error = 0;
    if (!win32::CloseFile(h, &error)) ThrowError(error, m_strPath);
}

#endif
