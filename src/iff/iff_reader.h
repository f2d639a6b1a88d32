// Reading a container from its file: the header, the resource map and the sequential
// scan, which fill the chunk list while the chunks' data stays on disk. The mirror of
// iff_writer.h.
#pragma once

#include "base/types.h"
#include "files/file.h"
#include "iff/iff_types.h"

// Reads the header of container h's file, then adds the chunks its map lists and those
// the scan finds (CIffManager::Parse). File errors while reading the header pass to the
// caller; later ones end the map walk or the scan where they happen.
BOOL IffReadContainer(DWORD h, int* pError);

// The chunk header at offset; FALSE when the file fails or ends before 76 bytes.
BOOL IffReadChunkHeader(CFile& file, DWORD offset, IffChunkHeader* pHeader);
