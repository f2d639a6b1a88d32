// Drawing one frame's pixel command stream into colour, depth and alpha planes.
#pragma once

#include "base/types.h"
#include "iff/iff_file.h"
#include "sprites/spr2.h"

constexpr WORD kNoIndex = 0xFFFF;

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
    // Optional: the colour index each pixel was last drawn with, kNoIndex where none was.
    WORD* pIndexBits = nullptr;
    int nIndexStride = 0;  // in entries

    void Clear(RGBQUAD rgbBackground, BYTE bDepth);
};

BOOL RenderSpr2Frame(CIffFile* pFile, const Spr2FrameInfo& frame, CSpriteSurface& surface,
                     WORD wFallbackPaletteId);

// Whether RenderSpr2Frame accepts the frame's command stream on a surface of nHeight rows
// drawn from row nOriginY on (any width). The commands are walked the same way, with
// nothing drawn.
BOOL IsSpr2StreamAccepted(const Spr2FrameInfo& frame, int nHeight, int nOriginY);

// IsSpr2StreamAccepted for many frames at once, about twice as fast as one by one.
struct Spr2StreamQuery {
    const Spr2FrameInfo* pFrame;
    int nHeight;
    int nOriginY;
    BOOL bAccepted;  // the answer
};
void AreSpr2StreamsAccepted(Spr2StreamQuery* pQueries, size_t nCount);
