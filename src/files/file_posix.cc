// CFile over a POSIX descriptor: the exclusive hold is flock(LOCK_EX | LOCK_NB).
#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <new>

#include "files/file.h"

namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& path) {
    throw CFileException(CFileException::OsErrorToCause(err), err, path);
}

}  // namespace

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

namespace {

// Reads until count bytes arrived or the file ends (a disk file returns fewer bytes only
// at its end); readOnce(p, n, done) is one read or pread call.
template <class ReadOnce>
UINT ReadUntilDone(void* buffer, UINT count, const std::string& path, ReadOnce readOnce) {
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = readOnce(p + done, count - done, done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, path);
        }
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

}  // namespace

UINT CFile::Read(void* buffer, UINT count) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    return ReadUntilDone(buffer, count, m_strPath,
                         [this](BYTE* p, UINT n, UINT) { return ::read(m_hFile, p, n); });
}

UINT CFile::ReadAt(ULONGLONG position, void* buffer, UINT count) {
    if (m_hFile < 0) ThrowErrno(EBADF, m_strPath);
    if (position > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()) - count)
        ThrowErrno(EINVAL, m_strPath);
    return ReadUntilDone(buffer, count, m_strPath, [&](BYTE* p, UINT n, UINT done) {
        return ::pread(m_hFile, p, n, static_cast<off_t>(position + done));
    });
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

#endif
