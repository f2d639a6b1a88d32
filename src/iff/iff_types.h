// Chunk type values and the 76-byte chunk header record.
#pragma once

#include "base/types.h"

// The four type characters read as a big-endian number.
constexpr DWORD MakeIffType(char a, char b, char c, char d) {
    return (static_cast<DWORD>(static_cast<BYTE>(a)) << 24) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 8) |
           static_cast<DWORD>(static_cast<BYTE>(d));
}

constexpr DWORD IFF_TYPE_SPR2 = 0x53505232;  // "SPR2"
constexpr DWORD IFF_TYPE_PALT = 0x50414C54;  // "PALT"
constexpr DWORD IFF_TYPE_RSMP = 0x72736D70;  // "rsmp"

constexpr DWORD IFF_FILE_HEADER_SIZE = 64;
constexpr DWORD IFF_CHUNK_HEADER_SIZE = 76;
constexpr DWORD IFF_MAX_CHUNK_SIZE = 0x40000000;  // whole chunk, header included
constexpr WORD IFF_DEFAULT_FLAGS = 0x0010;
constexpr WORD IFF_FLAG_SKIP_SCAN = 0x0004;  // the sequential scan passes over the chunk

// Error codes written through Parse's / Load's optional out-parameter.
constexpr int IFF_ERROR_SIGNATURE = 3;
constexpr int IFF_ERROR_VERSION = 4;
constexpr int IFF_ERROR_HANDLE = 5;

// A chunk header in machine byte order.
struct IffChunkHeader {
    DWORD dwType;
    DWORD dwSize;
    WORD wID;
    WORD wFlags;
    char szName[64];
};
