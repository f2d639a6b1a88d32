// A file object that gathers small writes into large ones for another file object. The
// writer emits a header per chunk and a handful of bytes per map entry; on a disk file
// that would be a system call each. Position and length are kept here, so seeks and
// length queries cost nothing either. Everything reaches the target through its own
// virtual operations.
#pragma once

#include <vector>

#include "base/types.h"
#include "files/file.h"

class CWriteBuffer : public CFile {
public:
    explicit CWriteBuffer(CFile& target, UINT capacity = 1u << 20);
    ~CWriteBuffer() override;  // bytes not yet flushed are dropped

    CFile* Duplicate() const override;  // not supported: throws CFileException
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    UINT Read(void* buffer, UINT count) override;
    UINT ReadAt(ULONGLONG position, void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG length) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;  // pending bytes, then the target's own Flush
    void Close() override;  // pending bytes only; the target stays open
    std::string GetFileName() const override;
    std::string GetFilePath() const override;

    // Hands the pending bytes to the target.
    void FlushBuffer();

private:
    void WriteThrough(ULONGLONG position, const void* buffer, UINT count);

    CFile& m_target;
    UINT m_capacity;
    std::vector<BYTE> m_buffer;
    ULONGLONG m_bufferStart = 0;
    ULONGLONG m_position = 0;
    ULONGLONG m_length = 0;
    ULONGLONG m_targetPosition = 0;
    bool m_targetPositionKnown = true;
};
