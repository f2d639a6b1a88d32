#include "raster/bitmap.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace {

// Live bitmap handles, so that a stale or foreign handle is refused instead of freed.
std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::unordered_set<const GdiBitmap*>& Registry() {
    static auto* live = new std::unordered_set<const GdiBitmap*>;  // outlives static bitmaps
    return *live;
}

constexpr ULONGLONG kMaxPixelBytes = 0x80000000ull;

bool IsSupportedBitCount(WORD bitCount) {
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return true;
        default:
            return false;
    }
}

}  // namespace

GdiBitmap::~GdiBitmap() {
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        Registry().erase(this);
    }
    std::free(bits);
}

HBITMAP CreateBitmapObject(LONG width, LONG height, WORD bitCount, const RGBQUAD* colors,
                           int nColors) {
    if (width <= 0 || height <= 0 || !IsSupportedBitCount(bitCount) || nColors < 0 ||
        nColors > 256) {
        return nullptr;
    }
    const ULONGLONG stride = (static_cast<ULONGLONG>(width) * bitCount + 31) / 32 * 4;
    const ULONGLONG total = stride * static_cast<ULONGLONG>(height);  // both < 2^38: no wrap
    if (total > kMaxPixelBytes) return nullptr;

    auto* bmp = new (std::nothrow) GdiBitmap;
    if (!bmp) return nullptr;
    // calloc: large bitmaps get fresh zero pages instead of a memset.
    bmp->bits = static_cast<BYTE*>(std::calloc(static_cast<size_t>(total), 1));
    if (!bmp->bits) {
        delete bmp;
        return nullptr;
    }
    bmp->width = width;
    bmp->height = height;
    bmp->bitCount = bitCount;
    bmp->stride = static_cast<LONG>(stride);
    try {
        if (colors) bmp->colors.assign(colors, colors + nColors);
        std::lock_guard<std::mutex> lock(RegistryMutex());
        Registry().insert(bmp);
    } catch (const std::bad_alloc&) {
        delete bmp;
        return nullptr;
    }
    BITMAPINFOHEADER& h = bmp->header;
    h = MakeBitmapInfoHeader(width, height, bitCount);
    h.biSizeImage = static_cast<DWORD>(total);
    h.biClrUsed = static_cast<DWORD>(bmp->colors.size());
    return bmp;
}

BITMAPINFOHEADER MakeBitmapInfoHeader(LONG width, LONG height, WORD bitCount) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = BI_RGB;
    return h;
}

HBITMAP AsBitmap(HGDIOBJ h) {
    if (!h) return nullptr;
    auto* bmp = static_cast<GdiBitmap*>(h);
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return Registry().count(bmp) ? bmp : nullptr;
}

size_t GetLiveBitmapCount() {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return Registry().size();
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFOHEADER* pHeader, const RGBQUAD* colors, UINT usage,
                         void** ppvBits, void* hSection, DWORD) {
    if (ppvBits) *ppvBits = nullptr;
    if (!pHeader || pHeader->biSize < sizeof(BITMAPINFOHEADER) || pHeader->biPlanes != 1 ||
        pHeader->biCompression != BI_RGB || usage != DIB_RGB_COLORS || hSection) {
        return nullptr;
    }
    int nColors = 0;
    if (colors) {
        const WORD bits = pHeader->biBitCount;
        const DWORD maxColors = bits <= 8 ? (1u << bits) : 256;
        const DWORD used = pHeader->biClrUsed ? pHeader->biClrUsed : (bits <= 8 ? maxColors : 0);
        if (used > maxColors) return nullptr;
        nColors = static_cast<int>(used);
    }
    HBITMAP bmp = CreateBitmapObject(pHeader->biWidth, pHeader->biHeight, pHeader->biBitCount,
                                     colors, nColors);
    if (!bmp) return nullptr;
    bmp->isDibSection = true;
    bmp->header.biXPelsPerMeter = pHeader->biXPelsPerMeter;
    bmp->header.biYPelsPerMeter = pHeader->biYPelsPerMeter;
    bmp->header.biClrImportant = pHeader->biClrImportant;
    if (ppvBits) *ppvBits = bmp->bits;
    return bmp;
}

int GetObject(HGDIOBJ h, int cb, void* pv) {
    const GdiBitmap* bmp = AsBitmap(h);
    if (!bmp) return 0;
    const bool wantSection =
        bmp->isDibSection && (!pv || cb >= static_cast<int>(sizeof(DIBSECTION)));
    const int size = wantSection ? static_cast<int>(sizeof(DIBSECTION)) : sizeof(BITMAP);
    if (!pv) return size;
    if (cb < static_cast<int>(sizeof(BITMAP))) return 0;

    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = bmp->width;
    bm.bmHeight = bmp->height;
    bm.bmWidthBytes = bmp->stride;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = bmp->bitCount;
    bm.bmBits = bmp->bits;
    if (!wantSection) {
        std::memcpy(pv, &bm, sizeof bm);
        return size;
    }
    DIBSECTION ds{};
    ds.dsBm = bm;
    ds.dsBmih = bmp->header;
    std::memcpy(pv, &ds, sizeof ds);
    return size;
}

BOOL DeleteObject(HGDIOBJ h) {
    GdiBitmap* bmp = AsBitmap(h);
    if (!bmp) return FALSE;
    delete bmp;
    return TRUE;
}

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ h) {
    if (m_hObject || !h) return FALSE;
    m_hObject = h;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    HGDIOBJ h = Detach();
    return ::DeleteObject(h);
}

int CBitmap::GetBitmap(BITMAP* pBitmap) const {
    return ::GetObject(m_hObject, sizeof(BITMAP), pBitmap);
}
