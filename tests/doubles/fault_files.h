// File objects for fault injection: they wrap a real file object and pass everything
// through, except where they are told to fail or to hand out short reads. Duplicates
// behave like the original and share its budgets, so a container that duplicates the
// caller's file (as loading does) still goes through them.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "files/file.h"
#include "files/save_file_system.h"

namespace doubles {

// Forwards every operation to the wrapped file.
class CFileWrapper : public CFile {
public:
    explicit CFileWrapper(std::unique_ptr<CFile> inner) : m_inner(std::move(inner)) {}

    BOOL Open(const char* path, UINT flags, CFileException* pError = nullptr) override {
        return m_inner->Open(path, flags, pError);
    }
    ULONGLONG Seek(LONGLONG offset, UINT from) override { return m_inner->Seek(offset, from); }
    UINT Read(void* buffer, UINT count) override { return m_inner->Read(buffer, count); }
    // Through this file's own Read, so a double that changes Read changes this too.
    UINT ReadAt(ULONGLONG position, void* buffer, UINT count) override {
        return SeekAndRead(position, buffer, count);
    }
    void Write(const void* buffer, UINT count) override { m_inner->Write(buffer, count); }
    ULONGLONG GetLength() const override { return m_inner->GetLength(); }
    void SetLength(ULONGLONG length) override { m_inner->SetLength(length); }
    ULONGLONG GetPosition() const override { return m_inner->GetPosition(); }
    void Flush() override { m_inner->Flush(); }
    void Close() override { m_inner->Close(); }
    std::string GetFileName() const override { return m_inner->GetFileName(); }
    std::string GetFilePath() const override { return m_inner->GetFilePath(); }
    void SetFilePath(const std::string& path) override { m_inner->SetFilePath(path); }

protected:
    std::unique_ptr<CFile> m_inner;
};

// Hands out at most m_maxRead bytes per Read.
class CSplitReadFile : public CFileWrapper {
public:
    CSplitReadFile(std::unique_ptr<CFile> inner, UINT maxRead)
        : CFileWrapper(std::move(inner)), m_maxRead(maxRead) {}
    CFile* Duplicate() const override {
        return new CSplitReadFile(std::unique_ptr<CFile>(m_inner->Duplicate()), m_maxRead);
    }
    UINT Read(void* buffer, UINT count) override {
        return m_inner->Read(buffer, std::min(count, m_maxRead));
    }

private:
    UINT m_maxRead;
};

// Budgets shared by a failing file and its duplicates.
struct FaultBudget {
    long long writeBytes = -1;  // written before writes fail (a partial write first); <0: no limit
    bool failFlush = false;
    bool failSetLength = false;
};

// Raises CFileException (disk full / hardware error) once a budget runs out.
class CFailingFile : public CFileWrapper {
public:
    CFailingFile(std::unique_ptr<CFile> inner, std::shared_ptr<FaultBudget> budget)
        : CFileWrapper(std::move(inner)), m_budget(std::move(budget)) {}
    CFile* Duplicate() const override {
        return new CFailingFile(std::unique_ptr<CFile>(m_inner->Duplicate()), m_budget);
    }
    void Write(const void* buffer, UINT count) override;
    void SetLength(ULONGLONG length) override {
        if (m_budget->failSetLength) Fail();
        m_inner->SetLength(length);
    }
    void Flush() override {
        if (m_budget->failFlush) Fail();
        m_inner->Flush();
    }

private:
    [[noreturn]] void Fail() const;  // a hardware error
    std::shared_ptr<FaultBudget> m_budget;
};

// Opens path read-write and exclusive (a plain CFile), or throws.
std::unique_ptr<CFile> OpenExclusive(const std::string& path);

// The in-place save's file system with faults: the temporary file is wrapped in a
// CFailingFile with the given budget; creating it or the rename can be refused.
class CFaultySaveFileSystem : public CSaveFileSystem {
public:
    std::unique_ptr<CFile> CreateTemporary(const std::string& path,
                                           const FileAttributes& attributes) override;
    BOOL Replace(const std::string& from, const std::string& to, int* pError) override;

    std::shared_ptr<FaultBudget> budget = std::make_shared<FaultBudget>();
    bool refuseCreate = false;
    bool refuseReplace = false;
};

// Installs a save file system for the life of the object.
class ScopedSaveFileSystem {
public:
    explicit ScopedSaveFileSystem(CSaveFileSystem* fs) : m_previous(SetSaveFileSystem(fs)) {}
    ~ScopedSaveFileSystem() { SetSaveFileSystem(m_previous); }
    ScopedSaveFileSystem(const ScopedSaveFileSystem&) = delete;
    ScopedSaveFileSystem& operator=(const ScopedSaveFileSystem&) = delete;

private:
    CSaveFileSystem* m_previous;
};

}  // namespace doubles
