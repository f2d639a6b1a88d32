// Memory drawing surfaces: a small software raster with solid fills and straight block
// copies between bitmaps, and the paint context of a window.
#pragma once

#include "base/sys_types.h"
#include "base/types.h"
#include "raster/bitmap.h"

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

// A drawing surface. Memory surfaces start with a 1 x 1 bitmap of their own selected;
// a window's paint surface draws on the window's paint target.
struct GdiDC {
    HBITMAP selected = nullptr;
    HBITMAP stock = nullptr;  // memory surfaces: their initial bitmap, owned
    COLORREF bkColor = RGB(255, 255, 255);
    bool isMemory = true;
};

// hdc NULL: compatible with the screen. NULL when memory runs out.
HDC CreateCompatibleDC(HDC hdc);
// A 32-bit bitmap (blue, green, red, unused) of cx x cy, whatever hdc is; NULL when the
// size is not positive or memory runs out.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// Selects a bitmap into a memory surface; returns the one selected before, NULL on
// failure (a window's surface, or no bitmap).
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
COLORREF SetBkColor(HDC hdc, COLORREF color);  // the previous colour; CLR_INVALID on failure
COLORREF GetBkColor(HDC hdc);
// With ETO_OPAQUE, fills rect with the background colour. Text is not drawn: only the
// call without text (count 0) succeeds.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text,
                 UINT count, const int* dx);
// Straight copy (SRCCOPY only) of a cx x cy block from (xSrc, ySrc) to (x, y), clipped
// to both bitmaps. Reads 8-bit (through the colour table), 24- and 32-bit bitmaps,
// writes 24- and 32-bit ones.
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, DWORD rop);
// The cxSrc x cySrc block at (xSrc, ySrc) scaled to cx x cy at (x, y) by nearest neighbour
// (destination pixel i takes source pixel i * cxSrc / cx, rounded down; no blending),
// clipped to the destination; source pixels outside the source are left undrawn. SRCCOPY
// only, the same formats as BitBlt.
BOOL StretchBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, int cxSrc,
                int cySrc, DWORD rop);
BOOL DeleteDC(HDC hdc);  // the bitmap selected last stays alive; the stock one goes
// Draws the icon's image of SM_CXICON size (or its first) with its mask.
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
int GetSystemMetrics(int index);  // SM_CXICON, SM_CYICON: 32

// A pixel of a bitmap as COLORREF, rows counted from the top; CLR_INVALID outside.
COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y);

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;  // the background still needs erasing
    RECT rcPaint;
};

// Owns a memory surface it created (CreateCompatibleDC) or borrows one (Attach).
class CDC {
public:
    CDC() = default;
    virtual ~CDC();

    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* pDC);  // pDC NULL: the screen
    BOOL DeleteDC();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }
    HGDIOBJ SelectObject(CBitmap* pBitmap) { return ::SelectObject(m_hDC, pBitmap->m_hObject); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                    const int* dx = nullptr) {
        return ::ExtTextOutA(m_hDC, x, y, options, rect, text, count, dx);
    }
    BOOL BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, cx, cy, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc,
                    int cySrc, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, cx, cy, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, cxSrc,
                            cySrc, rop);
    }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    void FillSolidRect(const RECT* rect, COLORREF color);  // SetBkColor + opaque ExtTextOut

    HDC m_hDC = nullptr;

protected:
    bool m_bOwned = false;
};
