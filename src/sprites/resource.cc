#include "sprites/resource.h"

#include <cstring>

CIffResource::CIffResource() : m_pChunk(new CIffChunk), m_bOwnsChunk(TRUE) {}

CIffResource::~CIffResource() {
    if (m_bOwnsChunk) delete m_pChunk;
}

CIffResource& CIffResource::Copy(const CIffResource& src) {
    if (&src == this) return *this;
    CIffChunk* pChunk = src.m_pChunk;
    if (src.m_bOwnsChunk) {
        // Built in full before the old chunk goes, so a failed allocation changes nothing.
        auto copy = std::make_unique<CIffChunk>();
        const CIffChunk& from = *src.m_pChunk;
        copy->m_dwType = from.m_dwType;
        copy->m_wID = from.m_wID;
        copy->m_wFlags = from.m_wFlags;
        copy->m_strName = from.m_strName;
        copy->m_dwSize = from.m_dwSize;
        copy->m_dwPos = from.m_dwPos;
        copy->m_dwDataOffset = from.m_dwDataOffset;
        copy->m_bLoaded = from.m_bLoaded;
        copy->m_dwCapacity = from.m_dwCapacity;
        copy->m_pData.reset();
        if (from.m_pData && from.m_dwCapacity) {
            copy->m_pData = std::make_unique<BYTE[]>(from.m_dwCapacity);
            std::memcpy(copy->m_pData.get(), from.m_pData.get(), from.m_dwCapacity);
        } else {
            copy->m_dwCapacity = 0;
        }
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
