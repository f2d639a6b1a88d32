// One chunk of a container: its header fields and a data buffer with a cursor.
#pragma once

#include <memory>
#include <string>

#include "base/types.h"
#include "iff/iff_chunk_buffer.h"

// Everything a chunk holds except its data buffer, so a copy cannot leave a field behind.
struct CIffChunkFields {
    DWORD m_dwType = 0;
    WORD m_wID = 0;
    WORD m_wFlags = 0x0010;
    std::string m_strName;
    DWORD m_dwCapacity = 0;
    DWORD m_dwPos = 0;
    DWORD m_dwSize = 0;
    DWORD m_dwDataOffset = 0;
    BOOL m_bLoaded = FALSE;
};

class CIffChunk : public CIffChunkFields {
public:
    // Buffers come in whole granules: a new chunk has one, AllocForSize rounds up to them.
    static constexpr DWORD kGranule = 64;

    CIffChunk();  // type 0, ID 0, flags 0x0010, 64-byte buffer, not loaded
    // The same with the 64 zero bytes given (no buffer when the granule is NULL).
    explicit CIffChunk(CIffChunkBuffer granule);
    ~CIffChunk();

    CIffChunk(const CIffChunk&) = delete;
    CIffChunk& operator=(const CIffChunk&) = delete;

    BOOL IsLoaded() const { return m_bLoaded; }

    // Fresh buffer of m_dwSize rounded up to 64 (64 when the size is 0); cursor 0.
    BOOL AllocForSize();
    // The buffer as AllocForSize would leave it, with the bytes already there: `capacity`
    // is m_dwSize rounded up as there.
    void TakeBuffer(CIffChunkBuffer buffer, DWORD capacity);

    // Cursor reads: a read that does not fit in m_dwSize fails and moves nothing.
    BOOL Read(void* p, DWORD n);
    BOOL ReadWord(WORD* p);    // little-endian
    BOOL ReadDword(DWORD* p);  // little-endian

    // Cursor writes: grow the buffer as needed; the size follows the cursor.
    BOOL Write(const void* p, DWORD n);
    BOOL WriteByte(BYTE b);
    BOOL WriteWord(WORD w);    // little-endian
    BOOL WriteDword(DWORD d);  // little-endian

    BOOL SetSize(DWORD n);

    // A copy of every field and of the buffer; NULL when memory runs out.
    std::unique_ptr<CIffChunk> Clone() const;

    CIffChunkBuffer m_pData;

private:
    BOOL Grow(DWORD newCapacity);
};
