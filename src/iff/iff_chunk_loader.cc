#include "iff/iff_chunk_loader.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "iff/iff_chunk_list.h"
#include "iff/iff_io.h"
#include "iff/iff_manager.h"

namespace {

// What AllocForSize gives a chunk: its size rounded up to whole granules, or one for
// none. Only for the small chunks of a block read, whose sizes cannot overflow that.
DWORD Capacity(const CIffChunk& chunk) {
    constexpr DWORD g = CIffChunk::kGranule;
    return chunk.m_dwSize ? (chunk.m_dwSize + g - 1) / g * g : g;
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
    // The chunks of a block read, their buffers slices of one allocation; false when it
    // cannot be had.
    static bool FromRun(const std::vector<CIffChunk*>& run, const BYTE* block, ULONGLONG start) {
        size_t total = 0;
        for (const CIffChunk* chunk : run) total += Capacity(*chunk);
        IffSharedBlock* shared = IffSharedBlock::Create(total, false);
        if (!shared) return false;
        BYTE* p = shared->Data();
        IffPrepareForWriting(p, total);
        for (CIffChunk* chunk : run) {
            const DWORD size = chunk->m_dwSize;
            const DWORD capacity = Capacity(*chunk);
            std::memcpy(p, block + (chunk->m_dwDataOffset - start), size);
            std::memset(p + size, 0, capacity - size);
            chunk->TakeBuffer(CIffChunkBuffer(shared, p), capacity);
            chunk->m_bLoaded = TRUE;
            p += capacity;
        }
        shared->Release();
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
    explicit ToVisitor(const IffChunkDataVisitor& visit) : m_visit(visit) {}

    bool FromRun(const std::vector<CIffChunk*>& run, const BYTE* block, ULONGLONG start) {
        for (const CIffChunk* chunk : run) m_visit(*chunk, block + (chunk->m_dwDataOffset - start));
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
    const IffChunkDataVisitor& m_visit;
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
            CIffChunk* chunk = Next(pos);
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
                CIffChunk* chunk = Next(next);
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

    // CIffFileRecord::GetNext, without a call per chunk.
    static CIffChunk* Next(POSITION& pos) {
        IffChunkList::Node* n = IffChunkList::FromPos(pos);
        if (!n) return nullptr;
        pos = IffChunkList::ToPos(n->next);
        return &n->chunk;
    }

    ULONGLONG Length() {
        if (!m_lengthKnown) {
            m_length = m_rec.m_pFile->GetLength();
            m_lengthKnown = true;
        }
        return m_length;
    }

    // The run's chunks from one read of [start, end). FALSE when the read fails or the
    // buffers cannot be had: the chunks are then read one by one, which meets the same
    // failure at the same chunk.
    BOOL LoadRun(ULONGLONG start, ULONGLONG end) {
        const UINT span = static_cast<UINT>(end - start);
        // Not zeroed: the read fills what is used, and most of a file's runs are short.
        if (!m_block) m_block.reset(new (std::nothrow) BYTE[kBlock]);
        if (!m_block) return FALSE;
        try {
            if (iffio::ReadFullAt(*m_rec.m_pFile, start, m_block.get(), span) != span)
                return FALSE;
        } catch (const CFileException&) {
            return FALSE;
        }
        return m_sink.FromRun(m_run, m_block.get(), start);
    }

    CIffFileRecord& m_rec;
    Sink& m_sink;
    bool m_skipFailures = false;
    bool m_lengthKnown = false;
    ULONGLONG m_length = 0;
    std::vector<CIffChunk*> m_run;
    std::unique_ptr<BYTE[]> m_block;  // kBlock bytes once a run is read
};

}  // namespace

BOOL IffLoadChunkData(CIffFileRecord& rec, CIffChunk& chunk) {
    if (chunk.m_bLoaded) return TRUE;
    if (!rec.m_pFile) return FALSE;
    try {
        return LoadWithin(*rec.m_pFile, chunk, rec.m_pFile->GetLength());
    } catch (const CFileException&) {
        return FALSE;
    }
}

BOOL IffLoadAllChunkData(CIffFileRecord& rec) {
    IntoChunks sink;
    DataLoader<IntoChunks> loader(rec, sink);
    for (POSITION pos = rec.GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, [](const CIffChunk&) { return true; });
        if (!chunk) return pos == nullptr;
        if (!loader.Load(chunk, pos)) return FALSE;
    }
    return TRUE;
}

void IffLoadChunkDataOfType(CIffFileRecord& rec, DWORD type) {
    IntoChunks sink;
    DataLoader<IntoChunks> loader(rec, sink);
    loader.SkipFailures();
    const auto wanted = [=](const CIffChunk& c) { return c.m_dwType == type; };
    for (POSITION pos = rec.GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, wanted);
        if (!chunk) return;
        loader.Load(chunk, pos, wanted);
    }
}

void IffVisitChunkDataOfType(CIffFileRecord& rec, DWORD type, const IffChunkDataVisitor& visit) {
    if (const IffChunkList::TypeIndex* t = rec.m_chunks->Type(type)) {
        for (const IffChunkList::Node* n = t->head; n; n = n->nextOfType)
            if (n->chunk.m_bLoaded) visit(n->chunk, n->chunk.m_pData.get());
    }
    ToVisitor sink(visit);
    DataLoader<ToVisitor> loader(rec, sink);
    loader.SkipFailures();
    const auto wanted = [=](const CIffChunk& c) { return c.m_dwType == type; };
    for (POSITION pos = rec.GetHeadPosition(); pos;) {
        CIffChunk* chunk = loader.NextUnloaded(pos, wanted);
        if (!chunk) return;
        // Only when the file's length cannot be had, which LoadChunkData meets as well.
        if (!loader.Load(chunk, pos, wanted)) visit(*chunk, nullptr);
    }
}
