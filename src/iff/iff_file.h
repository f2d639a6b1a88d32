// The container object the program holds: a handle into CIffManager with loading,
// saving, lookups and the two type walks.
#pragma once

#include <string>
#include <vector>

#include "base/types.h"
#include "files/file.h"
#include "iff/iff_chunk.h"
#include "iff/iff_chunk_loader.h"
#include "iff/iff_manager.h"

class CIffFile {
public:
    CIffFile();           // a new empty container of its own
    virtual ~CIffFile();  // closes the container if owned

    CIffFile(const CIffFile&) = delete;
    CIffFile& operator=(const CIffFile&) = delete;

    BOOL Reset();
    BOOL Attach(DWORD h);
    BOOL Load(CFile* pFile, int* pError);
    BOOL Save(CFile* pFile);  // NULL: the container's own file, saved safely in place
    // Whether Save(NULL) would write the very bytes the file holds (see IffSaveMatchesFile).
    BOOL SaveMatchesFile() const;

    BOOL LoadAllChunkData();
    BOOL LoadChunkData(CIffChunk* pChunk);
    // What it can of the chunks of the type, in few large reads; failures stay unloaded.
    void LoadChunkDataOfType(DWORD type);
    // Every chunk of the type with its data, loading none (see IffVisitChunkDataOfType).
    void VisitChunkDataOfType(DWORD type, const IffChunkDataVisitor& visit) const;

    // The three version characters of the file's header ("2.0", "2.5"), as read by the
    // last Load, also when Load refused the version; those of a new container otherwise.
    std::string GetVersion() const;

    void RebuildTypeList();
    POSITION GetTypeListHead() const;
    DWORD GetNextType(POSITION& pos) const;  // the type at pos; pos moves on
    int GetTypeCount() const;

    POSITION FindFirstOfType(DWORD type) const;
    CIffChunk* GetNextOfType(POSITION& pos) const;
    POSITION FindLowestIdOfType(DWORD type) const;
    CIffChunk* GetNextByIdOfType(POSITION& pos) const;
    int CountOfType(DWORD type, BOOL bOnlyLoaded) const;
    BOOL FindChunk(CIffChunk** ppChunk, DWORD type, WORD id) const;

    DWORD GetHandle() const { return m_handle; }
    CIffFileRecord* GetRecord() const { return CIffManager::GetRecord(m_handle); }

    std::vector<DWORD> m_typeList;
    DWORD m_handle = 0;
    BOOL m_bOwnsHandle = TRUE;
};
