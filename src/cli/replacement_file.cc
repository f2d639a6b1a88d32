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

bool Fail(std::string* error, const std::string& path, int err) {
    if (error) *error = path + ": " + OsErrorText(err);
    return false;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target) : m_target(std::move(target)) {}

ReplacementFile::~ReplacementFile() {
    if (m_committed || !m_file) return;
    try {
        m_file->Close();
    } catch (const CFileException&) {
        // Removed below all the same.
    }
    GetSaveFileSystem().Remove(m_temp);
}

bool ReplacementFile::Create(std::string* error) {
    // Only a file is replaced: a folder, a device or a pipe in its place stays (opening a
    // pipe to hold it would wait for a writer for ever).
    ResolvedPath existing;
    if (ResolveFilePath(m_target, &existing) && !existing.regular) {
        if (error) *error = m_target + ": not a file (a folder, a device or a pipe)";
        return false;
    }
    CFileException held;
    if (!m_targetHold.Open(m_target.c_str(), CFile::modeRead | CFile::shareExclusive, &held) &&
        held.m_lOsError == EWOULDBLOCK)
        return Fail(error, m_target, EWOULDBLOCK);
    std::random_device random;
    const FileAttributes attributes = GetFileAttributesOf(m_target);
    int err = EEXIST;
    for (int attempt = 0; attempt < 8 && err == EEXIST; ++attempt) {
        m_temp = m_target + "." + std::to_string(random() % 1000000) + ".tmp";
        try {
            m_file = GetSaveFileSystem().CreateTemporary(m_temp, attributes);
            if (m_file) return true;
            err = EIO;
        } catch (const CFileException& e) {
            err = e.m_lOsError;
        }
    }
    return Fail(error, m_target, err);
}

bool ReplacementFile::Commit(std::string* error) {
    if (!m_file) return Fail(error, m_target, EBADF);
    try {
        m_file->Flush();
        m_file->Close();
    } catch (const CFileException& e) {
        return Fail(error, m_temp, e.m_lOsError);
    }
    CSaveFileSystem& fs = GetSaveFileSystem();
    if (kRenameNeedsFilesClosed) m_targetHold.Close();
    int err = 0;
    if (!fs.Replace(m_temp, m_target, &err)) return Fail(error, m_target, err);
    m_committed = true;
    fs.SyncFolder(FolderOf(m_target));
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::vector<BYTE>& bytes,
                        std::string* error) {
    ReplacementFile file(path);
    if (!file.Create(error)) return false;
    try {
        file.File().Write(bytes.data(), static_cast<UINT>(bytes.size()));
    } catch (const CFileException& e) {
        return Fail(error, path, e.m_lOsError);
    }
    return file.Commit(error);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    ResolvedPath ra, rb;
    return ResolveFilePath(a, &ra) && ResolveFilePath(b, &rb) && ra.identity == rb.identity;
}
