#include "sprites/render.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "base/byte_order.h"
#include "sprites/palette.h"

namespace {

// The single-precision value nearest 1/255 (bits 0x3B808081), exactly, as a double. Blends
// use it rather than 1/255 so that weight 255 lands where the format's files expect.
constexpr double kInv255 = 8421505.0 / 2147483648.0;

constexpr DWORD kPaletteColorsOffset = 16;

// new + (old - new) * w * k, truncated toward zero. With w <= 255 the product stays
// within one part in 10^7 of (old - new), so the result is always 0..255.
inline BYTE Blend(int newValue, int oldValue, int w) {
    return static_cast<BYTE>(static_cast<int>(newValue + (oldValue - newValue) * w * kInv255));
}

// Where the current row's pixels live in each plane; null while nothing may be drawn.
struct RowPointers {
    BYTE* color = nullptr;
    BYTE* depth = nullptr;
    BYTE* alpha = nullptr;
    WORD* index = nullptr;
};

struct DrawContext {
    const BYTE* palette;  // 256 red, green, blue triples
    int depthBias;
};

inline void PutColor(BYTE* px, const BYTE* rgb) {
    px[0] = rgb[2];
    px[1] = rgb[1];
    px[2] = rgb[0];
}

inline bool DepthTest(const DrawContext& ctx, BYTE* depth, BYTE z) {
    const int d = z + ctx.depthBias;
    if (d > *depth) return false;
    *depth = static_cast<BYTE>(std::clamp(d, 0, 255));
    return true;
}

struct DepthColorPixel {
    static constexpr size_t kPayload = 2;  // depth, colour index
    static void Draw(const DrawContext& ctx, const RowPointers& row, long long x, const BYTE* p) {
        if (!DepthTest(ctx, row.depth + x, p[0])) return;
        PutColor(row.color + 3 * x, ctx.palette + 3 * p[1]);
        if (row.alpha) row.alpha[x] = 255;
        if (row.index) row.index[x] = p[1];
    }
};

struct DepthColorAlphaPixel {
    static constexpr size_t kPayload = 3;  // depth, colour index, weight
    static void Draw(const DrawContext& ctx, const RowPointers& row, long long x, const BYTE* p) {
        if (!DepthTest(ctx, row.depth + x, p[0])) return;
        const BYTE* rgb = ctx.palette + 3 * p[1];
        const int w = p[2];
        BYTE* px = row.color + 3 * x;
        px[0] = Blend(rgb[2], px[0], w);
        px[1] = Blend(rgb[1], px[1], w);
        px[2] = Blend(rgb[0], px[2], w);
        if (row.alpha) row.alpha[x] = Blend(w, row.alpha[x], w);
        if (row.index) row.index[x] = p[1];
    }
};

struct ColorPixel {
    static constexpr size_t kPayload = 1;  // colour index
    static void Draw(const DrawContext& ctx, const RowPointers& row, long long x, const BYTE* p) {
        PutColor(row.color + 3 * x, ctx.palette + 3 * p[0]);
        if (row.alpha) row.alpha[x] = 255;
        if (row.index) row.index[x] = p[0];
    }
};

class FrameRenderer {
public:
    FrameRenderer(const CSpriteSurface& surface, const Spr2FrameInfo& frame, const BYTE* palette)
        : m_s(surface),
          m_data(frame.pData),
          m_size(frame.pData ? frame.dwDataSize : 0),
          m_ctx{palette, surface.nDepthBias},
          m_nextRow(surface.nOriginY) {}

    // Kept inside each caller: drawing is much slower from a copy of its own, which must
    // assume the pixels it writes may overwrite the fields it reads.
    [[gnu::always_inline]] BOOL Run() {
        for (;;) {
            // Also covers the padding after an odd payload stepping past the end.
            if (m_pos + 2 > m_size) return TRUE;
            const WORD word = LoadLE16(m_data + m_pos);
            m_pos += 2;
            const unsigned count = word & 0x1FFF;
            switch (word >> 13) {
                case SPR2_CMD_START_ROW:
                    if (m_nextRow >= m_s.nHeight) return TRUE;
                    EnterRow(m_nextRow);
                    break;
                case SPR2_CMD_SKIP_ROWS:
                    if (count) EnterRow(m_nextRow + count - 1);
                    if (!m_entered || m_row >= m_s.nHeight) return TRUE;
                    break;
                case SPR2_CMD_SKIP_PIXELS:
                    m_col += count;
                    break;
                case SPR2_CMD_END:
                    return TRUE;
                case SPR2_CMD_DEPTH_COLOR_RUN:
                    if (!DrawRun<DepthColorPixel>(count)) return TRUE;
                    break;
                case SPR2_CMD_DEPTH_COLOR_ALPHA_RUN:
                    if (!DrawRun<DepthColorAlphaPixel>(count)) return TRUE;
                    break;
                case SPR2_CMD_COLOR_RUN:
                    if (!DrawRun<ColorPixel>(count)) return TRUE;
                    break;
                default:
                    return FALSE;
            }
        }
    }

private:
    void EnterRow(long long row) {
        m_entered = true;
        m_row = row;
        m_nextRow = row + 1;
        m_col = m_s.nOriginX;
        // Rows above the top (a negative origin) are entered but never drawn; on a
        // surface without planes nothing is.
        if (row < 0 || row >= m_s.nHeight || !m_s.pColorBits) {
            m_rows = RowPointers{};
            return;
        }
        const std::ptrdiff_t bottomUp = m_s.nHeight - 1 - row;
        m_rows.color = m_s.pColorBits + bottomUp * m_s.nColorStride;
        m_rows.depth = m_s.pDepthBits + bottomUp * m_s.nDepthStride;
        m_rows.alpha = m_s.pAlphaBits ? m_s.pAlphaBits + bottomUp * m_s.nAlphaStride : nullptr;
        m_rows.index = m_s.pIndexBits ? m_s.pIndexBits + bottomUp * m_s.nIndexStride : nullptr;
    }

    // Draws the visible part of a run; false when its payload runs out before the end,
    // which ends the frame after the pixels that did fit.
    template <typename Pixel>
    bool DrawRun(unsigned count) {
        const size_t whole = (m_size - m_pos) / Pixel::kPayload;
        const long long fit = static_cast<long long>(std::min<size_t>(count, whole));
        if (m_rows.color) {
            const long long first = std::max(0LL, -m_col);
            const long long last = std::min(fit, m_s.nWidth - m_col);
            const BYTE* p = m_data + m_pos;
            for (long long i = first; i < last; ++i) {
                Pixel::Draw(m_ctx, m_rows, m_col + i, p + i * Pixel::kPayload);
            }
        }
        if (fit < count) return false;
        const size_t payload = count * Pixel::kPayload;
        m_pos += payload + (payload & 1);
        m_col += count;
        return true;
    }

    const CSpriteSurface& m_s;
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    DrawContext m_ctx;
    long long m_nextRow;
    long long m_row = 0;
    bool m_entered = false;
    long long m_col = 0;
    RowPointers m_rows;
};

// How far a command word moves a walk that only follows the commands' lengths: the word
// and its payload, padded to even; 0 where the walk stops (the end command, an unknown one).
inline unsigned CommandStep(unsigned word) {
    const unsigned count = word & 0x1FFF;
    switch (word >> 13) {
        case SPR2_CMD_DEPTH_COLOR_RUN:
            return 2 + 2 * count;
        case SPR2_CMD_DEPTH_COLOR_ALPHA_RUN:
            return 2 + 3 * count + (count & 1);
        case SPR2_CMD_COLOR_RUN:
            return 2 + count + (count & 1);
        case SPR2_CMD_START_ROW:
        case SPR2_CMD_SKIP_ROWS:
        case SPR2_CMD_SKIP_PIXELS:
            return 2;
        default:
            return 0;
    }
}

// Drawing refuses a stream only at an unknown command. Every other way it stops (a row
// past the last, the end command, a run or a command word cut short) accepts it, and none
// of them moves it off the command positions this walk visits: drawing meets a prefix of
// these commands. So a stream whose walk here meets no unknown command is accepted,
// whatever the rows, and only the others need the full walk. This one is about half as
// much work per command, which is most of what checking a folder spends.
bool MeetsUnknownCommand(const Spr2FrameInfo& frame) {
    const BYTE* data = frame.pData;
    const size_t size = data ? frame.dwDataSize : 0;
    for (size_t pos = 0; pos + 2 <= size;) {
        const WORD word = LoadLE16(data + pos);
        const unsigned step = CommandStep(word);
        if (step == 0) return word >> 13 != SPR2_CMD_END;
        pos += step;
    }
    return false;
}

// The whole walk drawing makes, on rows only.
BOOL WalkLikeDrawing(const Spr2FrameInfo& frame, int nHeight, int nOriginY) {
    const CSpriteSurface rows{nHeight, 1, nullptr, 0, nullptr, 0, nullptr, 0, 0, nOriginY, 0};
    return FrameRenderer(rows, frame, nullptr).Run();
}

// CommandStep for every word, looked up rather than branched on.
struct StepTable {
    WORD step[0x10000];
    StepTable() {
        for (unsigned word = 0; word < 0x10000; ++word)
            step[word] = static_cast<WORD>(CommandStep(word));
    }
};

// MeetsUnknownCommand's walk over many streams at once. One walk waits on each command
// word before it can find the next; several side by side keep the processor busy, and a
// table lookup per word leaves nothing to mispredict. A lane whose stream ends takes the
// next one; one with none left stands still on a harmless word.
class StreamLanes {
public:
    StreamLanes(Spr2StreamQuery* queries, size_t count) : m_queries(queries), m_count(count) {}

    void Run() {
        static const StepTable table;
        for (int l = 0; l < kLanes; ++l) TakeNext(l);
        while (m_live > 0) {
            for (bool go = true; go;) {
                for (int l = 0; l < kLanes; ++l) {
                    const unsigned step = table.step[LoadLE16(m_data[l] + m_pos[l])];
                    m_pos[l] += step & m_moves[l];
                    go &= (step != 0) & (m_pos[l] < m_limit[l]);
                }
            }
            for (int l = 0; l < kLanes; ++l) {
                if (!m_moves[l]) continue;
                const bool inside = m_pos[l] < m_limit[l];
                if (inside && table.step[LoadLE16(m_data[l] + m_pos[l])] != 0) continue;
                Spr2StreamQuery& q = m_queries[m_query[l]];
                q.bAccepted = !inside || LoadLE16(m_data[l] + m_pos[l]) >> 13 == SPR2_CMD_END ||
                                      WalkLikeDrawing(*q.pFrame, q.nHeight, q.nOriginY);
                --m_live;
                TakeNext(l);
            }
        }
    }

private:
    static constexpr int kLanes = 8;

    void TakeNext(int l) {
        static const BYTE idle[2] = {0x00, SPR2_CMD_SKIP_PIXELS << 5};
        while (m_next < m_count) {
            Spr2StreamQuery& q = m_queries[m_next];
            const size_t size = q.pFrame->pData ? q.pFrame->dwDataSize : 0;
            if (q.nHeight <= 0 || size < 2) {
                q.bAccepted = q.nHeight > 0;
                ++m_next;
                continue;
            }
            m_data[l] = q.pFrame->pData;
            m_pos[l] = 0;
            m_limit[l] = size - 1;  // a word starts before it
            m_moves[l] = ~size_t{0};
            m_query[l] = m_next++;
            ++m_live;
            return;
        }
        m_data[l] = idle;
        m_pos[l] = 0;
        m_limit[l] = 1;
        m_moves[l] = 0;
    }

    Spr2StreamQuery* m_queries;
    size_t m_count;
    size_t m_next = 0;
    int m_live = 0;
    const BYTE* m_data[kLanes];
    size_t m_pos[kLanes];
    size_t m_limit[kLanes];
    size_t m_moves[kLanes];  // all ones while the lane has a stream, else 0
    size_t m_query[kLanes];
};

}  // namespace

void CSpriteSurface::Clear(RGBQUAD rgbBackground, BYTE bDepth) {
    if (nWidth <= 0 || nHeight <= 0) return;
    for (int r = 0; r < nHeight; ++r) {
        if (pColorBits) {
            BYTE* px = pColorBits + static_cast<std::ptrdiff_t>(r) * nColorStride;
            for (int x = 0; x < nWidth; ++x, px += 3) {
                px[0] = rgbBackground.rgbBlue;
                px[1] = rgbBackground.rgbGreen;
                px[2] = rgbBackground.rgbRed;
            }
        }
        if (pDepthBits) {
            std::memset(pDepthBits + static_cast<std::ptrdiff_t>(r) * nDepthStride, bDepth,
                        static_cast<size_t>(nWidth));
        }
        if (pAlphaBits) {
            std::memset(pAlphaBits + static_cast<std::ptrdiff_t>(r) * nAlphaStride, 0,
                        static_cast<size_t>(nWidth));
        }
        if (pIndexBits) {
            WORD* row = pIndexBits + static_cast<std::ptrdiff_t>(r) * nIndexStride;
            std::fill(row, row + nWidth, kNoIndex);
        }
    }
}

BOOL RenderSpr2Frame(CIffFile* pFile, const Spr2FrameInfo& frame, CSpriteSurface& surface,
                     WORD wFallbackPaletteId) {
    if (surface.nHeight <= 0 || surface.nWidth <= 0 || !surface.pColorBits || !surface.pDepthBits) {
        return FALSE;
    }
    const CIffChunk* pPalette = FindPalette(pFile, frame.wPaletteId, wFallbackPaletteId);
    if (!pPalette) return FALSE;
    FrameRenderer renderer(surface, frame, pPalette->m_pData.get() + kPaletteColorsOffset);
    return renderer.Run();
}

BOOL IsSpr2StreamAccepted(const Spr2FrameInfo& frame, int nHeight, int nOriginY) {
    if (nHeight <= 0) return FALSE;
    return !MeetsUnknownCommand(frame) || WalkLikeDrawing(frame, nHeight, nOriginY);
}

void AreSpr2StreamsAccepted(Spr2StreamQuery* pQueries, size_t nCount) {
    StreamLanes(pQueries, nCount).Run();
}
