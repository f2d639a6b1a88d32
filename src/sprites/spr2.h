// SPR2 sprites: the header block, the frame records and the codec.
#pragma once

#include <memory>
#include <vector>

#include "base/types.h"
#include "iff/iff_file.h"
#include "raster/bitmap.h"
#include "sprites/iff_resource.h"

enum Spr2Command : WORD {
    SPR2_CMD_START_ROW = 0,
    SPR2_CMD_DEPTH_COLOR_RUN = 1,
    SPR2_CMD_DEPTH_COLOR_ALPHA_RUN = 2,
    SPR2_CMD_SKIP_PIXELS = 3,
    SPR2_CMD_SKIP_ROWS = 4,
    SPR2_CMD_END = 5,
    SPR2_CMD_COLOR_RUN = 6,
};

constexpr DWORD SPR2_VERSION = 1000;

// Largest colour bitmap a frame may need: no sprite is that big, and a damaged header
// must not turn into a huge allocation.
constexpr ULONGLONG SPR2_MAX_COLOR_BITMAP_BYTES = 256ull << 20;

struct Spr2Header {
    DWORD dwVersion;
    DWORD dwFrameCount;
    DWORD dwPaletteId;
};

struct Spr2FrameInfo {
    WORD wWidth;
    WORD wHeight;
    DWORD dwFlags;
    WORD wPaletteId;
    WORD wField10;
    WORD wField12;
    WORD wField14;
    BYTE* pData;  // the frame's pixel command stream, owned by the sprite object
    DWORD dwDataSize;
};

// Why a frame is not drawn, in the order drawing checks: no palette, a side of 0, a
// colour bitmap over the limit, a pixel command stream drawing refuses.
enum class FrameFault { None, NoFrame, NoPalette, ZeroSize, TooLarge, Stream };

// What drawing leaves at one pixel of a frame.
struct Spr2Pixel {
    bool bDrawn;  // some command drew it; otherwise the rest is the background's
    BYTE bIndex;  // colour index of the last command that drew it
    BYTE bDepth;
    BYTE bAlpha;
};

// Whether a frame of this size can have bitmaps: neither side 0, and its 24-bit colour
// bitmap (rows padded to 4 bytes) within SPR2_MAX_COLOR_BITMAP_BYTES.
BOOL IsFrameSizeDrawable(WORD wWidth, WORD wHeight);

class CSpr2 : public CIffResource {
public:
    CSpr2();
    ~CSpr2() override;

    DWORD GetType() const override;
    BOOL Decode() override;
    BOOL Encode() override;

    int GetFrameCount() const;
    BOOL GetFrameInfo(Spr2FrameInfo* pInfo, int nFrame) const;
    BOOL SetFrameInfo(const Spr2FrameInfo* pInfo, int nFrame);
    WORD GetPaletteId() const;
    void SetPaletteId(WORD wId);

    BOOL BuildFrameBitmaps(CIffFile* pFile, int nFrame, CBitmap* pColor, CBitmap* pDepth,
                           CBitmap* pAlpha, RGBQUAD rgbBackground, int nOriginX, int nOriginY,
                           int nDepthBias);
    // Whether BuildFrameBitmaps draws this frame from this origin row, when memory for the
    // bitmaps can be had, found without making them. bHasPalette: whether FindPalette
    // finds one for the frame, which a caller may know without loading the palettes.
    BOOL IsFrameDrawable(int nFrame, bool bHasPalette, int nOriginY) const;
    // pStreamAccepted: the stream's answer when the caller already has it (many frames'
    // streams are checked faster at once, with AreSpr2StreamsAccepted).
    FrameFault CheckFrame(int nFrame, bool bHasPalette, int nOriginY,
                          const BOOL* pStreamAccepted = nullptr) const;
    // The pixel (x, y) of the frame as BuildFrameBitmaps draws it from origin (0, 0), found
    // without drawing the rest; FALSE when the frame is not drawn or (x, y) is outside.
    BOOL ProbeFramePixel(CIffFile* pFile, int nFrame, int x, int y, Spr2Pixel* pPixel) const;

    // Header block: Spr2Header followed by the frame offset table as last decoded.
    std::unique_ptr<BYTE[]> m_pHeader;
    DWORD m_dwHeaderSize = 0;
    // Frame records in file order. Their pData point into m_pStreams, one copy of the
    // chunk's data made by Decode, so a sprite costs one buffer however many frames (or,
    // attached for reading, into the chunk's data itself).
    std::vector<Spr2FrameInfo> m_frames;
    std::unique_ptr<BYTE[]> m_pStreams;

    const Spr2Header* GetHeader() const;
    DWORD GetFrameOffset(int i) const;  // table entry i as last decoded; 0 if absent

    // Attach, for looking only: the frames' streams are left in the chunk's data instead
    // of copied, so the chunk must not change while the sprite is in use. Update copies
    // them first.
    BOOL AttachForReading(CIffFile* pFile, CIffChunk* pChunk);

private:
    Spr2Header* Header();
    BOOL MakeHeaderBlock(DWORD nTableEntries);
    void ClearFrames();
    BOOL CopyViewedStreams();

    bool m_bViewNextDecode = false;
    // The chunk data the frames point into when attached for reading, else null.
    const BYTE* m_pViewed = nullptr;
    DWORD m_dwViewedSize = 0;
};
