// Writing a container back as a version 2.5 file with a fresh resource map.
#pragma once

#include "base/types.h"
#include "files/file.h"
#include "iff/iff_chunk.h"
#include "iff/iff_types.h"

class CWriteBuffer;

BOOL WriteChunks(CFile* pFile, DWORD h);
BOOL WriteResourceMap(CFile* pFile, DWORD h);
IffChunkHeader MakeChunkHeader(const CIffChunk* pChunk);
BOOL WriteChunkHeader(CFile* pFile, const IffChunkHeader& header, DWORD position);

// Offsets in the file are 32-bit: a saved file must stay below 4 GiB.
constexpr ULONGLONG kIffSizeLimit = 0x100000000ull;

// The length a save of container h would give, map included (0 for an invalid handle).
ULONGLONG IffSavedSize(DWORD h);

// Header, chunks and map into pFile, as a save to an explicit target does. File errors
// while truncating and writing the header or the map pass to the caller; those while
// writing a chunk give FALSE, the target holding the header and the chunks before it.
BOOL IffWriteContainer(CFile* pFile, DWORD h);
// The same through a buffer: each part's bytes reach the buffer's target before the next
// part begins, so that a failed write shows in the part it belongs to.
BOOL IffWriteContainer(CWriteBuffer& out, DWORD h);

// Whether a save of container h would write exactly the bytes its own file holds now, so
// that the save can be left out. Every chunk must be loaded. FALSE when it cannot tell.
// Reads the file in large blocks and holds none of the new bytes; the container is left
// as it was.
BOOL IffSaveMatchesFile(DWORD h);
