#include "sprites/spr2.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/byte_order.h"
#include "iff/iff_types.h"

namespace {

constexpr DWORD kFrameHeaderSize = 16;
constexpr BYTE kPadByte = 0xA3;

// First frame offset of the canonical layout: the table padded to a multiple of 64.
constexpr ULONGLONG FirstFrameOffset(ULONGLONG nFrames) {
    return (4 * nFrames + 75) & ~63ull;
}

// Gathers small fields and hands them to the chunk's cursor in few Write calls.
class ChunkWriter {
public:
    explicit ChunkWriter(CIffChunk& chunk) : m_chunk(chunk) {}

    void Word(WORD w) {
        Reserve(2);
        StoreLE16(m_buf + m_len, w);
        m_len += 2;
    }
    void Dword(DWORD d) {
        Reserve(4);
        StoreLE32(m_buf + m_len, d);
        m_len += 4;
    }
    void Fill(BYTE b, ULONGLONG n) {
        while (n) {
            Reserve(1);
            const size_t k = static_cast<size_t>(std::min<ULONGLONG>(n, sizeof m_buf - m_len));
            std::memset(m_buf + m_len, b, k);
            m_len += k;
            n -= k;
        }
    }
    void Bytes(const BYTE* p, DWORD n) {
        Flush();
        if (m_ok && n) m_ok = m_chunk.Write(p, n) != FALSE;
    }
    BOOL Finish() {
        Flush();
        return m_ok ? TRUE : FALSE;
    }

private:
    void Reserve(size_t n) {
        if (sizeof m_buf - m_len < n) Flush();
    }
    void Flush() {
        if (m_ok && m_len) m_ok = m_chunk.Write(m_buf, static_cast<DWORD>(m_len)) != FALSE;
        m_len = 0;
    }

    CIffChunk& m_chunk;
    BYTE m_buf[256];
    size_t m_len = 0;
    bool m_ok = true;
};

}  // namespace

CSpr2::CSpr2() {
    if (!MakeHeaderBlock(0)) throw std::bad_alloc();
    *Header() = Spr2Header{SPR2_VERSION, 0, 0};
}

CSpr2::~CSpr2() = default;

DWORD CSpr2::GetType() const {
    return IFF_TYPE_SPR2;
}

const Spr2Header* CSpr2::GetHeader() const {
    return m_pHeader ? std::launder(reinterpret_cast<const Spr2Header*>(m_pHeader.get())) : nullptr;
}

Spr2Header* CSpr2::Header() {
    return const_cast<Spr2Header*>(GetHeader());
}

DWORD CSpr2::GetFrameOffset(int i) const {
    if (!m_pHeader || i < 0) return 0;
    const ULONGLONG at = sizeof(Spr2Header) + 4ull * static_cast<ULONGLONG>(i);
    if (at + 4 > m_dwHeaderSize) return 0;
    DWORD offset;
    std::memcpy(&offset, m_pHeader.get() + at, sizeof offset);
    return offset;
}

// Replaces the header block by a zeroed one with room for nTableEntries offsets; the old
// block stays when memory runs out. Callers bound the count by the chunk's size first.
BOOL CSpr2::MakeHeaderBlock(DWORD nTableEntries) {
    const ULONGLONG size = sizeof(Spr2Header) + 4ull * nTableEntries;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[static_cast<size_t>(size)]());
    if (!block) return FALSE;
    new (block.get()) Spr2Header{0, 0, 0};
    m_pHeader = std::move(block);
    m_dwHeaderSize = static_cast<DWORD>(size);
    return TRUE;
}

void CSpr2::ClearFrames() {
    m_frames.clear();
    m_pStreams.reset();
    m_pViewed = nullptr;
    m_dwViewedSize = 0;
}

BOOL CSpr2::AttachForReading(CIffFile* pFile, CIffChunk* pChunk) {
    m_bViewNextDecode = true;
    const BOOL attached = Attach(pFile, pChunk);
    m_bViewNextDecode = false;
    return attached;
}

BOOL CSpr2::CopyViewedStreams() {
    if (!m_pViewed) return TRUE;
    std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[m_dwViewedSize ? m_dwViewedSize : 1]);
    if (!copy) return FALSE;
    std::memcpy(copy.get(), m_pViewed, m_dwViewedSize);
    for (Spr2FrameInfo& f : m_frames) f.pData = copy.get() + (f.pData - m_pViewed);
    m_pStreams = std::move(copy);
    m_pViewed = nullptr;
    m_dwViewedSize = 0;
    return TRUE;
}

BOOL CSpr2::Decode() {
    ClearFrames();
    CIffChunk& chunk = *m_pChunk;
    const DWORD dataSize = chunk.m_dwSize;

    DWORD version = 0;
    DWORD count = 0;
    DWORD paletteId = 0;
    if (!chunk.ReadDword(&version) || version != SPR2_VERSION) return FALSE;
    if (!chunk.ReadDword(&count) || !chunk.ReadDword(&paletteId)) return FALSE;

    const LONG n = static_cast<LONG>(count);
    // A table that cannot lie inside the data is refused before anything is sized by it.
    const bool tableFits = n <= 0 || sizeof(Spr2Header) + 4ull * n <= dataSize;
    if (!MakeHeaderBlock(n > 0 && tableFits ? count : 0)) return FALSE;
    *Header() = Spr2Header{version, count, paletteId};
    if (!tableFits) return FALSE;
    if (n <= 0) return TRUE;

    BYTE* table = m_pHeader.get() + sizeof(Spr2Header);
    for (LONG i = 0; i < n; ++i) {
        DWORD entry = 0;
        if (!chunk.ReadDword(&entry)) return FALSE;
        std::memcpy(table + 4 * i, &entry, sizeof entry);
        if (static_cast<LONG>(entry) >= static_cast<LONG>(dataSize)) return FALSE;
    }

    // Every stream must be longer than the 16-byte header before it, so successful
    // frames never overlap and all of them fit in one copy of the data. A sprite only
    // looked at points into the chunk's data instead, when all of it can be read there.
    BYTE* streams;
    if (m_bViewNextDecode && chunk.m_pData && chunk.m_dwCapacity >= dataSize) {
        streams = chunk.m_pData.get();
        m_pViewed = streams;
        m_dwViewedSize = dataSize;
    } else {
        m_pStreams.reset(new (std::nothrow) BYTE[dataSize]);
        if (!m_pStreams) return FALSE;
        chunk.m_dwPos = 0;
        if (!chunk.Read(m_pStreams.get(), dataSize)) return FALSE;
        streams = m_pStreams.get();
    }
    m_frames.reserve(std::min<DWORD>(count, dataSize / (kFrameHeaderSize + 1) + 1));

    for (LONG i = 0; i < n; ++i) {
        const DWORD start = GetFrameOffset(i);
        if (start > dataSize) return FALSE;
        chunk.m_dwPos = start;
        BYTE head[kFrameHeaderSize];
        if (!chunk.Read(head, sizeof head)) return FALSE;
        const DWORD end = i + 1 < n ? GetFrameOffset(i + 1) : dataSize;
        if (end <= chunk.m_dwPos || end > dataSize) return FALSE;

        Spr2FrameInfo frame;
        frame.wWidth = LoadLE16(head);
        frame.wHeight = LoadLE16(head + 2);
        frame.dwFlags = LoadLE32(head + 4);
        frame.wPaletteId = LoadLE16(head + 8);
        frame.wField10 = LoadLE16(head + 10);
        frame.wField12 = LoadLE16(head + 12);
        frame.wField14 = LoadLE16(head + 14);
        frame.pData = streams + chunk.m_dwPos;
        frame.dwDataSize = end - chunk.m_dwPos;
        chunk.m_dwPos = end;
        m_frames.push_back(frame);
    }
    return TRUE;
}

BOOL CSpr2::Encode() {
    if (!m_pHeader || m_dwHeaderSize < sizeof(Spr2Header)) return FALSE;
    // The chunk is about to be rewritten from the frames.
    if (!CopyViewedStreams()) return FALSE;
    const ULONGLONG nFrames = m_frames.size();
    const ULONGLONG tableEnd = sizeof(Spr2Header) + 4 * nFrames;
    const ULONGLONG firstFrame = FirstFrameOffset(nFrames);
    ULONGLONG total = firstFrame;
    for (const Spr2FrameInfo& f : m_frames) {
        if (!f.pData) return FALSE;
        total += kFrameHeaderSize + f.dwDataSize;
    }
    // Larger than a container can store and read back: refuse rather than lose it on save.
    if (total > IFF_MAX_CHUNK_SIZE - IFF_CHUNK_HEADER_SIZE) return FALSE;

    CIffChunk& chunk = *m_pChunk;
    // Grow once up front: a failed allocation then leaves the chunk as it was.
    if (!chunk.SetSize(static_cast<DWORD>(total))) return FALSE;
    chunk.SetSize(0);
    chunk.m_dwPos = 0;

    Spr2Header& header = *Header();
    header.dwVersion = SPR2_VERSION;
    header.dwFrameCount = static_cast<DWORD>(nFrames);

    ChunkWriter out(chunk);
    out.Dword(header.dwVersion);
    out.Dword(header.dwFrameCount);
    out.Dword(header.dwPaletteId);
    ULONGLONG offset = firstFrame;
    for (const Spr2FrameInfo& f : m_frames) {
        out.Dword(static_cast<DWORD>(offset));
        offset += kFrameHeaderSize + f.dwDataSize;
    }
    out.Fill(kPadByte, firstFrame - tableEnd);
    for (const Spr2FrameInfo& f : m_frames) {
        out.Word(f.wWidth);
        out.Word(f.wHeight);
        out.Dword(f.dwFlags);
        out.Word(f.wPaletteId);
        out.Word(f.wField10);
        out.Word(f.wField12);
        out.Word(f.wField14);
        out.Bytes(f.pData, f.dwDataSize);
    }
    return out.Finish();
}

int CSpr2::GetFrameCount() const {
    const Spr2Header* h = GetHeader();
    return h ? static_cast<int>(h->dwFrameCount) : 0;
}

BOOL CSpr2::GetFrameInfo(Spr2FrameInfo* pInfo, int nFrame) const {
    if (!pInfo || nFrame < 0 || nFrame >= GetFrameCount() ||
        static_cast<size_t>(nFrame) >= m_frames.size()) {
        return FALSE;
    }
    *pInfo = m_frames[static_cast<size_t>(nFrame)];
    return TRUE;
}

BOOL CSpr2::SetFrameInfo(const Spr2FrameInfo* pInfo, int nFrame) {
    if (!pInfo || nFrame < 0 || nFrame >= GetFrameCount() ||
        static_cast<size_t>(nFrame) >= m_frames.size()) {
        return FALSE;
    }
    Spr2FrameInfo& f = m_frames[static_cast<size_t>(nFrame)];
    f.dwFlags = pInfo->dwFlags;
    f.wPaletteId = pInfo->wPaletteId;
    f.wField10 = pInfo->wField10;
    f.wField12 = pInfo->wField12;
    f.wField14 = pInfo->wField14;
    return TRUE;
}

WORD CSpr2::GetPaletteId() const {
    const Spr2Header* h = GetHeader();
    return h ? static_cast<WORD>(h->dwPaletteId) : 0;
}

void CSpr2::SetPaletteId(WORD wId) {
    if (Spr2Header* h = Header()) h->dwPaletteId = wId;
}
