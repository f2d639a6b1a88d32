#include "support/fault_files.h"

#include <errno.h>

#include <algorithm>
#include <stdexcept>

namespace testsupport {

BOOL CFileWrapper::Open(const char* path, UINT flags, CFileException* pError) {
    return m_inner->Open(path, flags, pError);
}
ULONGLONG CFileWrapper::Seek(LONGLONG offset, UINT from) {
    return m_inner->Seek(offset, from);
}
UINT CFileWrapper::Read(void* buffer, UINT count) {
    return m_inner->Read(buffer, count);
}
void CFileWrapper::Write(const void* buffer, UINT count) {
    m_inner->Write(buffer, count);
}
ULONGLONG CFileWrapper::GetLength() const {
    return m_inner->GetLength();
}
void CFileWrapper::SetLength(ULONGLONG length) {
    m_inner->SetLength(length);
}
ULONGLONG CFileWrapper::GetPosition() const {
    return m_inner->GetPosition();
}
void CFileWrapper::Flush() {
    m_inner->Flush();
}
void CFileWrapper::Close() {
    m_inner->Close();
}
std::string CFileWrapper::GetFileName() const {
    return m_inner->GetFileName();
}
std::string CFileWrapper::GetFilePath() const {
    return m_inner->GetFilePath();
}
void CFileWrapper::SetFilePath(const std::string& path) {
    m_inner->SetFilePath(path);
}

CFile* CSplitReadFile::Duplicate() const {
    return new CSplitReadFile(std::unique_ptr<CFile>(m_inner->Duplicate()), m_maxRead);
}

UINT CSplitReadFile::Read(void* buffer, UINT count) {
    return m_inner->Read(buffer, std::min(count, m_maxRead));
}

CFile* CFailingFile::Duplicate() const {
    return new CFailingFile(std::unique_ptr<CFile>(m_inner->Duplicate()), m_budget);
}

UINT CFailingFile::Read(void* buffer, UINT count) {
    FaultBudget& b = *m_budget;
    if (b.readBytes < 0) return m_inner->Read(buffer, count);
    if (b.readBytes == 0) {
        ++b.failures;
        throw CFileException(CFileException::hardIO, EIO, GetFilePath());
    }
    const UINT n =
        m_inner->Read(buffer, static_cast<UINT>(std::min<long long>(count, b.readBytes)));
    b.readBytes -= n;
    return n;
}

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
    ++b.failures;
    throw CFileException(CFileException::diskFull, ENOSPC, GetFilePath());
}

void CFailingFile::SetLength(ULONGLONG length) {
    if (m_budget->failSetLength) {
        ++m_budget->failures;
        throw CFileException(CFileException::hardIO, EIO, GetFilePath());
    }
    m_inner->SetLength(length);
}

void CFailingFile::Flush() {
    if (m_budget->failFlush) {
        ++m_budget->failures;
        throw CFileException(CFileException::hardIO, EIO, GetFilePath());
    }
    m_inner->Flush();
}

std::unique_ptr<CFile> OpenExclusive(const std::string& path) {
    auto file = std::make_unique<CFile>();
    CFileException error;
    if (!file->Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive, &error))
        throw std::runtime_error(error.GetErrorMessage());
    return file;
}

std::unique_ptr<CFile> CFaultySaveFileSystem::CreateTemporary(const std::string& path,
                                                              unsigned mode) {
    lastTemporary = path;
    if (refuseCreate) throw CFileException(CFileException::accessDenied, EACCES, path);
    return std::make_unique<CFailingFile>(CIffSaveFileSystem::CreateTemporary(path, mode), budget);
}

BOOL CFaultySaveFileSystem::Replace(const std::string& from, const std::string& to) {
    if (refuseReplace) return FALSE;
    return CIffSaveFileSystem::Replace(from, to);
}

}  // namespace testsupport
