#include "iff/iff_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/byte_order.h"
#include "iff/iff_io.h"
#include "iff/iff_manager.h"

namespace {

bool HeaderSizeInBounds(DWORD size) {
    return size >= IFF_CHUNK_HEADER_SIZE && size <= IFF_MAX_CHUNK_SIZE;
}

// Reads the chunk headers of the sequential scan. Headers that lie close together come
// out of one block read; every other header is read on its own. Whenever a block read
// fails or comes up short, the header is read again exactly as ReadChunkHeader reads it,
// so the answers never differ from reading each header by itself.
class ScanReader {
public:
    explicit ScanReader(CFile& file) : m_file(file) {}

    BOOL Read(IffChunkHeader* pHeader, ULONGLONG offset) {
        // A big step since the last header means big chunks: a block would be mostly data.
        const bool nearby = offset >= m_last && offset - m_last <= kNearby;
        m_last = offset;
        if (offset >= m_start && offset - m_start + IFF_CHUNK_HEADER_SIZE <= m_length) {
            iffio::DecodeChunkHeader(m_block.get() + (offset - m_start), pHeader);
            return TRUE;
        }
        if (offset > 0xFFFFFFFFull) return FALSE;
        if (nearby && FillBlock(offset)) {
            iffio::DecodeChunkHeader(m_block.get(), pHeader);
            return TRUE;
        }
        return IffReadChunkHeader(m_file, static_cast<DWORD>(offset), pHeader);
    }

private:
    // Blocks grow from the first size to the last: a file of many small chunks soon reads
    // them 64 KB at a time, while one of a few large chunks, whose data is read next
    // anyway, does not read much of it twice.
    static constexpr UINT kFirstBlock = 4 * 1024;
    static constexpr UINT kBlock = 64 * 1024;
    static constexpr ULONGLONG kNearby = 8 * 1024;

    BOOL FillBlock(ULONGLONG offset) {
        m_length = 0;
        if (!m_block) m_block.reset(new (std::nothrow) BYTE[kBlock]);
        if (!m_block) return FALSE;
        try {
            m_start = offset;
            m_length = iffio::ReadFullAt(m_file, offset, m_block.get(), m_blockSize);
        } catch (const CFileException&) {
            m_length = 0;
        }
        m_blockSize = std::min(2 * m_blockSize, kBlock);
        return m_length >= IFF_CHUNK_HEADER_SIZE;
    }

    CFile& m_file;
    std::unique_ptr<BYTE[]> m_block;  // kBlock bytes, of which m_blockSize are read
    UINT m_blockSize = kFirstBlock;
    ULONGLONG m_start = 0;
    ULONGLONG m_length = 0;
    ULONGLONG m_last = 0;
};

// The headers the sequential scan met, in file order, so that the map walk (which runs
// before the scan's chunks are added) need not read them a second time.
class ScannedHeaders {
public:
    // A header in a quarter of its size: names are mostly short or empty and are kept
    // apart, up to their first zero byte (all a chunk takes of them).
    struct Entry {
        DWORD offset;
        DWORD type;
        DWORD size;
        WORD id;
        WORD flags;
        DWORD nameAt;
        BYTE nameLength;
    };

    // In pages, so that growing never copies: a file of many chunks has many entries.
    class Entries {
    public:
        size_t size() const { return m_size; }
        const Entry& operator[](size_t i) const { return m_pages[i / kPage][i % kPage]; }
        // May throw std::bad_alloc; nothing is added then.
        void push_back(const Entry& e) {
            if (m_size == m_pages.size() * kPage) {
                m_pages.reserve(m_pages.size() + 1);
                m_pages.emplace_back(new Entry[kPage]);
            }
            m_pages[m_size / kPage][m_size % kPage] = e;
            ++m_size;
        }

    private:
        static constexpr size_t kPage = 4096;
        std::vector<std::unique_ptr<Entry[]>> m_pages;
        size_t m_size = 0;
    };

    Entries entries;

    // May throw std::bad_alloc; nothing is added then.
    void Add(DWORD offset, const IffChunkHeader& h) {
        const void* zero = std::memchr(h.szName, 0, sizeof h.szName);
        const size_t length =
            zero ? static_cast<size_t>(static_cast<const char*>(zero) - h.szName) : sizeof h.szName;
        const size_t at = m_names.size();
        m_names.insert(m_names.end(), h.szName, h.szName + length);
        try {
            entries.push_back({offset, h.dwType, h.dwSize, h.wID, h.wFlags, static_cast<DWORD>(at),
                               static_cast<BYTE>(length)});
        } catch (...) {
            m_names.resize(at);
            throw;
        }
    }

    IffChunkHeader Header(const Entry& e) const {
        IffChunkHeader h;
        h.dwType = e.type;
        h.dwSize = e.size;
        h.wID = e.id;
        h.wFlags = e.flags;
        std::memset(h.szName, 0, sizeof h.szName);
        if (e.nameLength) std::memcpy(h.szName, m_names.data() + e.nameAt, e.nameLength);
        return h;
    }

    // Map entries of one type usually come in file order: search on from the last hit.
    const Entry* Find(DWORD offset) {
        const size_t n = entries.size();
        size_t lo = 0, hi = std::min(n, m_hint);
        if (m_hint < n && entries[m_hint].offset <= offset) {
            // Gallop forward until an entry lies beyond the offset.
            lo = m_hint;
            hi = lo + 1;
            for (size_t step = 1; hi < n && entries[hi].offset <= offset; step *= 2) {
                lo = hi;
                hi = lo + step;
            }
            hi = std::min(hi, n);
        }
        // The last entry in [lo, hi) at or before the offset.
        const size_t first = lo;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (entries[mid].offset <= offset) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        if (lo == first) return nullptr;
        const size_t i = lo - 1;
        m_hint = i + 1;
        return entries[i].offset == offset ? &entries[i] : nullptr;
    }

private:
    std::vector<char> m_names;
    size_t m_hint = 0;
};

// Where the scan found a chunk that it adds, whatever the map step adds under that offset
// is replaced by the scan's own add later on (same type and ID), so it need not be made.
bool ScanAddsChunkAt(ScannedHeaders& scanned, DWORD offset) {
    const ScannedHeaders::Entry* e = scanned.Find(offset);
    return e && !(e->flags & IFF_FLAG_SKIP_SCAN);
}

// A header for the map step: the one the scan read at that offset, or a fresh read.
BOOL MappedHeader(ScannedHeaders& scanned, ScanReader& reader, DWORD offset,
                  IffChunkHeader* pHeader) {
    if (const ScannedHeaders::Entry* e = scanned.Find(offset)) {
        *pHeader = scanned.Header(*e);
        return TRUE;
    }
    return reader.Read(pHeader, offset);
}

// Reads a map chunk's data as LoadChunkData would, without a chunk to hold it.
bool ReadMapData(CIffFileRecord& rec, DWORD size, DWORD dataOffset, std::vector<BYTE>& out) {
    try {
        if (static_cast<ULONGLONG>(dataOffset) + size > rec.m_pFile->GetLength()) return false;
        out.resize(size);
        return iffio::ReadFullAt(*rec.m_pFile, dataOffset, out.data(), size) == size;
    } catch (const CFileException&) {
        return false;
    }
}

// Adds the chunks a resource map lists. Works on a copy of the map's data: an entry may
// name the map chunk itself, and adding it replaces the chunk being walked.
void AddMappedChunks(DWORD h, const std::vector<BYTE>& map, ScannedHeaders& scanned,
                     ScanReader& reader) {
    const size_t size = map.size();
    if (size < 20 || std::memcmp(map.data() + 8, "pmsr", 4) != 0) return;
    const DWORD typeCount = LoadLE32(map.data() + 16);
    size_t pos = 20;
    for (DWORD t = 0; t < typeCount; ++t) {
        // After a missing final pad byte pos stands one past the end.
        if (pos > size || size - pos < 8) return;
        const DWORD entryCount = LoadLE32(map.data() + pos + 4);
        pos += 8;
        for (DWORD e = 0; e < entryCount; ++e) {
            if (pos > size || size - pos < 8) return;
            const DWORD offset = LoadLE32(map.data() + pos);
            pos += 8;
            const void* zero = std::memchr(map.data() + pos, 0, size - pos);
            if (!zero) return;
            pos = static_cast<size_t>(static_cast<const BYTE*>(zero) - map.data()) + 1;
            if (pos & 1) ++pos;  // pad byte; one missing at the very end is fine
            if (ScanAddsChunkAt(scanned, offset)) continue;
            IffChunkHeader header;
            if (!MappedHeader(scanned, reader, offset, &header)) continue;
            if (!HeaderSizeInBounds(header.dwSize)) continue;
            header.dwSize -= IFF_CHUNK_HEADER_SIZE;
            CIffManager::AddChunk(h, header, offset + IFF_CHUNK_HEADER_SIZE);
        }
    }
}

}  // namespace

BOOL IffReadContainer(DWORD h, int* pError) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec) {
        if (pError) *pError = IFF_ERROR_HANDLE;
        return FALSE;
    }
    // A file error here is the caller's to report.
    BYTE header[IFF_FILE_HEADER_SIZE];
    UINT got = 0;
    if (rec->m_pFile) {
        rec->m_pFile->Seek(0, CFile::begin);
        got = iffio::ReadFullAt(*rec->m_pFile, 0, header, IFF_FILE_HEADER_SIZE);
    }
    if (got == IFF_FILE_HEADER_SIZE) std::memcpy(rec->m_header, header, IFF_FILE_HEADER_SIZE);
    // Too short to hold a header: nothing to test the signature against.
    if (got < IFF_FILE_HEADER_SIZE || std::memcmp(header, "IFF FILE", 8) != 0) {
        if (pError) *pError = IFF_ERROR_SIGNATURE;
        return FALSE;
    }
    const bool v25 = std::memcmp(header + 9, "2.5", 3) == 0;
    if (!v25 && std::memcmp(header + 9, "2.0", 3) != 0) {
        if (pError) *pError = IFF_ERROR_VERSION;
        return FALSE;
    }

    // The scan's reads come first, in one pass over the file; the chunks it found are
    // added after the map's, in file order, which is the order the list must have.
    ScanReader reader(*rec->m_pFile);
    ScannedHeaders scanned;
    try {
        ULONGLONG position = IFF_FILE_HEADER_SIZE;
        while (position < rec->m_dwFileLength) {
            IffChunkHeader chunk;
            if (!reader.Read(&chunk, position)) break;
            if (!HeaderSizeInBounds(chunk.dwSize)) break;
            scanned.Add(static_cast<DWORD>(position), chunk);
            position += chunk.dwSize;
        }
    } catch (const std::bad_alloc&) {
        // What was scanned so far stands, as with any other stop.
    }

    if (v25) {
        const DWORD mapOffset = LoadBE32(header + 60);
        IffChunkHeader mapHeader;
        if (mapOffset != 0 && MappedHeader(scanned, reader, mapOffset, &mapHeader) &&
            HeaderSizeInBounds(mapHeader.dwSize)) {
            mapHeader.dwSize -= IFF_CHUNK_HEADER_SIZE;
            try {
                std::vector<BYTE> copy;
                if (ScanAddsChunkAt(scanned, mapOffset)) {
                    // The scan adds the map chunk again (unloaded): only its data is needed.
                    if (ReadMapData(*rec, mapHeader.dwSize, mapOffset + IFF_CHUNK_HEADER_SIZE,
                                    copy))
                        AddMappedChunks(h, copy, scanned, reader);
                } else {
                    CIffChunk* map =
                        CIffManager::AddChunk(h, mapHeader, mapOffset + IFF_CHUNK_HEADER_SIZE);
                    if (map && CIffManager::LoadChunkData(h, map)) {
                        copy.assign(map->m_pData.get(), map->m_pData.get() + map->m_dwSize);
                        AddMappedChunks(h, copy, scanned, reader);
                    }
                }
            } catch (const std::bad_alloc&) {
                // The map step just ends; the scan's chunks still follow.
            }
        }
    }

    for (size_t i = 0; i < scanned.entries.size(); ++i) {
        const ScannedHeaders::Entry& e = scanned.entries[i];
        if (e.flags & IFF_FLAG_SKIP_SCAN) continue;
        IffChunkHeader header = scanned.Header(e);
        header.dwSize -= IFF_CHUNK_HEADER_SIZE;
        CIffManager::AddChunk(h, header, e.offset + IFF_CHUNK_HEADER_SIZE);
    }
    return TRUE;
}

BOOL IffReadChunkHeader(CFile& file, DWORD offset, IffChunkHeader* pHeader) {
    if (!pHeader) return FALSE;
    BYTE raw[IFF_CHUNK_HEADER_SIZE];
    try {
        if (iffio::ReadFullAt(file, offset, raw, IFF_CHUNK_HEADER_SIZE) < IFF_CHUNK_HEADER_SIZE)
            return FALSE;
    } catch (const CFileException&) {
        return FALSE;
    }
    iffio::DecodeChunkHeader(raw, pHeader);
    return TRUE;
}
