#include "sprites/iff_resource.h"

#include <new>

CIffResource::CIffResource() : m_pChunk(new CIffChunk), m_bOwnsChunk(TRUE) {}

CIffResource::~CIffResource() {
    if (m_bOwnsChunk) delete m_pChunk;
}

CIffResource& CIffResource::Copy(const CIffResource& src) {
    if (&src == this) return *this;
    CIffChunk* pChunk = src.m_pChunk;
    if (src.m_bOwnsChunk) {
        // Built in full before the old chunk goes, so a failed allocation changes nothing.
        auto copy = src.m_pChunk->Clone();
        if (!copy) throw std::bad_alloc();
        pChunk = copy.release();
    }
    if (m_bOwnsChunk) delete m_pChunk;
    m_pChunk = pChunk;
    m_bOwnsChunk = src.m_bOwnsChunk;
    return *this;
}

DWORD CIffResource::GetType() const {
    return 0;
}

BOOL CIffResource::Decode() {
    return TRUE;
}

BOOL CIffResource::Encode() {
    return TRUE;
}

BOOL CIffResource::Attach(CIffFile* pFile, CIffChunk* pChunk) {
    if (!pFile || !pChunk) return FALSE;
    if (m_bOwnsChunk) delete m_pChunk;
    m_bOwnsChunk = FALSE;
    m_pChunk = pChunk;
    if (!pFile->LoadChunkData(pChunk)) return FALSE;
    pChunk->m_dwPos = 0;
    return Decode();
}

BOOL CIffResource::Update() {
    if (m_bOwnsChunk) return FALSE;
    return Encode();
}
