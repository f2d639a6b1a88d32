// A resource object: bound to one chunk of an open container, decoding it into an
// editable object and encoding itself back into the same chunk.
#pragma once

#include "base/types.h"
#include "iff/iff_chunk.h"
#include "iff/iff_file.h"

class CIffResource {
public:
    CIffResource();  // owns a fresh, empty chunk
    virtual ~CIffResource();

    CIffResource(const CIffResource&) = delete;
    CIffResource& operator=(const CIffResource&) = delete;

    virtual CIffResource& Copy(const CIffResource& src);
    virtual DWORD GetType() const;
    virtual BOOL Decode();
    virtual BOOL Encode();

    BOOL Attach(CIffFile* pFile, CIffChunk* pChunk);
    BOOL Update();

    CIffChunk* m_pChunk;
    BOOL m_bOwnsChunk;
};
