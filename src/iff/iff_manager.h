// The process-wide table of open containers, addressed by integer handles, and the
// record of one open container. Reading a file into a container is iff_reader's job,
// loading chunk data iff_chunk_loader's, writing one back iff_writer's.
#pragma once

#include <memory>
#include <string>

#include "base/types.h"
#include "files/file.h"
#include "iff/iff_chunk.h"
#include "iff/iff_types.h"

// The chunk list and its indexes (iff/iff_chunk_list.h).
struct IffChunkList;

// One open container: header image, file object and chunk list (owned).
class CIffFileRecord {
public:
    CIffFileRecord();
    ~CIffFileRecord();  // closes (unless a memory file) and deletes the file; destroys the chunks

    CIffFileRecord(const CIffFileRecord&) = delete;
    CIffFileRecord& operator=(const CIffFileRecord&) = delete;

    // The chunk list in order, as the writer and the type walks see it.
    POSITION GetHeadPosition() const;
    CIffChunk* GetNext(POSITION& pos) const;  // the chunk at pos; pos moves on (NULL at the end)
    int GetCount() const;

    std::string m_strFileName;
    BOOL m_bMemoryFile = FALSE;
    BOOL m_bNoSaveInPlace = FALSE;
    BYTE m_header[64];
    DWORD m_dwFileLength = 0;
    std::unique_ptr<CFile> m_pFile;

    // Chunk list and its indexes live behind this.
    std::unique_ptr<IffChunkList> m_chunks;
};

class CIffManager {
public:
    CIffManager();
    ~CIffManager();  // closes every container still open

    static void Init();
    // From now on the table is locked around every use, so that threads may each open,
    // use and close containers of their own. Call before a second thread starts.
    static void AllowThreads();

    static BOOL IsValid(DWORD h);
    static CIffFileRecord* GetRecord(DWORD h);
    static DWORD CreateNew(BOOL bNoSaveInPlace);
    static DWORD OpenFile(CFile* pFile, const std::string& name, BOOL bNoSaveInPlace);
    static BOOL Close(DWORD h);
    static BOOL Parse(DWORD h, int* pError);
    static BOOL ReadChunkHeader(DWORD h, IffChunkHeader* pHeader, DWORD offset);
    static CIffChunk* AddChunk(DWORD h, const IffChunkHeader& header, DWORD dataOffset);
    static POSITION FindChunkNode(DWORD h, DWORD type, WORD id);
    static BOOL RemoveChunk(DWORD h, DWORD type, WORD id);
    static BOOL LoadChunkData(DWORD h, CIffChunk* pChunk);
    static BOOL LoadAllChunkData(DWORD h);  // in list order; stops at the first failure
    static BOOL Save(CFile* pFile, DWORD h);

    static DWORD GetCapacity();  // slots in the table, slot 0 included

    static constexpr DWORD INIT_MARKER = 0x856;
    static constexpr DWORD GROW_BY = 64;
};
