// Writing a container back as a version 2.5 file with a fresh resource map.
#pragma once

#include "iff/iff_chunk.h"
#include "iff/iff_types.h"
#include "platform/file.h"
#include "platform/types.h"

BOOL WriteChunks(CFile* pFile, DWORD h);
BOOL WriteResourceMap(CFile* pFile, DWORD h);
IffChunkHeader MakeChunkHeader(const CIffChunk* pChunk);
BOOL WriteChunkHeader(CFile* pFile, const IffChunkHeader& header, DWORD position);
