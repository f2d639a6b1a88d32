#include "iff/iff_manager.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "base/byte_order.h"
#include "iff/iff_chunk_list.h"
#include "iff/iff_io.h"

namespace {

// The slot table. Plain data so that it is ready (zero) before any constructor runs: a
// container opened from another object's constructor still finds it after Init.
struct SlotTable {
    DWORD marker;
    DWORD capacity;
    CIffFileRecord** slots;
};
SlotTable g_table;

CIffManager g_manager;  // its destructor closes whatever is still open at exit

constexpr DWORD kInitialSlots = 64;

using ChunkList = IffChunkList;

// Takes a slot for a new record; 0 if memory runs out.
DWORD TakeSlot(std::unique_ptr<CIffFileRecord> record) {
    for (DWORD i = 1; i < g_table.capacity; ++i) {
        if (!g_table.slots[i]) {
            g_table.slots[i] = record.release();
            return i;
        }
    }
    const DWORD oldCapacity = g_table.capacity;
    if (oldCapacity > 0xFFFFFFFFu - CIffManager::GROW_BY) return 0;
    const DWORD newCapacity = oldCapacity + CIffManager::GROW_BY;
    auto* slots = new (std::nothrow) CIffFileRecord*[newCapacity]();
    if (!slots) return 0;
    if (oldCapacity) std::memcpy(slots, g_table.slots, oldCapacity * sizeof(CIffFileRecord*));
    delete[] g_table.slots;
    g_table.slots = slots;
    g_table.capacity = newCapacity;
    const DWORD index = oldCapacity ? oldCapacity : 1;
    g_table.slots[index] = record.release();
    return index;
}

// An unloaded chunk, untouched since it was added with these very header fields.
bool IsFreshChunk(const CIffChunk& c, const IffChunkHeader& header, size_t nameLength,
                  DWORD dataOffset) {
    return !c.m_bLoaded && c.m_pData && c.m_dwCapacity == 64 && c.m_dwPos == 0 &&
           c.m_wFlags == header.wFlags && c.m_dwSize == header.dwSize &&
           c.m_dwDataOffset == dataOffset && c.m_strName.size() == nameLength &&
           std::memcmp(c.m_strName.data(), header.szName, nameLength) == 0;
}

bool HeaderSizeInBounds(DWORD size) {
    return size >= IFF_CHUNK_HEADER_SIZE && size <= IFF_MAX_CHUNK_SIZE;
}

// Reads the chunk headers of the sequential scan. Headers that lie close together come
// out of one block read; every other header is read on its own. Whenever a block read
// fails or comes up short, the header is read again exactly as ReadChunkHeader reads it,
// so the answers never differ from reading each header by itself.
class ScanReader {
public:
    ScanReader(DWORD h, CFile& file) : m_h(h), m_file(file) {}

    BOOL Read(IffChunkHeader* pHeader, ULONGLONG offset) {
        // A big step since the last header means big chunks: a block would be mostly data.
        const bool nearby = offset >= m_last && offset - m_last <= kNearby;
        m_last = offset;
        if (offset >= m_start && offset - m_start + IFF_CHUNK_HEADER_SIZE <= m_length) {
            iffio::DecodeChunkHeader(m_block.data() + (offset - m_start), pHeader);
            return TRUE;
        }
        if (offset > 0xFFFFFFFFull) return FALSE;
        if (nearby && FillBlock(offset)) {
            iffio::DecodeChunkHeader(m_block.data(), pHeader);
            return TRUE;
        }
        return CIffManager::ReadChunkHeader(m_h, pHeader, static_cast<DWORD>(offset));
    }

private:
    static constexpr UINT kBlock = 64 * 1024;
    static constexpr ULONGLONG kNearby = 8 * 1024;

    BOOL FillBlock(ULONGLONG offset) {
        m_length = 0;
        try {
            if (m_block.empty()) m_block.resize(kBlock);
            m_start = offset;
            m_length = iffio::ReadFullAt(m_file, offset, m_block.data(), kBlock);
        } catch (const CFileException&) {
            m_length = 0;
        } catch (const std::bad_alloc&) {
            m_length = 0;
        }
        return m_length >= IFF_CHUNK_HEADER_SIZE;
    }

    DWORD m_h;
    CFile& m_file;
    std::vector<BYTE> m_block;
    ULONGLONG m_start = 0;
    ULONGLONG m_length = 0;
    ULONGLONG m_last = 0;
};

// The headers the sequential scan met, in file order, so that the map walk (which runs
// before the scan's chunks are added) need not read them a second time.
class ScannedHeaders {
public:
    struct Entry {
        DWORD offset;
        IffChunkHeader header;
    };

    std::vector<Entry> entries;

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
        const auto first = entries.begin() + static_cast<std::ptrdiff_t>(lo);
        const auto it =
            std::upper_bound(first, entries.begin() + static_cast<std::ptrdiff_t>(hi), offset,
                             [](DWORD o, const Entry& e) { return o < e.offset; });
        if (it == first) return nullptr;
        const size_t i = static_cast<size_t>(it - entries.begin()) - 1;
        m_hint = i + 1;
        return entries[i].offset == offset ? &entries[i] : nullptr;
    }

private:
    size_t m_hint = 0;
};

// Where the scan found a chunk that it adds, whatever the map step adds under that offset
// is replaced by the scan's own add later on (same type and ID), so it need not be made.
bool ScanAddsChunkAt(ScannedHeaders& scanned, DWORD offset) {
    const ScannedHeaders::Entry* e = scanned.Find(offset);
    return e && !(e->header.wFlags & IFF_FLAG_SKIP_SCAN);
}

// A header for the map step: the one the scan read at that offset, or a fresh read.
BOOL MappedHeader(ScannedHeaders& scanned, ScanReader& reader, DWORD offset,
                  IffChunkHeader* pHeader) {
    if (const ScannedHeaders::Entry* e = scanned.Find(offset)) {
        *pHeader = e->header;
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

// One chunk's data, as LoadChunkData reads it, with the file's length already known. A
// damaged size must not cost an allocation the file cannot fill.
BOOL LoadWithin(CFile& file, CIffChunk& chunk, ULONGLONG fileLength) {
    const ULONGLONG end = static_cast<ULONGLONG>(chunk.m_dwDataOffset) + chunk.m_dwSize;
    if (end > fileLength) return FALSE;
    if (!chunk.AllocForSize()) return FALSE;
    if (iffio::ReadFullAt(file, chunk.m_dwDataOffset, chunk.m_pData.get(), chunk.m_dwSize) !=
        chunk.m_dwSize)
        return FALSE;
    chunk.m_bLoaded = TRUE;
    return TRUE;
}

// Where DataLoader puts the data it reads: into the chunks, which loads them...
class IntoChunks {
public:
    // A chunk out of a block read; false when its buffer cannot be had.
    static bool FromBlock(CIffChunk& chunk, const BYTE* data) {
        if (!chunk.AllocForSize()) return false;
        if (chunk.m_dwSize) std::memcpy(chunk.m_pData.get(), data, chunk.m_dwSize);
        chunk.m_bLoaded = TRUE;
        return true;
    }
    // A chunk read by itself.
    static BOOL Alone(CFile& file, CIffChunk& chunk, ULONGLONG fileLength) {
        return LoadWithin(file, chunk, fileLength);
    }
};

// ...or to a visitor, through one buffer that is reused, leaving the chunks as they are.
class ToVisitor {
public:
    explicit ToVisitor(const CIffManager::ChunkDataVisitor& visit) : m_visit(visit) {}

    bool FromBlock(const CIffChunk& chunk, const BYTE* data) {
        m_visit(chunk, data);
        return true;
    }
    // NULL goes to the visitor where LoadWithin would fail.
    BOOL Alone(CFile& file, const CIffChunk& chunk, ULONGLONG fileLength) {
        const BYTE* data = nullptr;
        const DWORD size = chunk.m_dwSize;
        if (static_cast<ULONGLONG>(chunk.m_dwDataOffset) + size <= fileLength) {
            try {
                // Never empty: the data of a chunk of size 0 is there, only short.
                if (m_buffer.size() < size || m_buffer.empty()) m_buffer.resize(size ? size : 1);
                if (iffio::ReadFullAt(file, chunk.m_dwDataOffset, m_buffer.data(), size) == size)
                    data = m_buffer.data();
            } catch (const CFileException&) {
            } catch (const std::bad_alloc&) {
            }
        }
        m_visit(chunk, data);
        return data != nullptr;
    }

private:
    const CIffManager::ChunkDataVisitor& m_visit;
    std::vector<BYTE> m_buffer;
};

// Reads chunk data in list order. Small chunks that follow each other closely on disk come
// out of one block read and are copied from it; large ones are read straight into their
// buffers. The file's length is asked once (the exclusive hold keeps it fixed). A block
// read that fails or comes up short reads its chunks one by one instead, so the outcome
// is always that of reading each chunk by itself.
template <typename Sink>
class DataLoader {
public:
    DataLoader(CIffFileRecord& rec, Sink& sink) : m_rec(rec), m_sink(sink) {}

    // Failures leave the chunk unloaded and loading goes on with the next.
    void SkipFailures() { m_skipFailures = true; }

    // The next chunk from pos on that is wanted and not loaded yet; pos moves past it.
    // NULL with pos left non-NULL for a list that hands out no chunk.
    template <typename Wanted>
    CIffChunk* NextUnloaded(POSITION& pos, const Wanted& wanted) {
        while (pos) {
            const POSITION at = pos;
            CIffChunk* chunk = m_rec.GetNext(pos);
            if (!chunk) {
                pos = at;
                return nullptr;
            }
            if (!chunk->m_bLoaded && wanted(*chunk)) return chunk;
        }
        return nullptr;
    }

    // Loads the chunk and, when it is small, the wanted small chunks right after it on
    // disk and in the list (pos moves past those). FALSE when a chunk failed and failures
    // are not skipped.
    template <typename Wanted = bool (*)(const CIffChunk&)>
    BOOL Load(CIffChunk* first, POSITION& pos, const Wanted& wanted = All) {
        if (!m_rec.m_pFile) return FALSE;
        ULONGLONG length;
        try {
            length = Length();
        } catch (const CFileException&) {
            return FALSE;
        }
        m_run.assign(1, first);
        ULONGLONG start = first->m_dwDataOffset;
        ULONGLONG end = start + first->m_dwSize;
        if (first->m_dwSize < kSmall && end <= length) {
            for (POSITION next = pos; next;) {
                CIffChunk* chunk = m_rec.GetNext(next);
                if (!chunk) break;
                if (chunk->m_bLoaded || !wanted(*chunk)) continue;  // passed over anyway
                const ULONGLONG at = chunk->m_dwDataOffset;
                const ULONGLONG chunkEnd = at + chunk->m_dwSize;
                if (chunk->m_dwSize >= kSmall || at < end || at - end > kGap ||
                    chunkEnd - start > kBlock || chunkEnd > length)
                    break;
                m_run.push_back(chunk);
                end = chunkEnd;
                pos = next;
            }
        }
        if (m_run.size() > 1 && LoadRun(start, end)) return TRUE;
        for (CIffChunk* chunk : m_run) {
            BOOL ok = FALSE;
            try {
                ok = !chunk->m_bLoaded ? m_sink.Alone(*m_rec.m_pFile, *chunk, length) : TRUE;
            } catch (const CFileException&) {
                ok = FALSE;
            }
            if (!ok && !m_skipFailures) return FALSE;
        }
        return TRUE;
    }

private:
    static constexpr ULONGLONG kSmall = 16 * 1024;  // larger chunks cost one read anyway
    static constexpr ULONGLONG kGap = 4 * 1024;
    static constexpr ULONGLONG kBlock = 1024 * 1024;

    static bool All(const CIffChunk&) { return true; }

    ULONGLONG Length() {
        if (!m_lengthKnown) {
            m_length = m_rec.m_pFile->GetLength();
            m_lengthKnown = true;
        }
        return m_length;
    }

    // The run's chunks from one read of [start, end). FALSE when the read fails or a
    // buffer cannot be had: the chunks not loaded by then are read one by one, which
    // meets the same failure at the same chunk.
    BOOL LoadRun(ULONGLONG start, ULONGLONG end) {
        const UINT span = static_cast<UINT>(end - start);
        try {
            if (m_block.size() < span) m_block.resize(kBlock);
            if (iffio::ReadFullAt(*m_rec.m_pFile, start, m_block.data(), span) != span)
                return FALSE;
        } catch (const CFileException&) {
            return FALSE;
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        for (CIffChunk* chunk : m_run) {
            if (!m_sink.FromBlock(*chunk, m_block.data() + (chunk->m_dwDataOffset - start)))
                return FALSE;
        }
        return TRUE;
    }

    CIffFileRecord& m_rec;
    Sink& m_sink;
    bool m_skipFailures = false;
    bool m_lengthKnown = false;
    ULONGLONG m_length = 0;
    std::vector<CIffChunk*> m_run;
    std::vector<BYTE> m_block;
};
}  // namespace

// ---------------------------------------------------------------------------------------
// CIffFileRecord

CIffFileRecord::CIffFileRecord() : m_chunks(std::make_unique<ChunkList>()) {
    iffio::CopyMemorySignature(m_header);
}

CIffFileRecord::~CIffFileRecord() {
    if (m_pFile) {
        if (!m_bMemoryFile) {
            try {
                m_pFile->Close();
            } catch (...) {
                // Nothing to tell at this point; the descriptor is released either way.
            }
        }
        m_pFile.reset();
    }
    m_chunks->Clear();
}

POSITION CIffFileRecord::GetHeadPosition() const {
    return ChunkList::ToPos(m_chunks->head);
}

CIffChunk* CIffFileRecord::GetNext(POSITION& pos) const {
    ChunkList::Node* n = ChunkList::FromPos(pos);
    if (!n) return nullptr;
    pos = ChunkList::ToPos(n->next);
    return &n->chunk;
}

int CIffFileRecord::GetCount() const {
    return m_chunks->count;
}

// ---------------------------------------------------------------------------------------
// CIffManager

CIffManager::CIffManager() {
    Init();
}

CIffManager::~CIffManager() {
    if (g_table.marker != INIT_MARKER) return;
    for (DWORD i = 1; i < g_table.capacity; ++i) {
        delete g_table.slots[i];
        g_table.slots[i] = nullptr;
    }
    delete[] g_table.slots;
    g_table.slots = nullptr;
    g_table.capacity = 0;
    g_table.marker = 0;
}

void CIffManager::Init() {
    if (g_table.marker == INIT_MARKER) return;
    g_table.slots = new (std::nothrow) CIffFileRecord*[kInitialSlots]();
    g_table.capacity = g_table.slots ? kInitialSlots : 0;
    g_table.marker = INIT_MARKER;
}

DWORD CIffManager::GetCapacity() {
    Init();
    return g_table.capacity;
}

BOOL CIffManager::IsValid(DWORD h) {
    Init();
    return h != 0 && h < g_table.capacity && g_table.slots[h] != nullptr;
}

CIffFileRecord* CIffManager::GetRecord(DWORD h) {
    return IsValid(h) ? g_table.slots[h] : nullptr;
}

DWORD CIffManager::CreateNew(BOOL bNoSaveInPlace) {
    Init();
    std::unique_ptr<CIffFileRecord> record(new (std::nothrow) CIffFileRecord);
    if (!record) return 0;
    record->m_pFile.reset(new (std::nothrow) CMemFile(1024));
    if (!record->m_pFile) return 0;
    record->m_bMemoryFile = TRUE;
    record->m_bNoSaveInPlace = bNoSaveInPlace;
    return TakeSlot(std::move(record));
}

DWORD CIffManager::OpenFile(CFile* pFile, const std::string& name, BOOL bNoSaveInPlace) {
    Init();
    if (!pFile) return 0;
    try {
        std::unique_ptr<CIffFileRecord> record(new CIffFileRecord);
        record->m_bMemoryFile = FALSE;
        record->m_bNoSaveInPlace = bNoSaveInPlace;
        record->m_strFileName = name;
        record->m_pFile.reset(pFile->Duplicate());
        // Offsets and the scan bound are 32-bit.
        const ULONGLONG length = record->m_pFile->GetLength();
        if (length > 0xFFFFFFFFull) return 0;
        record->m_dwFileLength = static_cast<DWORD>(length);
        return TakeSlot(std::move(record));
    } catch (const CFileException&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

BOOL CIffManager::Close(DWORD h) {
    if (!IsValid(h)) return FALSE;
    CIffFileRecord* record = g_table.slots[h];
    g_table.slots[h] = nullptr;
    delete record;
    return TRUE;
}

BOOL CIffManager::Parse(DWORD h, int* pError) {
    CIffFileRecord* rec = GetRecord(h);
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
    ScanReader reader(h, *rec->m_pFile);
    ScannedHeaders scanned;
    try {
        ULONGLONG position = IFF_FILE_HEADER_SIZE;
        while (position < rec->m_dwFileLength) {
            IffChunkHeader chunk;
            if (!reader.Read(&chunk, position)) break;
            if (!HeaderSizeInBounds(chunk.dwSize)) break;
            scanned.entries.push_back({static_cast<DWORD>(position), chunk});
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
                    CIffChunk* map = AddChunk(h, mapHeader, mapOffset + IFF_CHUNK_HEADER_SIZE);
                    if (map && LoadChunkData(h, map)) {
                        copy.assign(map->m_pData.get(), map->m_pData.get() + map->m_dwSize);
                        AddMappedChunks(h, copy, scanned, reader);
                    }
                }
            } catch (const std::bad_alloc&) {
                // The map step just ends; the scan's chunks still follow.
            }
        }
    }

    for (ScannedHeaders::Entry& e : scanned.entries) {
        if (e.header.wFlags & IFF_FLAG_SKIP_SCAN) continue;
        e.header.dwSize -= IFF_CHUNK_HEADER_SIZE;
        AddChunk(h, e.header, e.offset + IFF_CHUNK_HEADER_SIZE);
    }
    return TRUE;
}

BOOL CIffManager::ReadChunkHeader(DWORD h, IffChunkHeader* pHeader, DWORD offset) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec || !rec->m_pFile || !pHeader) return FALSE;
    BYTE raw[IFF_CHUNK_HEADER_SIZE];
    try {
        if (iffio::ReadFullAt(*rec->m_pFile, offset, raw, IFF_CHUNK_HEADER_SIZE) <
            IFF_CHUNK_HEADER_SIZE)
            return FALSE;
    } catch (const CFileException&) {
        return FALSE;
    }
    iffio::DecodeChunkHeader(raw, pHeader);
    return TRUE;
}

CIffChunk* CIffManager::AddChunk(DWORD h, const IffChunkHeader& header, DWORD dataOffset) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return nullptr;
    const void* zero = std::memchr(header.szName, 0, sizeof header.szName);
    const size_t nameLength =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - header.szName)
             : sizeof header.szName;
    ChunkList& list = *rec->m_chunks;
    ChunkList::Node* old = list.Find(header.dwType, header.wID);
    // The scan finds again every chunk the map listed. When the one in the list is still
    // what a new chunk would be, moving it to the end is the same as replacing it (an
    // unloaded chunk's buffer holds nothing anyone may read).
    if (old && IsFreshChunk(old->chunk, header, nameLength, dataOffset)) {
        list.MoveToEnd(old);
        return &old->chunk;
    }
    try {
        auto node = std::make_unique<ChunkList::Node>();
        CIffChunk& chunk = node->chunk;
        if (!chunk.m_pData) return nullptr;
        chunk.m_dwType = header.dwType;
        chunk.m_wID = header.wID;
        chunk.m_wFlags = header.wFlags;
        chunk.m_strName.assign(header.szName, nameLength);
        chunk.m_dwSize = header.dwSize;
        chunk.m_dwDataOffset = dataOffset;
        if (old) return &list.Replace(old, std::move(node))->chunk;
        return &list.Append(std::move(node))->chunk;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

POSITION CIffManager::FindChunkNode(DWORD h, DWORD type, WORD id) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return nullptr;
    return ChunkList::ToPos(rec->m_chunks->Find(type, id));
}

BOOL CIffManager::RemoveChunk(DWORD h, DWORD type, WORD id) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return FALSE;
    ChunkList::Node* n = rec->m_chunks->Find(type, id);
    if (!n) return FALSE;
    rec->m_chunks->Remove(n);
    return TRUE;
}

BOOL CIffManager::LoadChunkData(DWORD h, CIffChunk* pChunk) {
    if (!pChunk) return FALSE;
    if (pChunk->m_bLoaded) return TRUE;
    CIffFileRecord* rec = GetRecord(h);
    if (!rec || !rec->m_pFile) return FALSE;
    try {
        return LoadWithin(*rec->m_pFile, *pChunk, rec->m_pFile->GetLength());
    } catch (const CFileException&) {
        return FALSE;
    }
}

BOOL CIffManager::LoadAllChunkData(DWORD h) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return FALSE;
    IntoChunks sink;
    DataLoader<IntoChunks> loader(*rec, sink);
    for (POSITION pos = rec->GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, [](const CIffChunk&) { return true; });
        if (!chunk) return pos == nullptr;
        if (!loader.Load(chunk, pos)) return FALSE;
    }
    return TRUE;
}

void CIffManager::LoadChunkDataOfType(DWORD h, DWORD type) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return;
    IntoChunks sink;
    DataLoader<IntoChunks> loader(*rec, sink);
    loader.SkipFailures();
    const auto wanted = [=](const CIffChunk& c) { return c.m_dwType == type; };
    for (POSITION pos = rec->GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, wanted);
        if (!chunk) return;
        loader.Load(chunk, pos, wanted);
    }
}

void CIffManager::VisitChunkDataOfType(DWORD h, DWORD type, const ChunkDataVisitor& visit) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return;
    if (const ChunkList::TypeIndex* t = rec->m_chunks->Type(type)) {
        for (const ChunkList::Node* n = t->head; n; n = n->nextOfType)
            if (n->chunk.m_bLoaded) visit(n->chunk, n->chunk.m_pData.get());
    }
    ToVisitor sink(visit);
    DataLoader<ToVisitor> loader(*rec, sink);
    loader.SkipFailures();
    const auto wanted = [=](const CIffChunk& c) { return c.m_dwType == type; };
    for (POSITION pos = rec->GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, wanted);
        if (!chunk) return;
        // Only when the file's length cannot be had, which LoadChunkData meets as well.
        if (!loader.Load(chunk, pos, wanted)) visit(*chunk, nullptr);
    }
}
