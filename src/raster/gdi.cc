#include "raster/gdi.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/icon.h"

namespace {

bool Drawable(HBITMAP b) {
    return b && b->bits && (b->bitCount == 24 || b->bitCount == 32);
}

// Rows are stored bottom-up; y counts from the top.
BYTE* Row(HBITMAP b, LONG y) {
    return b->bits + static_cast<std::ptrdiff_t>(b->height - 1 - y) * b->stride;
}

void StorePixel(BYTE* p, int bytesPerPixel, BYTE blue, BYTE green, BYTE red) {
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    if (bytesPerPixel == 4) p[3] = 0;
}

// Clips a span [pos, pos + len) to [0, limit); moves the other side's position along.
void ClipSpan(long long& pos, long long& other, long long& len, long long limit) {
    if (pos < 0) {
        other -= pos;
        len += pos;
        pos = 0;
    }
    len = std::min(len, limit - pos);
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
    (void)hdc;
    HBITMAP stock = CreateBitmapObject(1, 1, 32, nullptr, 0);
    if (!stock) return nullptr;
    auto* dc = new GdiDC;
    dc->stock = stock;
    dc->selected = stock;
    return dc;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    (void)hdc;
    if (cx <= 0 || cy <= 0) return nullptr;
    return CreateBitmapObject(cx, cy, 32, nullptr, 0);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    if (!hdc || !h || !hdc->isMemory) return nullptr;
    HBITMAP previous = hdc->selected;
    hdc->selected = static_cast<HBITMAP>(h);
    return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    if (!hdc) return CLR_INVALID;
    const COLORREF previous = hdc->bkColor;
    hdc->bkColor = color;
    return previous;
}

COLORREF GetBkColor(HDC hdc) {
    return hdc ? hdc->bkColor : CLR_INVALID;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text,
                 UINT count, const int* dx) {
    (void)x;
    (void)y;
    (void)text;
    (void)dx;
    if (!hdc || !Drawable(hdc->selected)) return FALSE;
    HBITMAP b = hdc->selected;
    if ((options & ETO_OPAQUE) && rect) {
        const LONG left = std::max<LONG>(rect->left, 0);
        const LONG top = std::max<LONG>(rect->top, 0);
        const LONG right = std::min<LONG>(rect->right, b->width);
        const LONG bottom = std::min<LONG>(rect->bottom, b->height);
        const int bpp = b->bitCount / 8;
        const COLORREF c = hdc->bkColor;
        for (LONG row = top; row < bottom; ++row) {
            BYTE* p = Row(b, row) + static_cast<std::ptrdiff_t>(left) * bpp;
            for (LONG col = left; col < right; ++col, p += bpp)
                StorePixel(p, bpp, GetBValue(c), GetGValue(c), GetRValue(c));
        }
    }
    return count == 0;  // no fonts here: text is never drawn
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, DWORD rop) {
    if (rop != SRCCOPY || !hdc || !hdcSrc || cx < 0 || cy < 0) return FALSE;
    HBITMAP dst = hdc->selected;
    HBITMAP src = hdcSrc->selected;
    if (!Drawable(dst) || !src || !src->bits) return FALSE;
    const int srcBits = src->bitCount;
    if (srcBits != 8 && srcBits != 24 && srcBits != 32) return FALSE;

    long long dx = x, dy = y, sx = xSrc, sy = ySrc, w = cx, h = cy;
    ClipSpan(sx, dx, w, src->width);
    ClipSpan(dx, sx, w, dst->width);
    ClipSpan(sy, dy, h, src->height);
    ClipSpan(dy, sy, h, dst->height);
    if (w <= 0 || h <= 0) return TRUE;

    const int dstBpp = dst->bitCount / 8;
    if (srcBits == dst->bitCount) {
        // Same format: whole rows at a time; a copy within one bitmap may overlap.
        const std::size_t bytes = static_cast<std::size_t>(w) * dstBpp;
        const bool upward = src == dst && dy > sy;
        for (long long n = 0; n < h; ++n) {
            const long long r = upward ? h - 1 - n : n;
            std::memmove(Row(dst, static_cast<LONG>(dy + r)) + dx * dstBpp,
                         Row(src, static_cast<LONG>(sy + r)) + sx * dstBpp, bytes);
        }
        return TRUE;
    }
    const int srcBpp = srcBits / 8;
    const auto& colors = src->colors;
    for (long long r = 0; r < h; ++r) {
        const BYTE* s = Row(src, static_cast<LONG>(sy + r)) + sx * srcBpp;
        BYTE* d = Row(dst, static_cast<LONG>(dy + r)) + dx * dstBpp;
        for (long long i = 0; i < w; ++i, s += srcBpp, d += dstBpp) {
            if (srcBpp == 1) {
                const RGBQUAD q = *s < colors.size() ? colors[*s] : RGBQUAD{0, 0, 0, 0};
                StorePixel(d, dstBpp, q.rgbBlue, q.rgbGreen, q.rgbRed);
            } else {
                StorePixel(d, dstBpp, s[0], s[1], s[2]);
            }
        }
    }
    return TRUE;
}

BOOL StretchBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, int cxSrc,
                int cySrc, DWORD rop) {
    if (rop != SRCCOPY || !hdc || !hdcSrc || cx < 0 || cy < 0 || cxSrc < 0 || cySrc < 0)
        return FALSE;
    HBITMAP dst = hdc->selected;
    HBITMAP src = hdcSrc->selected;
    if (!Drawable(dst) || !src || !src->bits) return FALSE;
    const int srcBits = src->bitCount;
    if (srcBits != 8 && srcBits != 24 && srcBits != 32) return FALSE;

    // Only the part of the destination inside its bitmap is visited, however large cx is.
    const long long left = std::max<long long>(x, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + cx, dst->width);
    const long long top = std::max<long long>(y, 0);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + cy, dst->height);
    if (left >= right || top >= bottom) return TRUE;
    auto sourceOf = [](long long i, long long from, long long n, long long total) {
        return from + i * n / total;
    };
    std::vector<long long> columns(static_cast<std::size_t>(right - left));
    for (long long d = left; d < right; ++d)
        columns[static_cast<std::size_t>(d - left)] = sourceOf(d - x, xSrc, cxSrc, cx);

    const int dstBpp = dst->bitCount / 8;
    const int srcBpp = srcBits / 8;
    const auto& colors = src->colors;
    for (long long d = top; d < bottom; ++d) {
        const long long sy = sourceOf(d - y, ySrc, cySrc, cy);
        if (sy < 0 || sy >= src->height) continue;
        const BYTE* s = Row(src, static_cast<LONG>(sy));
        BYTE* p = Row(dst, static_cast<LONG>(d)) + left * dstBpp;
        for (std::size_t i = 0; i < columns.size(); ++i, p += dstBpp) {
            const long long sx = columns[i];
            if (sx < 0 || sx >= src->width) continue;
            const BYTE* q = s + sx * srcBpp;
            if (srcBpp == 1) {
                const RGBQUAD c = *q < colors.size() ? colors[*q] : RGBQUAD{0, 0, 0, 0};
                StorePixel(p, dstBpp, c.rgbBlue, c.rgbGreen, c.rgbRed);
            } else {
                StorePixel(p, dstBpp, q[0], q[1], q[2]);
            }
        }
    }
    return TRUE;
}

BOOL DeleteDC(HDC hdc) {
    if (!hdc) return FALSE;
    DeleteObject(hdc->stock);
    delete hdc;
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    if (!hdc || !Drawable(hdc->selected)) return FALSE;
    const IconImage* image = FindIconImage(icon, GetSystemMetrics(SM_CXICON));
    if (!image) return FALSE;
    const std::size_t pixels = static_cast<std::size_t>(image->width) * image->height;
    if (image->indices.size() < pixels) return FALSE;
    HBITMAP b = hdc->selected;
    const int bpp = b->bitCount / 8;
    for (int row = 0; row < image->height; ++row) {
        const long long ty = static_cast<long long>(y) + row;
        if (ty < 0 || ty >= b->height) continue;
        for (int col = 0; col < image->width; ++col) {
            const long long tx = static_cast<long long>(x) + col;
            if (tx < 0 || tx >= b->width) continue;
            const std::size_t i = static_cast<std::size_t>(row) * image->width + col;
            if (i < image->mask.size() && image->mask[i]) continue;
            const BYTE index = image->indices[i];
            if (index >= image->colors.size()) continue;
            const RGBQUAD q = image->colors[index];
            StorePixel(Row(b, static_cast<LONG>(ty)) + tx * bpp, bpp, q.rgbBlue, q.rgbGreen,
                       q.rgbRed);
        }
    }
    return TRUE;
}

int GetSystemMetrics(int index) {
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

COLORREF GetBitmapPixel(HBITMAP b, int x, int y) {
    if (!b || !b->bits || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
    const BYTE* row = Row(b, y);
    switch (b->bitCount) {
        case 8: {
            const BYTE index = row[x];
            if (index >= b->colors.size()) return CLR_INVALID;
            const RGBQUAD q = b->colors[index];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        case 24:
        case 32: {
            const BYTE* p = row + static_cast<std::ptrdiff_t>(x) * (b->bitCount / 8);
            return RGB(p[2], p[1], p[0]);
        }
        default:
            return CLR_INVALID;
    }
}

// --- CDC ---------------------------------------------------------------------------

CDC::~CDC() {
    DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC) return FALSE;
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_bOwned;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    if (m_bOwned) ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_bOwned = false;
    return TRUE;
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    SetBkColor(color);
    ExtTextOut(0, 0, ETO_OPAQUE, rect, nullptr, 0);
}
