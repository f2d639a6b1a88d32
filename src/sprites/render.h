// Drawing one frame's pixel command stream into colour, depth and alpha planes.
#pragma once

#include "iff/iff_file.h"
#include "platform/types.h"
#include "sprites/spr2.h"

struct CSpriteSurface {
    int nHeight;
    int nWidth;
    BYTE* pColorBits;  // blue, green, red per pixel; rows bottom-up
    int nColorStride;
    BYTE* pDepthBits;
    int nDepthStride;
    BYTE* pAlphaBits;
    int nAlphaStride;
    int nOriginX;
    int nOriginY;
    int nDepthBias;

    void Clear(RGBQUAD rgbBackground, BYTE bDepth);
};

BOOL RenderSpr2Frame(CIffFile* pFile, const Spr2FrameInfo& frame, CSpriteSurface& surface,
                     WORD wFallbackPaletteId);
