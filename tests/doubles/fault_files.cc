#include "doubles/fault_files.h"

#include <errno.h>

#include <stdexcept>

namespace doubles {

void CFailingFile::Write(const void* buffer, UINT count) {
    FaultBudget& b = *m_budget;
    if (b.writeBytes < 0 || count <= b.writeBytes) {
        m_inner->Write(buffer, count);
        if (b.writeBytes >= 0) b.writeBytes -= count;
        return;
    }
    // What fits goes out first, as on a disk that fills up.
    m_inner->Write(buffer, static_cast<UINT>(b.writeBytes));
    b.writeBytes = 0;
    throw CFileException(CFileException::diskFull, ENOSPC, GetFilePath());
}

void CFailingFile::Fail() const {
    throw CFileException(CFileException::hardIO, EIO, GetFilePath());
}

std::unique_ptr<CFile> OpenExclusive(const std::string& path) {
    auto file = std::make_unique<CFile>();
    CFileException error;
    if (!file->Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive, &error))
        throw std::runtime_error(error.GetErrorMessage());
    return file;
}

std::unique_ptr<CFile> CFaultySaveFileSystem::CreateTemporary(const std::string& path,
                                                              const FileAttributes& attributes) {
    if (refuseCreate) throw CFileException(CFileException::accessDenied, EACCES, path);
    return std::make_unique<CFailingFile>(CSaveFileSystem::CreateTemporary(path, attributes),
                                          budget);
}

BOOL CFaultySaveFileSystem::Replace(const std::string& from, const std::string& to, int* pError) {
    if (!refuseReplace) return CSaveFileSystem::Replace(from, to, pError);
    if (pError) *pError = EACCES;
    return FALSE;
}

}  // namespace doubles
