#include "files/file.h"

#include <errno.h>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::string LastComponent(const std::string& path) {
    const auto slash = path.find_last_of(kPathSeparators);
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
#ifdef EDQUOT
        case EDQUOT:
#endif
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
// CFile, what both systems share

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
