// One pixel of a frame told without drawing the frame, and why a palette or a frame is not
// drawn: what the dialog's status line reads.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "raster/gdi.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"
#include "builders/spr2_builder.h"

using namespace builders;
using S = Spr2Stream;

namespace {

ChunkSpec BadPalette(WORD id, DWORD version, DWORD colors, size_t size) {
    PaltSpec p;
    p.version = version, p.colorCount = colors, p.size = size;
    return PaltChunk(id, p);
}

// Every pixel of a frame that uses every command (depth, colour and blended runs, row and
// pixel skips) probed one by one: the same depth, alpha and colour as the whole frame
// drawn; nothing outside it or on a frame that is not drawn.
TEST(PixelProbe, EachPixelAsTheWholeFrameDrawsIt) {
    const RGBQUAD bg{7, 8, 9, 0};
    Spr2Spec s;
    s.paletteId = 1;
    const Bytes stream = S().StartRow()
                             .DepthRun({{40, 1}, {40, 2}, {200, 3}})
                             .SkipPixels(1)
                             .BlendRun({{9, 3, 128}})
                             .StartRow()
                             .ColorRun({4, 5})
                             .SkipRows(1)
                             .SkipPixels(2)
                             .BlendRun({{50, 6, 0}, {50, 7, 255}})
                             .StartRow()
                             .DepthRun({{10, 8}, {20, 9}})
                             .End();
    s.frames = {{5, 5, 0, 1, 0, 0, 0, stream}, {5, 5, 0, 1, 0, 0, 0, S().Command(7, 0)}};
    CIffFile iff;
    CIffChunk* chunk = nullptr;
    CSpr2 sprite;
    ASSERT_TRUE(LoadChunks(iff, {PaltChunk(1, TestPalette()), Spr2Chunk(100, s)}) &&
                iff.FindChunk(&chunk, IFF_TYPE_SPR2, 100) && sprite.Attach(&iff, chunk));
    CBitmap bmp[3];
    ASSERT_TRUE(sprite.BuildFrameBitmaps(&iff, 0, &bmp[0], &bmp[1], &bmp[2], bg, 0, 0, 0));
    int drawn = 0;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            Spr2Pixel px{};
            ASSERT_TRUE(sprite.ProbeFramePixel(&iff, 0, x, y, &px));
            const COLORREF depth = GetBitmapPixel(bmp[1], x, y),
                           alpha = GetBitmapPixel(bmp[2], x, y);
            EXPECT_EQ(px.bDepth, GetRValue(depth)) << x << "," << y;
            EXPECT_EQ(px.bAlpha, GetRValue(alpha)) << x << "," << y;
            const COLORREF color = GetBitmapPixel(bmp[0], x, y);
            if (!px.bDrawn) {
                EXPECT_EQ(color, RGB(bg.rgbRed, bg.rgbGreen, bg.rgbBlue)) << x << "," << y;
                continue;
            }
            ++drawn;
            const Rgb c = TestColor(px.bIndex);
            if (px.bAlpha == 255) {
                EXPECT_EQ(color, RGB(c.r, c.g, c.b)) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(drawn, 10);
    Spr2Pixel px{};
    for (const auto& [frame, x, y] :
         std::vector<std::tuple<int, int, int>>{{0, 5, 0}, {0, 0, -1}, {0, -1, 0}, {1, 0, 0}})
        EXPECT_FALSE(sprite.ProbeFramePixel(&iff, frame, x, y, &px)) << frame << x << y;
}

// Which palette a frame resolves to and, for one that cannot be used, why.
TEST(PixelProbe, PaletteChoiceSaysWhichAndWhy) {
    CIffFile iff;
    ASSERT_TRUE(LoadChunks(
        iff, {PaltChunk(1, TestPalette()), BadPalette(2, 3, 256, 784), BadPalette(3, 1, 16, 784),
              BadPalette(4, 1, 256, 700), BadPalette(5, 1, 256, 4)}));
    struct Case {
        WORD own, common;
        int chosen;
        bool fallback;
        PaletteFault fault;
        DWORD value;  // the version, colour count or size the fault is about
    };
    for (const Case& c : std::vector<Case>{{1, 2, 1, false, PaletteFault::None, 0},
                                           {9, 1, 1, true, PaletteFault::None, 0},
                                           {9, 8, -1, false, PaletteFault::Unreadable, 0},
                                           {2, 1, 2, false, PaletteFault::Version, 3},
                                           {9, 3, 3, true, PaletteFault::ColorCount, 16},
                                           {4, 1, 4, false, PaletteFault::Length, 700},
                                           {5, 1, 5, false, PaletteFault::Length, 4}}) {
        const PaletteChoice got = ChoosePalette(&iff, c.own, c.common);
        EXPECT_EQ(got.pChunk ? got.pChunk->m_wID : -1, c.chosen) << c.own;
        EXPECT_EQ(got.bFallback, c.fallback) << c.own;
        EXPECT_EQ(got.check.fault, c.fault) << c.own;
        const DWORD value = c.fault == PaletteFault::Version      ? got.check.dwVersion
                            : c.fault == PaletteFault::ColorCount ? got.check.dwColors
                            : c.fault == PaletteFault::Length     ? got.check.dwSize
                                                                  : 0;
        EXPECT_EQ(value, c.value) << c.own;
    }
}

}  // namespace
