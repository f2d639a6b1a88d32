// Device-independent bitmaps in ordinary memory: bottom-up rows padded to 4 bytes,
// pixel memory zeroed, an optional colour table. A CBitmap owns one handle.
#pragma once

#include <cstddef>
#include <vector>

#include "base/types.h"

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: bottom-up rows
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    void* dshSection;
    DWORD dsOffset;
};

// The object behind a bitmap handle. Pixel rows are bottom-up, `stride` bytes apart.
struct GdiBitmap {
    GdiBitmap() = default;
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;

    LONG width = 0;
    LONG height = 0;
    WORD bitCount = 0;
    LONG stride = 0;
    BYTE* bits = nullptr;  // zeroed at creation, owned
    std::vector<RGBQUAD> colors;
    BITMAPINFOHEADER header{};
    bool isDibSection = false;
    ~GdiBitmap();  // frees the pixel memory and forgets the handle
};

using HGDIOBJ = void*;
using HBITMAP = GdiBitmap*;
using HDC = struct GdiDC*;

// Makes the object behind a bitmap handle; NULL when the size is unusable or memory
// runs out. Shared by CreateDIBSection and the drawing surfaces. Width and height must be
// positive, bitCount 1, 4, 8, 16, 24 or 32, and nColors 0 to 256 (colors may be NULL:
// no table). At most 2 GiB of pixel memory.
HBITMAP CreateBitmapObject(LONG width, LONG height, WORD bitCount, const RGBQUAD* colors,
                           int nColors);

// The bitmap behind a handle, or NULL when h is not a live bitmap handle.
HBITMAP AsBitmap(HGDIOBJ h);

// Bitmaps created and not yet deleted, for leak checks.
size_t GetLiveBitmapCount();

// Bottom-up (positive height), BI_RGB, usage DIB_RGB_COLORS; hSection must be NULL and
// An uncompressed bitmap header: size 40, one plane, 0 in every other field.
BITMAPINFOHEADER MakeBitmapInfoHeader(LONG width, LONG height, WORD bitCount);

// hdc is not used. colors may be NULL; otherwise it holds biClrUsed entries (for 8 bits
// or fewer, 0 means 2^biBitCount). *ppvBits receives the pixel memory, NULL on failure.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFOHEADER* pHeader, const RGBQUAD* colors,
                         UINT usage, void** ppvBits, void* hSection, DWORD offset);

// cb = sizeof(BITMAP) or sizeof(DIBSECTION) (the latter only for DIB sections; other
// bitmaps fill a BITMAP); returns the bytes written, 0 on failure. pv NULL: the size
// that would be written. bmBits is the pixel memory of every bitmap.
int GetObject(HGDIOBJ h, int cb, void* pv);
BOOL DeleteObject(HGDIOBJ h);  // FALSE for a handle that is not a live bitmap

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();  // deletes the object it holds

    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    BOOL Attach(HGDIOBJ h);  // FALSE when it already holds one or h is NULL
    HGDIOBJ Detach();
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* pBitmap) const;
    bool IsEmpty() const { return m_hObject == nullptr; }
};
