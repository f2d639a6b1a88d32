#include "iff/iff_writer.h"

#include <errno.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/byte_order.h"
#include "iff/iff_chunk_list.h"
#include "iff/iff_file.h"
#include "iff/iff_io.h"
#include "iff/iff_manager.h"
#include "iff/iff_write_buffer.h"

namespace {

// A map entry's length: offset, ID, flags, the name and its zero byte, padded to even (so
// every entry, and every type table of 8 bytes, starts on an even offset).
size_t MapEntrySize(const CIffChunk& c) {
    const size_t entry = 8 + c.m_strName.size() + 1;
    return entry + (entry & 1);
}

}  // namespace

ULONGLONG IffSavedSize(DWORD h) {
    const CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec) return 0;
    ULONGLONG total = IFF_FILE_HEADER_SIZE + IFF_CHUNK_HEADER_SIZE + 20;
    for (const auto* n = rec->m_chunks->head; n; n = n->next) {
        const CIffChunk& c = n->chunk;
        if (c.m_dwType == IFF_TYPE_RSMP) continue;
        total += IFF_CHUNK_HEADER_SIZE + static_cast<ULONGLONG>(c.m_dwSize) + MapEntrySize(c);
    }
    for (const auto& t : rec->m_chunks->types)
        if (t.first != IFF_TYPE_RSMP) total += 8;
    return total;
}

IffChunkHeader MakeChunkHeader(const CIffChunk* pChunk) {
    IffChunkHeader header;
    std::memset(&header, 0, sizeof header);
    header.dwType = pChunk->m_dwType;
    header.dwSize = pChunk->m_dwSize + IFF_CHUNK_HEADER_SIZE;
    header.wID = pChunk->m_wID;
    header.wFlags = pChunk->m_wFlags;
    std::memcpy(header.szName, pChunk->m_strName.data(),
                std::min<size_t>(pChunk->m_strName.size(), 63));
    return header;
}

BOOL WriteChunkHeader(CFile* pFile, const IffChunkHeader& header, DWORD position) {
    BYTE raw[IFF_CHUNK_HEADER_SIZE];
    iffio::EncodeChunkHeader(header, raw);
    try {
        pFile->Seek(position, CFile::begin);
        pFile->Write(raw, IFF_CHUNK_HEADER_SIZE);
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL WriteChunks(CFile* pFile, DWORD h) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec || !pFile) return FALSE;
    POSITION pos = rec->GetHeadPosition();
    while (pos) {
        CIffChunk* chunk = rec->GetNext(pos);
        if (!chunk) return FALSE;
        if (chunk->m_dwType == IFF_TYPE_RSMP) continue;
        if (!chunk->m_bLoaded || !chunk->m_pData || chunk->m_dwSize > chunk->m_dwCapacity)
            return FALSE;
        try {
            const ULONGLONG length = pFile->GetLength();
            if (length + IFF_CHUNK_HEADER_SIZE + chunk->m_dwSize >= kIffSizeLimit) return FALSE;
            chunk->m_dwDataOffset = static_cast<DWORD>(length + IFF_CHUNK_HEADER_SIZE);
            if (!WriteChunkHeader(pFile, MakeChunkHeader(chunk), static_cast<DWORD>(length)))
                return FALSE;
            pFile->Write(chunk->m_pData.get(), chunk->m_dwSize);
        } catch (const CFileException&) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL WriteResourceMap(CFile* pFile, DWORD h) {
    if (!CIffManager::IsValid(h) || !pFile) return FALSE;
    CIffFile types;
    if (!types.Attach(h)) return FALSE;
    const IffChunkList& list = *types.GetRecord()->m_chunks;

    const ULONGLONG mapOffset = pFile->GetPosition();
    if (mapOffset >= kIffSizeLimit) return FALSE;

    // Built in two walks in list order, which reads the chunks in the order they lie in
    // memory: the first sizes each type's table, the second fills the tables. The bytes
    // are the same as writing the map field by field and patching the sizes afterwards.
    struct Table {
        DWORD type;
        DWORD loaded;
        size_t size;  // the entries'
        size_t at;    // where the next entry goes
    };
    constexpr size_t kNone = static_cast<size_t>(-1);
    std::vector<Table> tables;
    for (POSITION pos = types.GetTypeListHead(); pos;) {
        const DWORD type = types.GetNextType(pos);
        const IffChunkList::TypeIndex* t = list.Type(type);
        if (!t) continue;
        t->scratch = type == IFF_TYPE_RSMP ? kNone : tables.size();
        if (type != IFF_TYPE_RSMP) tables.push_back({type, 0, 0, 0});
    }
    for (const auto* n = list.head; n; n = n->next) {
        const size_t k = n->typeIndex->scratch;
        if (k == kNone || !n->chunk.m_bLoaded) continue;
        ++tables[k].loaded;
        tables[k].size += MapEntrySize(n->chunk);
    }
    ULONGLONG total = IFF_CHUNK_HEADER_SIZE + 20;
    for (Table& t : tables) {
        t.at = static_cast<size_t>(total) + 8;
        total += 8 + static_cast<ULONGLONG>(t.size);
    }
    if (mapOffset + total >= kIffSizeLimit) return FALSE;

    std::unique_ptr<BYTE[]> map(new BYTE[static_cast<size_t>(total)]);
    BYTE* const m = map.get();
    std::memset(m, 0, IFF_CHUNK_HEADER_SIZE + 20);
    StoreBE32(m, IFF_TYPE_RSMP);
    StoreBE32(m + 4, static_cast<DWORD>(total));
    StoreBE16(m + 10, IFF_DEFAULT_FLAGS);
    std::memcpy(m + IFF_CHUNK_HEADER_SIZE + 8, "pmsr", 4);
    StoreLE32(m + IFF_CHUNK_HEADER_SIZE + 12, static_cast<DWORD>(total));
    StoreLE32(m + IFF_CHUNK_HEADER_SIZE + 16, static_cast<DWORD>(tables.size()));
    for (const Table& t : tables) {
        StoreLE32(m + t.at - 8, t.type);
        StoreLE32(m + t.at - 4, t.loaded);
    }
    for (const auto* n = list.head; n; n = n->next) {
        const size_t k = n->typeIndex->scratch;
        const CIffChunk& c = n->chunk;
        if (k == kNone || !c.m_bLoaded) continue;
        BYTE* entry = m + tables[k].at;
        const size_t size = MapEntrySize(c);
        tables[k].at += size;
        StoreLE32(entry, c.m_dwDataOffset - IFF_CHUNK_HEADER_SIZE);
        StoreLE16(entry + 4, c.m_wID);
        StoreLE16(entry + 6, c.m_wFlags);
        std::memcpy(entry + 8, c.m_strName.data(), c.m_strName.size());
        entry[8 + c.m_strName.size()] = 0;
        if (size > 9 + c.m_strName.size()) entry[size - 1] = 0xA3;  // the pad to even
    }

    BYTE offsetField[4];
    StoreBE32(offsetField, static_cast<DWORD>(mapOffset));
    pFile->Seek(60, CFile::begin);
    pFile->Write(offsetField, 4);
    pFile->Seek(0, CFile::end);
    pFile->Write(m, static_cast<UINT>(total));
    return TRUE;
}

namespace {

// endOfPart runs after the header and after the chunks, within the error handling of the
// part it ends.
template <class EndOfPart>
BOOL WriteContainer(CFile* pFile, DWORD h, EndOfPart endOfPart) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec || !pFile) return FALSE;
    iffio::CopySaveSignature(rec->m_header);
    pFile->SetLength(0);
    pFile->Seek(0, CFile::begin);
    pFile->Write(rec->m_header, IFF_FILE_HEADER_SIZE);
    endOfPart();
    if (!WriteChunks(pFile, h)) return FALSE;
    try {
        endOfPart();
    } catch (const CFileException&) {
        return FALSE;
    }
    return WriteResourceMap(pFile, h);
}

}  // namespace

BOOL IffWriteContainer(CFile* pFile, DWORD h) {
    return WriteContainer(pFile, h, [] {});
}

BOOL IffWriteContainer(CWriteBuffer& out, DWORD h) {
    return WriteContainer(&out, h, [&out] { out.FlushBuffer(); });
}

namespace {

// Takes the bytes of a save and compares them with those a file holds, keeping none. The
// header is written twice (its map offset comes last), so it is compared at the end.
class CompareWithFile : public CFile {
public:
    explicit CompareWithFile(CFile& original) : m_original(original) {}

    bool Same() {
        BYTE head[IFF_FILE_HEADER_SIZE];
        return m_same &&
               iffio::ReadFullAt(m_original, 0, head, IFF_FILE_HEADER_SIZE) ==
                   IFF_FILE_HEADER_SIZE &&
               std::memcmp(head, m_head, IFF_FILE_HEADER_SIZE) == 0;
    }

    CFile* Duplicate() const override {
        throw CFileException(CFileException::genericException, 0, std::string());
    }
    ULONGLONG Seek(LONGLONG offset, UINT from) override {
        const ULONGLONG base = from == begin ? 0 : from == current ? m_position : m_length;
        m_position = base + static_cast<ULONGLONG>(offset);
        return m_position;
    }
    UINT Read(void*, UINT) override { return 0; }
    UINT ReadAt(ULONGLONG, void*, UINT) override { return 0; }
    void Write(const void* buffer, UINT count) override {
        const auto* bytes = static_cast<const BYTE*>(buffer);
        while (count && m_position < IFF_FILE_HEADER_SIZE) {
            m_head[m_position++] = *bytes++;
            --count;
        }
        if (m_same && count) {
            if (m_scratch.size() < count) m_scratch.resize(count);
            m_same = iffio::ReadFullAt(m_original, m_position, m_scratch.data(), count) == count &&
                     std::memcmp(m_scratch.data(), bytes, count) == 0;
            // The writer stops at a failed write: the rest need not be made.
            if (!m_same) throw CFileException(CFileException::genericException, 0, std::string());
        }
        m_position += count;
        m_length = std::max(m_length, m_position);
    }
    ULONGLONG GetLength() const override { return m_length; }
    void SetLength(ULONGLONG length) override { m_length = length; }
    ULONGLONG GetPosition() const override { return m_position; }
    void Flush() override {}
    void Close() override {}

private:
    CFile& m_original;
    BYTE m_head[IFF_FILE_HEADER_SIZE] = {};
    std::vector<BYTE> m_scratch;
    ULONGLONG m_position = 0;
    ULONGLONG m_length = 0;
    bool m_same = true;
};

}  // namespace

BOOL IffSaveMatchesFile(DWORD h) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec || !rec->m_pFile || rec->m_bMemoryFile) return FALSE;
    // Writing moves the chunks' data offsets and the header image to the new file's: both
    // are put back afterwards.
    std::vector<DWORD> offsets;
    BYTE header[IFF_FILE_HEADER_SIZE];
    BOOL same = FALSE;
    try {
        const ULONGLONG length = rec->m_pFile->GetLength();
        if (IffSavedSize(h) != length) return FALSE;
        offsets.reserve(static_cast<size_t>(rec->GetCount()));
        for (POSITION pos = rec->GetHeadPosition(); pos;)
            if (const CIffChunk* chunk = rec->GetNext(pos))
                offsets.push_back(chunk->m_dwDataOffset);
        std::memcpy(header, rec->m_header, sizeof header);
        CompareWithFile compare(*rec->m_pFile);
        {
            CWriteBuffer out(compare);
            same = IffWriteContainer(out, h);
            out.FlushBuffer();
        }
        same = same && compare.Same() && compare.GetLength() == length;
    } catch (const CFileException&) {
        same = FALSE;
    } catch (const std::bad_alloc&) {
        same = FALSE;
    }
    if (offsets.size() == static_cast<size_t>(rec->GetCount())) {
        size_t i = 0;
        for (POSITION pos = rec->GetHeadPosition(); pos;)
            if (CIffChunk* chunk = rec->GetNext(pos)) chunk->m_dwDataOffset = offsets[i++];
        std::memcpy(rec->m_header, header, sizeof header);
    }
    return same;
}
