#include <array>

#include "raster/bitmap.h"
#include "sprites/palette.h"
#include "sprites/render.h"
#include "sprites/spr2.h"

namespace {

const std::array<RGBQUAD, 256>& GreyTable() {
    static const std::array<RGBQUAD, 256> table = [] {
        std::array<RGBQUAD, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const BYTE v = static_cast<BYTE>(i);
            t[i] = RGBQUAD{v, v, v, 0};
        }
        return t;
    }();
    return table;
}

struct Plane {
    BYTE* bits;
    int stride;
    int width;
    int height;
};

Plane Describe(const CBitmap& bmp) {
    DIBSECTION ds{};
    GetObject(bmp.GetSafeHandle(), sizeof ds, &ds);
    return Plane{static_cast<BYTE*>(ds.dsBm.bmBits), ds.dsBm.bmWidthBytes, ds.dsBm.bmWidth,
                 ds.dsBm.bmHeight};
}

}  // namespace

BOOL IsFrameSizeDrawable(WORD wWidth, WORD wHeight) {
    const ULONGLONG colorRow = (3ull * wWidth + 3) & ~3ull;
    return wWidth != 0 && wHeight != 0 && colorRow * wHeight <= SPR2_MAX_COLOR_BITMAP_BYTES;
}

BOOL CSpr2::BuildFrameBitmaps(CIffFile* pFile, int nFrame, CBitmap* pColor, CBitmap* pDepth,
                              CBitmap* pAlpha, RGBQUAD rgbBackground, int nOriginX, int nOriginY,
                              int nDepthBias) {
    if (!pColor || !pDepth || !pAlpha || !pColor->IsEmpty() || !pDepth->IsEmpty() ||
        !pAlpha->IsEmpty()) {
        return FALSE;
    }
    Spr2FrameInfo frame;
    if (!GetFrameInfo(&frame, nFrame)) return FALSE;
    const bool hasPalette = FindPalette(pFile, frame.wPaletteId, GetPaletteId()) != nullptr;
    if (!IsFrameDrawable(nFrame, hasPalette, nOriginY)) return FALSE;

    // Held locally until the frame is drawn: any failure deletes whatever was created.
    CBitmap color, depth, alpha;
    const BITMAPINFOHEADER colorHeader = MakeBitmapInfoHeader(frame.wWidth, frame.wHeight, 24);
    const BITMAPINFOHEADER greyHeader = MakeBitmapInfoHeader(frame.wWidth, frame.wHeight, 8);
    void* bits = nullptr;
    if (!color.Attach(
            CreateDIBSection(nullptr, &colorHeader, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0)) ||
        !depth.Attach(CreateDIBSection(nullptr, &greyHeader, GreyTable().data(), DIB_RGB_COLORS,
                                       &bits, nullptr, 0)) ||
        !alpha.Attach(CreateDIBSection(nullptr, &greyHeader, GreyTable().data(), DIB_RGB_COLORS,
                                       &bits, nullptr, 0))) {
        return FALSE;
    }

    const Plane c = Describe(color);
    const Plane d = Describe(depth);
    const Plane a = Describe(alpha);
    CSpriteSurface surface{c.height, c.width,  c.bits,   c.stride, d.bits,    d.stride,
                           a.bits,   a.stride, nOriginX, nOriginY, nDepthBias};
    surface.Clear(rgbBackground, 255);
    if (!RenderSpr2Frame(pFile, frame, surface, GetPaletteId())) return FALSE;

    pColor->Attach(color.Detach());
    pDepth->Attach(depth.Detach());
    pAlpha->Attach(alpha.Detach());
    return TRUE;
}

BOOL CSpr2::IsFrameDrawable(int nFrame, bool bHasPalette, int nOriginY) const {
    return CheckFrame(nFrame, bHasPalette, nOriginY) == FrameFault::None;
}

FrameFault CSpr2::CheckFrame(int nFrame, bool bHasPalette, int nOriginY,
                             const BOOL* pStreamAccepted) const {
    Spr2FrameInfo frame;
    if (!GetFrameInfo(&frame, nFrame)) return FrameFault::NoFrame;
    if (!bHasPalette) return FrameFault::NoPalette;
    if (frame.wWidth == 0 || frame.wHeight == 0) return FrameFault::ZeroSize;
    if (!IsFrameSizeDrawable(frame.wWidth, frame.wHeight)) return FrameFault::TooLarge;
    const BOOL accepted =
        pStreamAccepted ? *pStreamAccepted : IsSpr2StreamAccepted(frame, frame.wHeight, nOriginY);
    if (!accepted) return FrameFault::Stream;
    return FrameFault::None;
}

BOOL CSpr2::ProbeFramePixel(CIffFile* pFile, int nFrame, int x, int y, Spr2Pixel* pPixel) const {
    Spr2FrameInfo frame;
    if (!pPixel || !GetFrameInfo(&frame, nFrame) || x < 0 || y < 0 || x >= frame.wWidth ||
        y >= frame.wHeight)
        return FALSE;
    const bool hasPalette = FindPalette(pFile, frame.wPaletteId, GetPaletteId()) != nullptr;
    if (!IsFrameDrawable(nFrame, hasPalette, 0)) return FALSE;
    // A one-pixel surface whose origin puts (x, y) on it: pixels never affect each other,
    // so it ends up as that pixel of the whole frame.
    BYTE color[3] = {};
    BYTE depth = 0, alpha = 0;
    WORD index = kNoIndex;
    CSpriteSurface surface{1, 1, color, 3, &depth, 1, &alpha, 1, -x, -y, 0};
    surface.pIndexBits = &index;
    surface.Clear(RGBQUAD{}, 255);
    if (!RenderSpr2Frame(pFile, frame, surface, GetPaletteId())) return FALSE;
    *pPixel = Spr2Pixel{index != kNoIndex, static_cast<BYTE>(index), depth, alpha};
    return TRUE;
}
