// Drawing frames: the renderer pixel by pixel in all three planes, the palette lookup, and
// the bitmaps built around them.
#include "sprites/render.h"

#include <gtest/gtest.h>

#include <array>

#include "iff/iff_types.h"
#include "platform/bitmap.h"
#include "sprites/palette.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

constexpr RGBQUAD kBackground{11, 22, 33, 0};
constexpr Rgb kBackgroundRgb{33, 22, 11};

struct Px {
    int x, y, color, depth, alpha;  // y from the top; color: index in TestPalette()
};

// Colour, depth and alpha planes in plain memory, rows bottom-up, with `pad` in the bytes
// past each row's pixels, so that strides, row order and stray writes all show.
struct Planes {
    CSpriteSurface Surface() {
        return {h, w, mem[0].data(), cs, mem[1].data(), gs, mem[2].data(), gs, 0, 0, 0};
    }
    void Put(int x, int y, Rgb c, int depth, int alpha) {
        BYTE* px = &mem[0][size_t(h - 1 - y) * cs + 3 * x];
        std::tie(px[0], px[1], px[2]) = std::make_tuple(c.b, c.g, c.r);
        mem[1][size_t(h - 1 - y) * gs + x] = BYTE(depth);
        mem[2][size_t(h - 1 - y) * gs + x] = BYTE(alpha);
    }

    int w, h, cs, gs;
    BYTE pad;
    std::array<Bytes, 3> mem{Bytes(h * cs, pad), Bytes(h* gs, pad), Bytes(h* gs, pad)};
};

// A cleared surface to draw on, its rows longer than its pixels.
Planes Canvas(int w, int h) {
    Planes p{w, h, 3 * w + 5, w + 3, 0xEE};
    p.Surface().Clear(kBackground, 255);
    return p;
}

// What planes shaped like p must hold: background, depth 255 and alpha 0 but where drawn.
std::array<Bytes, 3> Drawn(const Planes& p, const std::vector<Px>& drawn) {
    Planes want{p.w, p.h, p.cs, p.gs, p.pad};
    for (int i = 0; i < p.w * p.h; ++i) want.Put(i % p.w, i / p.w, kBackgroundRgb, 255, 0);
    for (const Px& d : drawn) want.Put(d.x, d.y, TestColor(d.color), d.depth, d.alpha);
    return want.mem;
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadChunks(iff, {PaltChunk(1, TestPalette())})); }

    // Bytes past the frame's data read as opcode 7, so any read beyond it shows.
    BOOL Render(CSpriteSurface s, const Bytes& stream, WORD paletteId = 1) {
        buffer = stream;
        buffer.insert(buffer.end(), {0xE0, 0xE0, 0xE0, 0xE0});
        const Spr2FrameInfo frame{0, 0, 0, paletteId, 0, 0, 0, buffer.data(), DWORD(stream.size())};
        return RenderSpr2Frame(&iff, frame, s, 0);
    }

    CIffFile iff;
    Bytes buffer;
};

struct StreamCase {
    const char* name;
    int w, h;
    Bytes stream;
    BOOL result;
    std::vector<Px> drawn;
    int originX = 0, originY = 0;
};

class RenderStream : public RenderTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(RenderStream, DrawsExactlyTheseBytes) {
    const StreamCase& c = GetParam();
    Planes p = Canvas(c.w, c.h);
    CSpriteSurface s = p.Surface();
    std::tie(s.nOriginX, s.nOriginY) = std::make_pair(c.originX, c.originY);
    EXPECT_EQ(Render(s, c.stream), c.result);
    EXPECT_EQ(p.mem, Drawn(p, c.drawn));
}

using S = Spr2Stream;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Streams, RenderStream, ::testing::Values(
    StreamCase{"TwoByOne", 2, 1, {0x00, 0x00, 0x02, 0x20, 0x0A, 0x05, 0x14, 0x07, 0x00, 0xA0}, TRUE,
               {{0, 0, 5, 10, 255}, {1, 0, 7, 20, 255}}},
    StreamCase{"RunsBeforeFirstRowOnlyConsumed", 2, 1,
               S().ColorRun({9, 9, 9}).DepthRun({{1, 9}}).SkipPixels(5).StartRow().ColorRun({4}),
               TRUE, {{0, 0, 4, 255, 255}}},
    StreamCase{"OddColorRunPadded", 4, 1, S().StartRow().ColorRun({1, 2, 3}).ColorRun({4}), TRUE,
               {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}, {2, 0, 3, 255, 255}, {3, 0, 4, 255, 255}}},
    StreamCase{"BlendRunOfThreePadded", 4, 1,
               S().StartRow().BlendRun({{5, 1, 0}, {5, 2, 0}, {5, 3, 0}}).DepthRun({{6, 4}}), TRUE,
               {{0, 0, 1, 5, 0}, {1, 0, 2, 5, 0}, {2, 0, 3, 5, 0}, {3, 0, 4, 6, 255}}},
    StreamCase{"StartRowPastLastRowEnds", 1, 1, S().StartRow().ColorRun({3}).StartRow().Command(7, 0),
               TRUE, {{0, 0, 3, 255, 255}}},
    StreamCase{"SkipRowsThenRunOnLastRowEntered", 2, 3, S().SkipRows(2).ColorRun({4, 5}).End(), TRUE,
               {{0, 1, 4, 255, 255}, {1, 1, 5, 255, 255}}},
    StreamCase{"SkipRowsZeroBeforeAnyRowEnds", 1, 1, S().SkipRows(0).StartRow().ColorRun({3}), TRUE, {}},
    StreamCase{"SkipRowsPastBottomEnds", 1, 2, S().SkipRows(3).Command(7, 0), TRUE, {}},
    // Left of column 0 and right of the last column nothing is drawn, parsing goes on; rows
    // above the top are entered but not drawn.
    StreamCase{"Clipping", 2, 2,
               S().StartRow().ColorRun({1}).StartRow().DepthRun({{1, 1}, {2, 2}, {3, 3}, {4, 4}})
                   .StartRow().ColorRun({5, 6}),
               TRUE, {{0, 0, 2, 2, 255}, {1, 0, 3, 3, 255}, {0, 1, 6, 255, 255}}, -1, -1},
    StreamCase{"Opcode7FailsKeepingWhatWasDrawn", 2, 1,
               S().StartRow().ColorRun({1}).Command(7, 0x1FFF).ColorRun({2}), FALSE,
               {{0, 0, 1, 255, 255}}},
    StreamCase{"CommandWordCut", 2, 1, S().StartRow().ColorRun({1, 2}).Raw({0x00}), TRUE,
               {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}}},
    StreamCase{"PayloadCutMidRun", 3, 1, S().StartRow().Command(1, 3).Raw({10, 1, 11, 2, 12}), TRUE,
               {{0, 0, 1, 10, 255}, {1, 0, 2, 11, 255}}},
    StreamCase{"PaddingPastTheEnd", 1, 1, S().StartRow().Command(6, 1).Raw({5}), TRUE,
               {{0, 0, 5, 255, 255}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(RenderTest, DepthTestAcrossFramesAndBias) {
    Planes p = Canvas(4, 1);
    CSpriteSurface s = p.Surface();
    ASSERT_TRUE(Render(s, S().StartRow().DepthRun({{50, 1}, {50, 1}, {50, 1}, {250, 1}})));
    ASSERT_TRUE(Render(s, S().StartRow().DepthRun({{49, 2}, {50, 3}, {51, 4}})));  // not greater
    s.nDepthBias = 10;
    ASSERT_TRUE(Render(s, S().StartRow().DepthRun({{39, 5}, {41, 6}})));
    s.nDepthBias = -20;
    ASSERT_TRUE(Render(s, S().StartRow().SkipPixels(3).DepthRun({{5, 7}})));  // clamped at 0
    EXPECT_EQ(
        p.mem,
        Drawn(p, {{0, 0, 5, 49, 255}, {1, 0, 3, 50, 255}, {2, 0, 1, 50, 255}, {3, 0, 7, 0, 255}}));
}

// TestColor(200) is red 200, green 55, blue 123; the surface is 100, 100, 100.
TEST_F(RenderTest, BlendExactBytes) {
    for (const auto& [weight, oldAlpha, want] : {std::tuple{0, 0, Bytes{123, 55, 200, 0}},
                                                 {128, 0, {111, 77, 149, 63}},
                                                 {128, 255, {111, 77, 149, 191}},
                                                 {255, 0, {99, 100, 99, 0}},
                                                 {255, 255, {99, 100, 99, 255}}}) {
        Planes p = Canvas(1, 1);
        p.Surface().Clear(RGBQUAD{100, 100, 100, 0}, 255);
        p.mem[2][0] = BYTE(oldAlpha);
        ASSERT_TRUE(Render(p.Surface(), S().StartRow().BlendRun({{7, 200, BYTE(weight)}})));
        EXPECT_EQ((Bytes{p.mem[0][0], p.mem[0][1], p.mem[0][2], p.mem[2][0]}), want) << weight;
        EXPECT_EQ(p.mem[1][0], 7);
    }
}

TEST_F(RenderTest, RefusesUnusableSurfacesAndMissingPalettes) {
    const Bytes stream = S().StartRow().ColorRun({1}).End();
    Planes p = Canvas(1, 1);
    std::array<CSpriteSurface, 4> bad;
    bad.fill(p.Surface());
    bad[0].nWidth = bad[1].nHeight = 0;
    bad[2].pColorBits = bad[3].pDepthBits = nullptr;
    for (const CSpriteSurface& s : bad) EXPECT_FALSE(Render(s, stream));
    EXPECT_FALSE(Render(p.Surface(), stream, 2));  // neither palette 2 nor the fallback 0
}

PaltSpec Palt(DWORD version, DWORD colors, size_t size) {
    PaltSpec p = TestPalette();
    std::tie(p.version, p.colorCount, p.size) = std::make_tuple(version, colors, size);
    return p;
}

// The palettes under the frame's ID (41891, an ordinary one here) and under the fallback ID
// 2, by version, colour count and size (0: no such chunk), and the ID of the one found.
TEST(PaletteLookup, FrameFirstFallbackOnlyWhenMissing) {
    using P = std::array<DWORD, 3>;
    constexpr P good{1, 256, 784}, none{};
    // clang-format off
    for (const auto& [own, fallback, found] : {std::tuple{P{1, 256, 1000}, good, 41891},
             {none, good, 2}, {none, none, -1}, {P{2, 256, 784}, good, -1},
             {P{1, 255, 784}, good, -1}, {P{1, 256, 783}, good, -1}, {none, P{0, 256, 784}, -1}}) {
        // clang-format on
        std::vector<ChunkSpec> chunks;
        for (const auto& [id, p] : {std::pair{INVALID_PALETTE_ID, own}, {WORD(2), fallback}})
            if (p[2]) chunks.push_back(PaltChunk(id, Palt(p[0], p[1], p[2])));
        CIffFile iff;
        ASSERT_TRUE(LoadChunks(iff, chunks));
        const CIffChunk* p = FindPalette(&iff, INVALID_PALETTE_ID, 2);
        EXPECT_EQ(p ? p->m_wID : -1, found) << own[0] << " " << own[1] << " " << own[2];
    }
}

class FrameBitmaps : public ::testing::Test {
protected:
    // Sprite 100, palette 1 in the low half of its field: a 5 x 3 frame whose own palette is
    // missing, then frames refused for opcode 7, width 0, a row beyond 256 MiB and palette 2,
    // which is there but unusable.
    void SetUp() override {
        Spr2Grid g(5, 3);
        for (int x = 0; x < 5; ++x) g.Set(x, 0, x + 1, 40);
        g.Set(2, 2, 9);
        const Bytes end = S().End();
        Spr2Spec s;
        s.paletteId = 0x5A5A0001;
        s.frames = {FrameFromGrid(g, 9),
                    {5, 3, 0, 1, 0, 0, 0, S().StartRow().ColorRun({7}).Command(7, 0)},
                    {0, 3, 0, 1, 0, 0, 0, end},
                    {5461, 16385, 0, 1, 0, 0, 0, end},
                    {5, 3, 0, 2, 0, 0, 0, end}};
        ASSERT_TRUE(LoadChunks(iff, {PaltChunk(1, TestPalette()), PaltChunk(2, Palt(1, 256, 700)),
                                     Spr2Chunk(100, s)}));
        CIffChunk* chunk = nullptr;
        ASSERT_TRUE(iff.FindChunk(&chunk, IFF_TYPE_SPR2, 100) && sprite.Attach(&iff, chunk));
    }
    BOOL Build(int nFrame) {
        return sprite.BuildFrameBitmaps(&iff, nFrame, &bmp[0], &bmp[1], &bmp[2], kBackground, 0, 0,
                                        0);
    }

    CIffFile iff;
    CSpr2 sprite;
    CBitmap bmp[3];  // colour, depth, alpha
};

TEST_F(FrameBitmaps, RowsPaddedTopRowLast) {
    ASSERT_TRUE(Build(0));
    Planes got{5, 3, 16, 8, 0};
    for (int i = 0; i < 3; ++i) {
        BITMAP bm{};
        ASSERT_EQ(bmp[i].GetBitmap(&bm), int(sizeof bm));
        ASSERT_EQ(std::make_tuple(bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmBitsPixel),
                  std::make_tuple(5, 3, i ? 8 : 16, WORD(i ? 8 : 24)));
        got.mem[i].assign(static_cast<BYTE*>(bm.bmBits),
                          static_cast<BYTE*>(bm.bmBits) + got.mem[i].size());
    }
    EXPECT_EQ(got.mem, Drawn(got, {{0, 0, 1, 40, 255},
                                   {1, 0, 2, 40, 255},
                                   {2, 0, 3, 40, 255},
                                   {3, 0, 4, 40, 255},
                                   {4, 0, 5, 40, 255},
                                   {2, 2, 9, 255, 255}}));
    EXPECT_EQ(AsBitmap(bmp[2])->colors.at(200).rgbGreen, 200);  // a grey table
}

TEST_F(FrameBitmaps, FailuresLeaveNoBitmapBehind) {
    const size_t live = GetLiveBitmapCount();
    for (int frame : {-1, 1, 2, 3, 4, 5}) {
        EXPECT_FALSE(Build(frame)) << "frame " << frame;
        EXPECT_TRUE(bmp[0].IsEmpty() && bmp[1].IsEmpty() && bmp[2].IsEmpty());
        EXPECT_EQ(GetLiveBitmapCount(), live);
    }
}

TEST(FrameSize, ColourMemoryBound) {
    // clang-format off
    for (const auto& [w, h, ok] : {std::tuple{5461, 16384, TRUE}, {5461, 16385, FALSE},
             {65535, 1365, TRUE}, {65535, 1366, FALSE}, {1, 0, FALSE}, {0, 1, FALSE}}) {
        // clang-format on
        EXPECT_EQ(IsFrameSizeDrawable(WORD(w), WORD(h)), ok) << w << " x " << h;
    }
}

}  // namespace
