#include "cli/replacement_file.h"

#include <errno.h>

#include <random>

#include "cli/report.h"
#include "files/file_system.h"
#include "files/save_file_system.h"

namespace {

std::string FolderOf(const std::string& path) {
    std::string folder, name;
    SplitFilePath(path, &folder, &name);
    return folder;
}

bool Fail(std::string* pError, const std::string& path, int err) {
    if (pError) *pError = path + ": " + OsErrorText(err);
    return false;
}

}  // namespace

CReplacementFile::CReplacementFile(std::string target) : m_strTarget(std::move(target)) {}

CReplacementFile::~CReplacementFile() {
    if (m_bCommitted || !m_pFile) return;
    try {
        m_pFile->Close();
    } catch (const CFileException&) {
        // Removed below all the same.
    }
    GetSaveFileSystem().Remove(m_strTemp);
}

bool CReplacementFile::Create(std::string* pError) {
    // Only a file is replaced: a folder, a device or a pipe in its place stays (opening a
    // pipe to hold it would wait for a writer for ever).
    ResolvedPath existing;
    if (ResolveFilePath(m_strTarget, &existing) && !existing.regular) {
        if (pError) *pError = m_strTarget + ": not a file (a folder, a device or a pipe)";
        return false;
    }
    CFileException held;
    if (!m_targetHold.Open(m_strTarget.c_str(), CFile::modeRead | CFile::shareExclusive, &held) &&
        held.m_lOsError == EWOULDBLOCK)
        return Fail(pError, m_strTarget, EWOULDBLOCK);
    std::random_device random;
    const FileAttributes attributes = GetFileAttributesOf(m_strTarget);
    int err = EEXIST;
    for (int attempt = 0; attempt < 8 && err == EEXIST; ++attempt) {
        m_strTemp = m_strTarget + "." + std::to_string(random() % 1000000) + ".tmp";
        try {
            m_pFile = GetSaveFileSystem().CreateTemporary(m_strTemp, attributes);
            if (m_pFile) return true;
            err = EIO;
        } catch (const CFileException& e) {
            err = e.m_lOsError;
        }
    }
    return Fail(pError, m_strTarget, err);
}

bool CReplacementFile::Commit(std::string* pError) {
    if (!m_pFile) return Fail(pError, m_strTarget, EBADF);
    try {
        m_pFile->Flush();
        m_pFile->Close();
    } catch (const CFileException& e) {
        return Fail(pError, m_strTemp, e.m_lOsError);
    }
    CSaveFileSystem& fs = GetSaveFileSystem();
    if (kRenameNeedsFilesClosed) m_targetHold.Close();
    int err = 0;
    if (!fs.Replace(m_strTemp, m_strTarget, &err)) return Fail(pError, m_strTarget, err);
    m_bCommitted = true;
    fs.SyncFolder(FolderOf(m_strTarget));
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
    ResolvedPath ra, rb;
    return ResolveFilePath(a, &ra) && ResolveFilePath(b, &rb) && ra.identity == rb.identity;
}
