#include "iff/iff_chunk.h"

#include <cstring>
#include <new>

#include "base/byte_order.h"

namespace {

constexpr DWORD kGranule = CIffChunk::kGranule;

// n rounded up to a multiple of 64; FALSE when that does not fit in 32 bits.
BOOL RoundUp64(ULONGLONG n, DWORD* pOut) {
    const ULONGLONG r = (n + (kGranule - 1)) / kGranule * kGranule;
    if (r > 0xFFFFFFFFull) return FALSE;
    *pOut = static_cast<DWORD>(r);
    return TRUE;
}

}  // namespace

CIffChunk::CIffChunk() : CIffChunk(CIffChunkBuffer(new (std::nothrow) BYTE[kGranule]())) {}

CIffChunk::CIffChunk(CIffChunkBuffer granule) : m_pData(std::move(granule)) {
    if (m_pData) m_dwCapacity = kGranule;
}

CIffChunk::~CIffChunk() = default;

std::unique_ptr<CIffChunk> CIffChunk::Clone() const {
    std::unique_ptr<CIffChunk> copy(new (std::nothrow) CIffChunk);
    if (!copy) return nullptr;
    static_cast<CIffChunkFields&>(*copy) = *this;
    copy->m_pData.reset();
    if (m_pData && m_dwCapacity) {
        copy->m_pData.reset(new (std::nothrow) BYTE[m_dwCapacity]);
        if (!copy->m_pData) return nullptr;
        std::memcpy(copy->m_pData.get(), m_pData.get(), m_dwCapacity);
    } else {
        copy->m_dwCapacity = 0;
    }
    return copy;
}

BOOL CIffChunk::AllocForSize() {
    m_pData.reset();
    m_dwCapacity = 0;
    m_dwPos = 0;
    DWORD capacity = kGranule;
    if (m_dwSize != 0 && !RoundUp64(m_dwSize, &capacity)) return FALSE;
    m_pData.reset(new (std::nothrow) BYTE[capacity]);
    if (!m_pData) return FALSE;
    m_dwCapacity = capacity;
    return TRUE;
}

void CIffChunk::TakeBuffer(CIffChunkBuffer buffer, DWORD capacity) {
    m_pData = std::move(buffer);
    m_dwCapacity = m_pData ? capacity : 0;
    m_dwPos = 0;
}

BOOL CIffChunk::Read(void* p, DWORD n) {
    // An unloaded chunk's size is its length on disk, not what its buffer holds.
    const DWORD limit = m_pData ? (m_dwSize < m_dwCapacity ? m_dwSize : m_dwCapacity) : 0;
    if (n > limit || m_dwPos > limit - n) return FALSE;
    if (n) std::memcpy(p, m_pData.get() + m_dwPos, n);
    m_dwPos += n;
    return TRUE;
}

BOOL CIffChunk::ReadWord(WORD* p) {
    BYTE b[2];
    if (!Read(b, 2)) return FALSE;
    *p = LoadLE16(b);
    return TRUE;
}

BOOL CIffChunk::ReadDword(DWORD* p) {
    BYTE b[4];
    if (!Read(b, 4)) return FALSE;
    *p = LoadLE32(b);
    return TRUE;
}

BOOL CIffChunk::Grow(DWORD newCapacity) {
    std::unique_ptr<BYTE[]> fresh(new (std::nothrow) BYTE[newCapacity]);
    if (!fresh) return FALSE;
    if (m_pData && m_dwCapacity) std::memcpy(fresh.get(), m_pData.get(), m_dwCapacity);
    m_pData.reset(fresh.release());
    m_dwCapacity = newCapacity;
    return TRUE;
}

BOOL CIffChunk::Write(const void* p, DWORD n) {
    const ULONGLONG end = static_cast<ULONGLONG>(m_dwPos) + n;
    if (end > 0xFFFFFFFFull) return FALSE;
    if (end > m_dwCapacity || !m_pData) {
        DWORD capacity;
        if (!RoundUp64(static_cast<ULONGLONG>(m_dwCapacity) + n, &capacity)) return FALSE;
        if (capacity < end && !RoundUp64(end, &capacity)) return FALSE;
        if (!Grow(capacity)) return FALSE;
    }
    if (n) std::memcpy(m_pData.get() + m_dwPos, p, n);
    m_dwPos = static_cast<DWORD>(end);
    if (m_dwPos > m_dwSize) m_dwSize = m_dwPos;
    return TRUE;
}

BOOL CIffChunk::WriteByte(BYTE b) {
    return Write(&b, 1);
}

BOOL CIffChunk::WriteWord(WORD w) {
    BYTE b[2];
    StoreLE16(b, w);
    return Write(b, 2);
}

BOOL CIffChunk::WriteDword(DWORD d) {
    BYTE b[4];
    StoreLE32(b, d);
    return Write(b, 4);
}

BOOL CIffChunk::SetSize(DWORD n) {
    if (n > m_dwCapacity || !m_pData) {
        DWORD capacity = kGranule;
        if (n != 0 && !RoundUp64(n, &capacity)) return FALSE;
        if (!Grow(capacity)) return FALSE;
    }
    m_dwSize = n;
    if (m_dwPos > n) m_dwPos = n;
    return TRUE;
}
