// Loads and stores of little- and big-endian integers from byte buffers. All reading
// of file bytes goes through these; structs are never cast onto file data.
#pragma once

#include "base/types.h"

inline WORD LoadLE16(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}
inline DWORD LoadLE32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}
inline WORD LoadBE16(const BYTE* p) {
    return static_cast<WORD>((p[0] << 8) | p[1]);
}
inline DWORD LoadBE32(const BYTE* p) {
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
           (static_cast<DWORD>(p[2]) << 8) | static_cast<DWORD>(p[3]);
}

inline void StoreLE16(BYTE* p, WORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}
inline void StoreLE32(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}
inline void StoreBE16(BYTE* p, WORD v) {
    p[0] = static_cast<BYTE>(v >> 8);
    p[1] = static_cast<BYTE>(v);
}
inline void StoreBE32(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v >> 24);
    p[1] = static_cast<BYTE>(v >> 16);
    p[2] = static_cast<BYTE>(v >> 8);
    p[3] = static_cast<BYTE>(v);
}
