#include "iff/iff_manager.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "iff/iff_chunk_list.h"
#include "iff/iff_chunk_loader.h"
#include "iff/iff_io.h"
#include "iff/iff_reader.h"

namespace {

// The slot table. Plain data so that it is ready (zero) before any constructor runs: a
// container opened from another object's constructor still finds it after Init.
struct SlotTable {
    DWORD marker;
    DWORD capacity;
    CIffFileRecord** slots;
};
SlotTable g_table;
// Held around every use of the table once threads are allowed, so that each may work on
// containers of its own; a record belongs to whoever holds its handle and is used
// unlocked. A program of one thread pays nothing: the table is asked on every step of a
// chunk walk.
std::mutex g_tableLock;
std::atomic<bool> g_threads{false};

class TableGuard {
public:
    TableGuard() : m_locked(g_threads.load(std::memory_order_acquire)) {
        if (m_locked) g_tableLock.lock();
    }
    ~TableGuard() {
        if (m_locked) g_tableLock.unlock();
    }
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;

private:
    bool m_locked;
};

CIffManager g_manager;  // its destructor closes whatever is still open at exit

constexpr DWORD kInitialSlots = 64;

using ChunkList = IffChunkList;

void InitTable() {
    if (g_table.marker == CIffManager::INIT_MARKER) return;
    g_table.slots = new (std::nothrow) CIffFileRecord*[kInitialSlots]();
    g_table.capacity = g_table.slots ? kInitialSlots : 0;
    g_table.marker = CIffManager::INIT_MARKER;
}

CIffFileRecord* Lookup(DWORD h) {
    InitTable();
    return h != 0 && h < g_table.capacity ? g_table.slots[h] : nullptr;
}

// Takes a slot for a new record; 0 if memory runs out.
DWORD TakeSlot(std::unique_ptr<CIffFileRecord> record) {
    const TableGuard guard;
    InitTable();
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
    const TableGuard guard;
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

void CIffManager::AllowThreads() {
    g_threads.store(true, std::memory_order_release);
}

void CIffManager::Init() {
    const TableGuard guard;
    InitTable();
}

DWORD CIffManager::GetCapacity() {
    const TableGuard guard;
    InitTable();
    return g_table.capacity;
}

BOOL CIffManager::IsValid(DWORD h) {
    const TableGuard guard;
    return Lookup(h) != nullptr;
}

CIffFileRecord* CIffManager::GetRecord(DWORD h) {
    const TableGuard guard;
    return Lookup(h);
}

DWORD CIffManager::CreateNew(BOOL bNoSaveInPlace) {
    std::unique_ptr<CIffFileRecord> record(new (std::nothrow) CIffFileRecord);
    if (!record) return 0;
    record->m_pFile.reset(new (std::nothrow) CMemFile(1024));
    if (!record->m_pFile) return 0;
    record->m_bMemoryFile = TRUE;
    record->m_bNoSaveInPlace = bNoSaveInPlace;
    return TakeSlot(std::move(record));
}

DWORD CIffManager::OpenFile(CFile* pFile, const std::string& name, BOOL bNoSaveInPlace) {
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
    std::unique_ptr<CIffFileRecord> record;
    {
        const TableGuard guard;
        if (!Lookup(h)) return FALSE;
        record.reset(g_table.slots[h]);
        g_table.slots[h] = nullptr;
    }
    return TRUE;  // the record goes outside the lock: freeing a large one takes a while
}

BOOL CIffManager::Parse(DWORD h, int* pError) {
    return IffReadContainer(h, pError);
}

BOOL CIffManager::ReadChunkHeader(DWORD h, IffChunkHeader* pHeader, DWORD offset) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec || !rec->m_pFile) return FALSE;
    return IffReadChunkHeader(*rec->m_pFile, offset, pHeader);
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
        ChunkList::NodePtr node = list.NewNode();
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
    return rec ? IffLoadChunkData(*rec, *pChunk) : FALSE;
}

BOOL CIffManager::LoadAllChunkData(DWORD h) {
    CIffFileRecord* rec = GetRecord(h);
    return rec ? IffLoadAllChunkData(*rec) : FALSE;
}
