// Files: a seekable, truncatable byte stream over a disk file (CFile: a POSIX descriptor,
// or a Win32 handle on Windows) and a growable in-memory stream (CMemFile). Errors raise
// CFileException.
#pragma once

#include <memory>
#include <string>

#include "base/types.h"

// What splits a path into folder and name: Windows takes either slash.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

class CFileException {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException() = default;
    CFileException(int cause, int osError, std::string fileName);

    // Maps an errno value to a cause.
    static int OsErrorToCause(int osError);

    // A readable description naming the file, for the toolkit's error report.
    std::string GetErrorMessage() const;

    int m_cause = none;
    // errno; on Windows the errno value that means the same as the Win32 error, so
    // checks and messages read alike on both systems.
    int m_lOsError = 0;
    std::string m_strFileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        modeCreateNew = 0x4000,  // create, refusing a path that already exists (O_EXCL)
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    virtual ~CFile();  // closes the descriptor if still open; never throws

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens a path (UTF-8). With shareExclusive the file is locked (flock LOCK_EX |
    // LOCK_NB; on Windows share mode 0) so that any second opener, in this process or
    // another, is refused. Returns FALSE and
    // fills pError (when given) on failure.
    virtual BOOL Open(const char* path, UINT flags, CFileException* pError = nullptr);

    // A second file object on the same open file (dup, DuplicateHandle), sharing its
    // lock; it stays open after this one is closed.
    virtual CFile* Duplicate() const;

    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    virtual UINT Read(void* buffer, UINT count);  // returns the bytes read; 0 at the end
    // Reads at position. A disk file does it in one call (pread) and leaves its file
    // position where it was; a file that overrides Read overrides this too (SeekAndRead
    // does it through its own Seek and Read).
    virtual UINT ReadAt(ULONGLONG position, void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG length);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();  // fsync for disk files
    virtual void Close();

    virtual std::string GetFileName() const;  // last path component
    virtual std::string GetFilePath() const;  // the path as opened

    // After the file has been renamed on disk, so the name and path follow it.
    virtual void SetFilePath(const std::string& path) { m_strPath = path; }

    // The descriptor, or the HANDLE on Windows; -1 (INVALID_HANDLE_VALUE) when closed.
#ifdef _WIN32
    std::intptr_t m_hFile = -1;
#else
    int m_hFile = -1;
#endif

protected:
    UINT SeekAndRead(ULONGLONG position, void* buffer, UINT count) {
        Seek(static_cast<LONGLONG>(position), begin);
        return Read(buffer, count);
    }

    std::string m_strPath;
};

// A file in memory. Grows in steps of m_nGrowBytes (1024 by default).
class CMemFile : public CFile {
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    ~CMemFile() override;

    BOOL Open(const char* path, UINT flags, CFileException* pError = nullptr) override;
    CFile* Duplicate() const override;  // not supported: throws CFileException
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    UINT Read(void* buffer, UINT count) override;
    UINT ReadAt(ULONGLONG position, void* buffer, UINT count) override {
        return SeekAndRead(position, buffer, count);
    }
    void Write(const void* buffer, UINT count) override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG length) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;
    void Close() override;
    std::string GetFileName() const override;
    std::string GetFilePath() const override;

    const BYTE* GetData() const { return m_data.get(); }
    ULONGLONG GetBufferSize() const { return m_nBufferSize; }

private:
    struct FreeDeleter {
        void operator()(BYTE* p) const;
    };
    void GrowTo(ULONGLONG newSize);

    UINT m_nGrowBytes;
    std::unique_ptr<BYTE, FreeDeleter> m_data;  // realloc'd as it grows
    ULONGLONG m_nBufferSize = 0;
    ULONGLONG m_nFileSize = 0;
    ULONGLONG m_nPosition = 0;
};
