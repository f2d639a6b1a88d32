#include "iff/iff_file.h"

#include <algorithm>
#include <cstdint>

#include "iff/iff_chunk_list.h"
#include "iff/iff_writer.h"

namespace {

using ChunkList = IffChunkList;

// Type-list positions are index + 1, so that the first entry is not NULL.
POSITION IndexToPos(size_t i) {
    return reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(i + 1));
}
size_t PosToIndex(POSITION p) {
    return static_cast<size_t>(reinterpret_cast<std::uintptr_t>(p)) - 1;
}

}  // namespace

CIffFile::CIffFile() {
    m_handle = CIffManager::CreateNew(TRUE);
}

CIffFile::~CIffFile() {
    if (m_bOwnsHandle) CIffManager::Close(m_handle);
    m_typeList.clear();
}

BOOL CIffFile::Reset() {
    if (!CIffManager::Close(m_handle)) return FALSE;
    m_bOwnsHandle = TRUE;
    m_handle = CIffManager::CreateNew(TRUE);
    if (m_handle) RebuildTypeList();
    return TRUE;
}

BOOL CIffFile::Attach(DWORD h) {
    if (!CIffManager::IsValid(h)) return FALSE;
    // Attaching to the container already held must not close it first.
    if (m_bOwnsHandle && h != m_handle) CIffManager::Close(m_handle);
    m_bOwnsHandle = FALSE;
    m_handle = h;
    RebuildTypeList();
    return TRUE;
}

BOOL CIffFile::Load(CFile* pFile, int* pError) {
    if (!pFile) return FALSE;
    const DWORD h = CIffManager::OpenFile(pFile, pFile->GetFileName(), FALSE);
    if (!Attach(h)) return FALSE;
    if (!CIffManager::Parse(m_handle, pError)) return FALSE;
    RebuildTypeList();
    return TRUE;
}

BOOL CIffFile::Save(CFile* pFile) {
    return CIffManager::Save(pFile, m_handle);
}

BOOL CIffFile::SaveMatchesFile() const {
    return IffSaveMatchesFile(m_handle);
}

BOOL CIffFile::LoadAllChunkData() {
    return CIffManager::LoadAllChunkData(m_handle);
}

BOOL CIffFile::LoadChunkData(CIffChunk* pChunk) {
    if (!CIffManager::IsValid(m_handle)) return FALSE;
    return CIffManager::LoadChunkData(m_handle, pChunk);
}

void CIffFile::LoadChunkDataOfType(DWORD type) {
    if (CIffFileRecord* rec = GetRecord()) IffLoadChunkDataOfType(*rec, type);
}

void CIffFile::VisitChunkDataOfType(DWORD type, const IffChunkDataVisitor& visit) const {
    if (CIffFileRecord* rec = GetRecord()) IffVisitChunkDataOfType(*rec, type, visit);
}

std::string CIffFile::GetVersion() const {
    const CIffFileRecord* rec = GetRecord();
    return rec ? std::string(reinterpret_cast<const char*>(rec->m_header) + 9, 3) : std::string();
}

void CIffFile::RebuildTypeList() {
    m_typeList.clear();
    const CIffFileRecord* rec = GetRecord();
    if (rec) rec->m_chunks->TypesInListOrder(m_typeList);
}

POSITION CIffFile::GetTypeListHead() const {
    return m_typeList.empty() ? nullptr : IndexToPos(0);
}

DWORD CIffFile::GetNextType(POSITION& pos) const {
    if (!pos) return 0;
    const size_t i = PosToIndex(pos);
    if (i >= m_typeList.size()) {
        pos = nullptr;
        return 0;
    }
    pos = i + 1 < m_typeList.size() ? IndexToPos(i + 1) : nullptr;
    return m_typeList[i];
}

int CIffFile::GetTypeCount() const {
    return static_cast<int>(m_typeList.size());
}

POSITION CIffFile::FindFirstOfType(DWORD type) const {
    const CIffFileRecord* rec = GetRecord();
    if (!rec) return nullptr;
    const ChunkList::TypeIndex* t = rec->m_chunks->Type(type);
    return t ? ChunkList::ToPos(t->head) : nullptr;
}

CIffChunk* CIffFile::GetNextOfType(POSITION& pos) const {
    ChunkList::Node* n = ChunkList::FromPos(pos);
    if (!n || !CIffManager::IsValid(m_handle)) return nullptr;
    pos = ChunkList::ToPos(n->nextOfType);
    return &n->chunk;
}

POSITION CIffFile::FindLowestIdOfType(DWORD type) const {
    const CIffFileRecord* rec = GetRecord();
    if (!rec) return nullptr;
    const ChunkList::TypeIndex* t = rec->m_chunks->Type(type);
    return t ? ChunkList::ToPos(t->byId.First()) : nullptr;
}

CIffChunk* CIffFile::GetNextByIdOfType(POSITION& pos) const {
    ChunkList::Node* n = ChunkList::FromPos(pos);
    if (!n || !CIffManager::IsValid(m_handle)) return nullptr;
    pos = ChunkList::ToPos(n->typeIndex->byId.NextAfter(n->id));
    return &n->chunk;
}

int CIffFile::CountOfType(DWORD type, BOOL bOnlyLoaded) const {
    const CIffFileRecord* rec = GetRecord();
    if (!rec) return 0;
    const ChunkList::TypeIndex* t = rec->m_chunks->Type(type);
    if (!t) return 0;
    if (!bOnlyLoaded) return t->count;
    int n = 0;
    for (const ChunkList::Node* c = t->head; c; c = c->nextOfType) n += c->chunk.m_bLoaded ? 1 : 0;
    return n;
}

BOOL CIffFile::FindChunk(CIffChunk** ppChunk, DWORD type, WORD id) const {
    const CIffFileRecord* rec = GetRecord();
    if (!rec || !ppChunk) return FALSE;
    ChunkList::Node* n = rec->m_chunks->Find(type, id);
    if (!n) return FALSE;
    *ppChunk = &n->chunk;
    return TRUE;
}
