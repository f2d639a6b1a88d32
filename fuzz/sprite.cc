// The sprite codec and the renderer. The input is a small container of its own, so that
// the fuzzer spends its effort on sprite bytes rather than on IFF headers:
//
//   byte 0            palette count in its low two bits (0..3)
//   per palette       ID (2 bytes LE), length L (2 bytes LE), then L bytes of PALT data
//   the rest          the SPR2 chunk's data
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_order.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "iff/iff_file.h"
#include "iff/iff_manager.h"
#include "iff/iff_types.h"
#include "raster/bitmap.h"
#include "sprites/palette.h"
#include "sprites/render.h"
#include "sprites/spr2.h"

namespace palvane_fuzz {

namespace {

// Frames up to this many pixels are drawn. Larger ones are legal but make runs slow
// without reaching any code a smaller frame does not; the hostile-size tests cover them.
constexpr unsigned long kMaxDrawnPixels = 1u << 16;

CIffChunk* AddLoadedChunk(CIffFile& iff, DWORD type, WORD id, const uint8_t* data, size_t size) {
    IffChunkHeader header{};
    header.dwType = type;
    header.dwSize = static_cast<DWORD>(size);
    header.wID = id;
    header.wFlags = IFF_DEFAULT_FLAGS;
    CIffChunk* chunk = CIffManager::AddChunk(iff.GetHandle(), header, 0);
    FUZZ_CHECK(chunk && chunk->AllocForSize());
    if (size) std::memcpy(chunk->m_pData.get(), data, size);
    chunk->m_bLoaded = TRUE;
    return chunk;
}

struct FrameImage {
    Spr2FrameInfo info;
    std::vector<BYTE> stream;
};

std::vector<FrameImage> Frames(const CSpr2& sprite) {
    std::vector<FrameImage> out;
    for (const Spr2FrameInfo& f : sprite.m_frames) {
        FUZZ_CHECK(f.pData && f.dwDataSize > 0);
        out.push_back({f, std::vector<BYTE>(f.pData, f.pData + f.dwDataSize)});
    }
    return out;
}

bool SameFrames(const std::vector<FrameImage>& a, const std::vector<FrameImage>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const Spr2FrameInfo& x = a[i].info;
        const Spr2FrameInfo& y = b[i].info;
        if (x.wWidth != y.wWidth || x.wHeight != y.wHeight || x.dwFlags != y.dwFlags ||
            x.wPaletteId != y.wPaletteId || x.wField10 != y.wField10 || x.wField12 != y.wField12 ||
            x.wField14 != y.wField14 || a[i].stream != b[i].stream)
            return false;
    }
    return true;
}

bool Drawable(const Spr2FrameInfo& f) {
    return static_cast<unsigned long>(f.wWidth) * f.wHeight <= kMaxDrawnPixels;
}

// The frame drawn from an exact copy of its stream into planes with no row padding, so
// that a read past the stream or a write past a row is caught at once.
void RenderTight(CIffFile& iff, const Spr2FrameInfo& frame, WORD fallback) {
    if (!Drawable(frame) || frame.wWidth == 0 || frame.wHeight == 0) return;
    std::vector<BYTE> stream(frame.pData, frame.pData + frame.dwDataSize);
    const size_t pixels = static_cast<size_t>(frame.wWidth) * frame.wHeight;
    std::vector<BYTE> color(3 * pixels), depth(pixels), alpha(pixels);
    Spr2FrameInfo copy = frame;
    copy.pData = stream.data();
    CSpriteSurface surface{frame.wHeight,
                           frame.wWidth,
                           color.data(),
                           3 * frame.wWidth,
                           depth.data(),
                           frame.wWidth,
                           alpha.data(),
                           frame.wWidth,
                           0,
                           0,
                           0};
    surface.Clear(RGBQUAD{1, 2, 3, 0}, 255);
    const BOOL drawn = RenderSpr2Frame(&iff, copy, surface, fallback);
    // The check without planes must agree with drawing whenever there is a palette.
    if (FindPalette(&iff, frame.wPaletteId, fallback)) {
        FUZZ_CHECK(drawn == IsSpr2StreamAccepted(copy, frame.wHeight, 0));
    }
}

void DrawEveryFrame(CIffFile& iff, CSpr2& sprite) {
    const int records = static_cast<int>(sprite.m_frames.size());
    // The frames' streams checked side by side answer as each checked alone.
    std::vector<Spr2StreamQuery> streams;
    for (const Spr2FrameInfo& f : sprite.m_frames) streams.push_back({&f, f.wHeight, 0, 2});
    AreSpr2StreamsAccepted(streams.data(), streams.size());
    for (const Spr2StreamQuery& q : streams)
        FUZZ_CHECK(q.bAccepted == IsSpr2StreamAccepted(*q.pFrame, q.nHeight, 0));
    for (int i = 0; i < records; ++i) {
        Spr2FrameInfo info{};
        if (!sprite.GetFrameInfo(&info, i)) continue;
        RenderTight(iff, info, sprite.GetPaletteId());
        if (!Drawable(info)) continue;
        CBitmap color, depth, alpha;
        const BOOL built = sprite.BuildFrameBitmaps(&iff, i, &color, &depth, &alpha,
                                                    RGBQUAD{10, 20, 30, 0}, 0, 0, 0);
        // All three bitmaps or none.
        FUZZ_CHECK(color.IsEmpty() == !built && depth.IsEmpty() == !built &&
                   alpha.IsEmpty() == !built);
        if (built) {
            BITMAP bm{};
            FUZZ_CHECK(GetObject(color.GetSafeHandle(), sizeof bm, &bm) != 0);
            FUZZ_CHECK(bm.bmWidth == info.wWidth && bm.bmHeight == info.wHeight);
        }
    }
}

}  // namespace

int SpriteOneInput(const uint8_t* data, size_t size) {
    static CIffFile iff;
    iff.Reset();
    size_t pos = 0;
    const int palettes = size ? data[pos++] & 3 : 0;
    for (int p = 0; p < palettes && size - pos >= 4; ++p) {
        const WORD id = LoadLE16(data + pos);
        const size_t length = std::min<size_t>(LoadLE16(data + pos + 2), size - pos - 4);
        pos += 4;
        AddLoadedChunk(iff, IFF_TYPE_PALT, id, data + pos, length);
        pos += length;
    }
    CIffChunk* chunk = AddLoadedChunk(iff, IFF_TYPE_SPR2, 1, data + pos, size - pos);

    CSpr2 sprite;
    if (sprite.Attach(&iff, chunk)) {
        const std::vector<FrameImage> decoded = Frames(sprite);
        // A count of 0 or less decodes to no frames.
        FUZZ_CHECK(static_cast<size_t>(std::max(sprite.GetFrameCount(), 0)) == decoded.size());
        const DWORD paletteId = sprite.GetHeader()->dwPaletteId;
        FUZZ_CHECK(sprite.Update());

        CSpr2 again;
        FUZZ_CHECK(again.Attach(&iff, chunk));
        FUZZ_CHECK(again.GetHeader()->dwPaletteId == paletteId);
        FUZZ_CHECK(SameFrames(Frames(again), decoded));
        DrawEveryFrame(iff, again);
    } else {
        // What a failed decode leaves must still be safe to look at.
        DrawEveryFrame(iff, sprite);
    }
    iff.Reset();
    return 0;
}

}  // namespace palvane_fuzz
