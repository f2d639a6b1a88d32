// Reading chunk data into memory. Small chunks that lie close together on disk come out
// of one large read; every outcome is still that of reading each chunk by itself.
#pragma once

#include <functional>

#include "base/types.h"
#include "iff/iff_chunk.h"

class CIffFileRecord;

// One chunk's data; TRUE at once for a loaded chunk. Never throws.
BOOL IffLoadChunkData(CIffFileRecord& rec, CIffChunk& chunk);
// Every chunk in list order; stops at the first failure.
BOOL IffLoadAllChunkData(CIffFileRecord& rec);
// What it can of the chunks of the type; those that fail stay unloaded.
void IffLoadChunkDataOfType(CIffFileRecord& rec, DWORD type);

// Hands every chunk of the type to the visitor with its data and leaves the chunks as
// they are: a loaded chunk's data in memory; otherwise its bytes in the file, read in few
// large reads into a buffer that is reused (valid during the call), or NULL where loading
// the chunk would fail.
using IffChunkDataVisitor = std::function<void(const CIffChunk&, const BYTE*)>;
void IffVisitChunkDataOfType(CIffFileRecord& rec, DWORD type, const IffChunkDataVisitor& visit);
