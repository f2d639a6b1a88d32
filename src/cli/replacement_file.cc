#include "cli/replacement_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "cli/report.h"

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// So that the rename itself survives a crash; a failure here loses nothing already written.
void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool Fail(std::string* pError, const std::string& what, int err) {
    if (pError) *pError = what + ": " + OsErrorText(err);
    return false;
}

}  // namespace

CReplacementFile::CReplacementFile(std::string target) : m_strTarget(std::move(target)) {}

CReplacementFile::~CReplacementFile() {
    try {
        m_file.Close();
    } catch (const CFileException&) {
        // The temporary file is removed below all the same.
    }
    if (!m_bCommitted && !m_strTemp.empty()) ::unlink(m_strTemp.c_str());
}

bool CReplacementFile::Create(std::string* pError) {
    std::string pattern = m_strTarget + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return Fail(pError, m_strTarget, errno);
    ::close(fd);
    m_strTemp = pattern;
    CFileException error;
    if (!m_file.Open(m_strTemp.c_str(), CFile::modeReadWrite, &error))
        return Fail(pError, m_strTemp, error.m_lOsError);
    return true;
}

bool CReplacementFile::Commit(std::string* pError) {
    if (m_strTemp.empty()) return Fail(pError, m_strTarget, EBADF);
    struct stat st {};
    const mode_t mode =
        ::stat(m_strTarget.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
    if (::fchmod(m_file.m_hFile, mode) != 0) return Fail(pError, m_strTemp, errno);
    try {
        m_file.Flush();
        m_file.Close();
    } catch (const CFileException& e) {
        return Fail(pError, m_strTemp, e.m_lOsError);
    }
    if (::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
        return Fail(pError, m_strTarget, errno);
    m_bCommitted = true;
    SyncDirectory(DirectoryOf(m_strTarget));
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::vector<BYTE>& bytes,
                        std::string* pError) {
    CReplacementFile file(path);
    if (!file.Create(pError)) return false;
    try {
        file.File().Write(bytes.data(), static_cast<UINT>(bytes.size()));
    } catch (const CFileException& e) {
        return Fail(pError, path, e.m_lOsError);
    }
    return file.Commit(pError);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
