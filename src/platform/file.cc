#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <typeinfo>

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& path) {
    throw CFileException(CFileException::OsErrorToCause(err), err, path);
}

std::string LastComponent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* CauseText(int cause) {
    switch (cause) {
        case CFileException::fileNotFound:
            return "the file was not found";
        case CFileException::badPath:
            return "the path is not valid";
        case CFileException::tooManyOpenFiles:
            return "too many files are open";
        case CFileException::accessDenied:
            return "access was denied";
        case CFileException::invalidFile:
            return "the file is not open";
        case CFileException::directoryFull:
            return "the folder is full";
        case CFileException::badSeek:
            return "a seek failed";
        case CFileException::hardIO:
            return "a hardware error occurred";
        case CFileException::sharingViolation:
            return "the file is in use";
        case CFileException::lockViolation:
            return "the file is locked";
        case CFileException::diskFull:
            return "the disk is full";
        case CFileException::endOfFile:
            return "the end of the file was reached";
        default:
            return "an error occurred";
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// CFileException

CFileException::CFileException(int cause, int osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

int CFileException::OsErrorToCause(int osError) {
    switch (osError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EISDIR:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case EWOULDBLOCK:
            return sharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        case EINVAL:
        case ESPIPE:
        case EOVERFLOW:
            return badSeek;
        case EIO:
            return hardIO;
        default:
            return genericException;
    }
}

std::string CFileException::GetErrorMessage() const {
    std::string text = "\"" +
                       (m_strFileName.empty() ? std::string("(unnamed file)") : m_strFileName) +
                       "\": " + CauseText(m_cause);
    if (m_lOsError != 0) {
        text += " (";
        text += std::strerror(m_lOsError);
        text += ", error " + std::to_string(m_lOsError) + ")";
    }
    text += ".";
    return text;
}

// ---------------------------------------------------------------------------------------
// CFile

CFile::CFile() = default;

CFile::~CFile() {
    if (m_hFile >= 0) ::close(m_hFile);
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* pError) {
    if (m_hFile >= 0) {
        ::close(m_hFile);
        m_hFile = -1;
    }
    m_strPath = path ? path : "";

    int oflags = O_CLOEXEC;
    if (flags & modeReadWrite)
        oflags |= O_RDWR;
    else if (flags & modeWrite)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (flags & modeCreateNew)
        oflags |= O_CREAT | O_EXCL;
    else if (flags & modeCreate)
        oflags |= O_CREAT;

    auto fail = [&](int err) {
        if (pError) *pError = CFileException(CFileException::OsErrorToCause(err), err, m_strPath);
        return FALSE;
    };

    int fd;
    do {
        fd = ::open(m_strPath.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(errno);

    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(err);
    }
    if (flags & shareExclusive) {
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const int err = errno;
            ::close(fd);
            return fail(err);
        }
    }
    // Truncate only once the lock is ours: a refused opener must not empty someone's file.
    if ((flags & (modeCreate | modeCreateNew)) && !(flags & modeNoTruncate) && st.st_size != 0) {
        if (::ftruncate(fd, 0) != 0) {
            const int err = errno;
            ::close(fd);
            return fail(err);
        }
    }
    m_hFile = fd;
    return TRUE;
}

CFile* CFile::Duplicate() const {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    const int fd = ::fcntl(m_hFile, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) ThrowErrno(errno, m_strPath);
    auto* copy = new (std::nothrow) CFile;
    if (!copy) {
        ::close(fd);
        throw std::bad_alloc();
    }
    copy->m_hFile = fd;
    copy->m_strPath = m_strPath;
    return copy;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (pos < 0) ThrowErrno(errno, m_strPath);
    return static_cast<ULONGLONG>(pos);
}

UINT CFile::Read(void* buffer, UINT count) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    // A disk file returns fewer bytes only at its end.
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_hFile, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_strPath);
        }
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

UINT CFile::ReadAt(ULONGLONG position, void* buffer, UINT count) {
    if (typeid(*this) != typeid(CFile)) {
        Seek(static_cast<LONGLONG>(position), begin);
        return Read(buffer, count);
    }
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    if (position > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()) - count)
        ThrowErrno(EINVAL, m_strPath);
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(m_hFile, p + done, count - done, static_cast<off_t>(position + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_strPath);
        }
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    const auto* p = static_cast<const BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_hFile, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_strPath);
        }
        if (n == 0) ThrowErrno(ENOSPC, m_strPath);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::GetLength() const {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    struct stat st;
    if (::fstat(m_hFile, &st) != 0) ThrowErrno(errno, m_strPath);
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG length) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    if (length > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()))
        ThrowErrno(EFBIG, m_strPath);
    int rc;
    do {
        rc = ::ftruncate(m_hFile, static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) ThrowErrno(errno, m_strPath);
}

ULONGLONG CFile::GetPosition() const {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    const off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0) ThrowErrno(errno, m_strPath);
    return static_cast<ULONGLONG>(pos);
}

void CFile::Flush() {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    if (::fsync(m_hFile) != 0) ThrowErrno(errno, m_strPath);
}

void CFile::Close() {
    if (m_hFile < 0) return;
    const int fd = m_hFile;
    m_hFile = -1;
    // The descriptor is gone even when close reports an error (Linux), so never retry.
    if (::close(fd) != 0 && errno != EINTR) ThrowErrno(errno, m_strPath);
}

std::string CFile::GetFileName() const {
    return LastComponent(m_strPath);
}

std::string CFile::GetFilePath() const {
    return m_strPath;
}

// ---------------------------------------------------------------------------------------
// CMemFile

void CMemFile::FreeDeleter::operator()(BYTE* p) const {
    std::free(p);
}

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes ? nGrowBytes : 1024) {}

CMemFile::~CMemFile() = default;

BOOL CMemFile::Open(const char*, UINT, CFileException* pError) {
    if (pError) *pError = CFileException(CFileException::genericException, 0, "");
    return FALSE;
}

CFile* CMemFile::Duplicate() const {
    throw CFileException(CFileException::genericException, 0, "");
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
    LONGLONG base = 0;
    if (from == current)
        base = static_cast<LONGLONG>(m_nPosition);
    else if (from == end)
        base = static_cast<LONGLONG>(m_nFileSize);
    if ((offset < 0 && base + offset < 0) ||
        (offset > 0 && offset > std::numeric_limits<LONGLONG>::max() - base))
        throw CFileException(CFileException::badSeek, EINVAL, "");
    m_nPosition = static_cast<ULONGLONG>(base + offset);
    return m_nPosition;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    if (m_nPosition >= m_nFileSize) return 0;
    const ULONGLONG left = m_nFileSize - m_nPosition;
    const UINT n = left < count ? static_cast<UINT>(left) : count;
    if (n) std::memcpy(buffer, m_data.get() + m_nPosition, n);
    m_nPosition += n;
    return n;
}

void CMemFile::GrowTo(ULONGLONG newSize) {
    if (newSize <= m_nBufferSize) return;
    const ULONGLONG steps = newSize / m_nGrowBytes + (newSize % m_nGrowBytes ? 1 : 0);
    if (steps > std::numeric_limits<size_t>::max() / m_nGrowBytes)
        throw CFileException(CFileException::diskFull, ENOMEM, "");
    const ULONGLONG bytes = steps * m_nGrowBytes;
    auto* p = static_cast<BYTE*>(std::realloc(m_data.get(), static_cast<size_t>(bytes)));
    if (!p) throw CFileException(CFileException::diskFull, ENOMEM, "");
    m_data.release();
    m_data.reset(p);
    m_nBufferSize = bytes;
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    if (m_nPosition > std::numeric_limits<ULONGLONG>::max() - count)
        throw CFileException(CFileException::diskFull, EFBIG, "");
    const ULONGLONG end = m_nPosition + count;
    GrowTo(end);
    // Writing past the end leaves no stale bytes in the gap.
    if (m_nPosition > m_nFileSize)
        std::memset(m_data.get() + m_nFileSize, 0, static_cast<size_t>(m_nPosition - m_nFileSize));
    std::memcpy(m_data.get() + m_nPosition, buffer, count);
    m_nPosition = end;
    if (end > m_nFileSize) m_nFileSize = end;
}

ULONGLONG CMemFile::GetLength() const {
    return m_nFileSize;
}

void CMemFile::SetLength(ULONGLONG length) {
    GrowTo(length);
    if (length > m_nFileSize)
        std::memset(m_data.get() + m_nFileSize, 0, static_cast<size_t>(length - m_nFileSize));
    m_nFileSize = length;
    if (m_nPosition > length) m_nPosition = length;
}

ULONGLONG CMemFile::GetPosition() const {
    return m_nPosition;
}

void CMemFile::Flush() {}

void CMemFile::Close() {
    m_data.reset();
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}

std::string CMemFile::GetFileName() const {
    return std::string();
}

std::string CMemFile::GetFilePath() const {
    return std::string();
}
