// Helpers shared by the reader and the writer: header images and full reads.
#pragma once

#include <cstring>

#include "base/byte_order.h"
#include "base/types.h"
#include "files/file.h"
#include "iff/iff_types.h"

namespace iffio {

// The 64 bytes a saved file starts with (bytes 60..63 later hold the map offset).
inline void CopySaveSignature(BYTE* out64) {
    static const char kText[] = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";  // bytes 0..33
    static const char kTail[] = " KESTREL WARDEN & DUZAD 1";           // bytes 35..59
    static_assert(sizeof(kText) - 1 == 34 && sizeof(kTail) - 1 == 25, "header layout");
    std::memset(out64, 0, 64);
    std::memcpy(out64, kText, 34);
    std::memcpy(out64 + 35, kTail, 25);
}

// The header image a new, empty container holds in memory (never written).
inline void CopyMemorySignature(BYTE* out64) {
    static const char kText[] = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
    static const char kTail[] = " KESTREL WARDEX & DUZAD 1";
    std::memset(out64, 0, 64);
    std::memcpy(out64, kText, 34);
    std::memcpy(out64 + 35, kTail, 25);
}

inline void DecodeChunkHeader(const BYTE* p, IffChunkHeader* h) {
    h->dwType = LoadBE32(p);
    h->dwSize = LoadBE32(p + 4);
    h->wID = LoadBE16(p + 8);
    h->wFlags = LoadBE16(p + 10);
    std::memcpy(h->szName, p + 12, 64);
}

inline void EncodeChunkHeader(const IffChunkHeader& h, BYTE* p) {
    StoreBE32(p, h.dwType);
    StoreBE32(p + 4, h.dwSize);
    StoreBE16(p + 8, h.wID);
    StoreBE16(p + 10, h.wFlags);
    std::memcpy(p + 12, h.szName, 64);
}

// Reads until count bytes arrived or the file gives no more (a file object may hand
// out fewer bytes per call than asked).
inline UINT ReadFullAt(CFile& f, ULONGLONG position, void* buffer, UINT count) {
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        const UINT n = f.ReadAt(position + done, p + done, count - done);
        if (n == 0) break;
        done += n;
    }
    return done;
}

}  // namespace iffio
