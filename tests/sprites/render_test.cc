#include "sprites/render.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

constexpr WORD kPalette = 1;
constexpr RGBQUAD kBackground{11, 22, 33, 0};
constexpr BYTE kSentinel = 0xEE;  // row padding: never written

// Planes in plain memory with padded rows, so that strides and row order are checked.
struct Planes {
    Planes(int w, int h)
        : width(w),
          height(h),
          cs(3 * w + 5),
          gs(w + 3),
          color(static_cast<size_t>(h) * cs, kSentinel),
          depth(static_cast<size_t>(h) * gs, kSentinel),
          alpha(static_cast<size_t>(h) * gs, kSentinel),
          surface{h, w, color.data(), cs, depth.data(), gs, alpha.data(), gs, 0, 0, 0} {
        surface.Clear(kBackground, 255);
    }
    // Byte x of image row y (0 = top): rows are stored bottom-up.
    size_t At(int stride, int x, int y) const {
        return static_cast<size_t>(height - 1 - y) * stride + x;
    }

    int width, height, cs, gs;
    std::vector<BYTE> color, depth, alpha;
    CSpriteSurface surface;
};

struct Px {
    int x, y, color, depth, alpha;  // color: palette index
};

void ExpectPlanes(const Planes& p, const std::vector<Px>& drawn) {
    using Five = std::array<int, 5>;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            Px want{x, y, -1, 255, 0};
            for (const Px& d : drawn) {
                if (d.x == x && d.y == y) want = d;
            }
            const Rgb rgb = want.color < 0
                                ? Rgb{kBackground.rgbRed, kBackground.rgbGreen, kBackground.rgbBlue}
                                : TestColor(want.color);
            const size_t c = p.At(p.cs, 3 * x, y), g = p.At(p.gs, x, y);
            EXPECT_EQ((Five{p.color[c], p.color[c + 1], p.color[c + 2], p.depth[g], p.alpha[g]}),
                      (Five{rgb.b, rgb.g, rgb.r, want.depth, want.alpha}))
                << "blue, green, red, depth, alpha at " << x << "," << y;
        }
        // Bytes past each row's pixels stay as they were.
        const auto pad = [&](const std::vector<BYTE>& v, int stride, int used) {
            return Bytes(v.begin() + p.At(stride, used, y), v.begin() + p.At(stride, stride, y));
        };
        EXPECT_EQ(pad(p.color, p.cs, 3 * p.width), Bytes(5, kSentinel));
        EXPECT_EQ(pad(p.depth, p.gs, p.width), Bytes(3, kSentinel));
        EXPECT_EQ(pad(p.alpha, p.gs, p.width), Bytes(3, kSentinel));
    }
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadChunks(iff, {PaltChunk(kPalette, TestPalette())})); }

    // Bytes past dwDataSize read as opcode 7 or as pixels, so any read beyond shows.
    BOOL Render(Planes& p, const Bytes& stream, WORD paletteId = kPalette) {
        buffer = stream;
        buffer.insert(buffer.end(), {0xE0, 0xE0, 0xE0, 0xE0});
        Spr2FrameInfo frame{static_cast<WORD>(p.width),
                            static_cast<WORD>(p.height),
                            0,
                            paletteId,
                            0,
                            0,
                            0,
                            buffer.data(),
                            static_cast<DWORD>(stream.size())};
        return RenderSpr2Frame(&iff, frame, p.surface, 0);
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

class RenderStreamTest : public RenderTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(RenderStreamTest, DrawsExactlyTheExpectedPixels) {
    const StreamCase& c = GetParam();
    Planes p(c.w, c.h);
    p.surface.nOriginX = c.originX;
    p.surface.nOriginY = c.originY;
    EXPECT_EQ(Render(p, c.stream), c.result);
    ExpectPlanes(p, c.drawn);
}

using S = Spr2Stream;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Streams, RenderStreamTest, ::testing::Values(
    StreamCase{"TwoByOne", 2, 1, {0x00, 0x00, 0x02, 0x20, 0x0A, 0x05, 0x14, 0x07, 0x00, 0xA0}, TRUE,
               {{0, 0, 5, 10, 255}, {1, 0, 7, 20, 255}}},
    StreamCase{"RunsBeforeFirstRowOnlyConsumed", 2, 1,
               S().ColorRun({9, 9, 9}).DepthRun({{1, 9}}).SkipPixels(5).StartRow().ColorRun({4}),
               TRUE, {{0, 0, 4, 255, 255}}},
    StreamCase{"OddColorRunPadded", 4, 1, S().StartRow().ColorRun({1, 2, 3}).ColorRun({4}).End(),
               TRUE, {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}, {2, 0, 3, 255, 255},
                      {3, 0, 4, 255, 255}}},
    StreamCase{"BlendRunOfThreePadded", 4, 1,
               S().StartRow().BlendRun({{5, 1, 0}, {5, 2, 0}, {5, 3, 0}}).DepthRun({{6, 4}}),
               TRUE, {{0, 0, 1, 5, 0}, {1, 0, 2, 5, 0}, {2, 0, 3, 5, 0}, {3, 0, 4, 6, 255}}},
    StreamCase{"StartRowPastLastRowEnds", 1, 1,
               S().StartRow().ColorRun({3}).StartRow().Command(7, 0), TRUE, {{0, 0, 3, 255, 255}}},
    StreamCase{"SkipRowsThenRunDrawsOnLastRowEntered", 2, 3,
               S().SkipRows(2).ColorRun({4, 5}).End(), TRUE,
               {{0, 1, 4, 255, 255}, {1, 1, 5, 255, 255}}},
    StreamCase{"SkipRowsZeroBeforeAnyRowEnds", 1, 1, S().SkipRows(0).StartRow().ColorRun({3}),
               TRUE, {}},
    StreamCase{"SkipRowsPastBottomEnds", 1, 2, S().SkipRows(3).ColorRun({3}), TRUE, {}},
    StreamCase{"ClippedRightThenParsingGoesOn", 3, 2,
               S().StartRow().SkipPixels(2).DepthRun({{1, 1}, {2, 2}, {3, 3}})
                   .StartRow().ColorRun({6}),
               TRUE, {{2, 0, 1, 1, 255}, {0, 1, 6, 255, 255}}},
    StreamCase{"ClippedLeft", 2, 1, S().StartRow().ColorRun({1, 2, 3, 4}), TRUE,
               {{0, 0, 3, 255, 255}, {1, 0, 4, 255, 255}}, -2},
    StreamCase{"RowsAboveTheTopAreNotDrawn", 1, 1,
               S().StartRow().ColorRun({1}).StartRow().ColorRun({2}), TRUE,
               {{0, 0, 2, 255, 255}}, 0, -1},
    StreamCase{"Opcode7FailsKeepingWhatWasDrawn", 2, 1,
               S().StartRow().ColorRun({1}).Command(7, 0x1FFF).ColorRun({2}), FALSE,
               {{0, 0, 1, 255, 255}}},
    StreamCase{"NoEndStopsAtDataSize", 2, 1, S().StartRow().ColorRun({1}), TRUE,
               {{0, 0, 1, 255, 255}}},
    StreamCase{"CommandWordCut", 2, 1, S().StartRow().ColorRun({1, 2}).Raw({0x00}), TRUE,
               {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}}},
    StreamCase{"PayloadCutMidRun", 3, 1, S().StartRow().Command(1, 3).Raw({10, 1, 11, 2, 12}), TRUE,
               {{0, 0, 1, 10, 255}, {1, 0, 2, 11, 255}}},
    StreamCase{"PaddingPastTheEnd", 1, 1, S().StartRow().Command(6, 1).Raw({5}), TRUE,
               {{0, 0, 5, 255, 255}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(RenderTest, DepthTestBetweenFramesAndBias) {
    Planes p(4, 1);
    ASSERT_TRUE(Render(p, S().StartRow().DepthRun({{50, 1}, {50, 1}, {50, 1}, {250, 1}})));
    // Equal depth draws, greater does not.
    ASSERT_TRUE(Render(p, S().StartRow().DepthRun({{49, 2}, {50, 3}, {51, 4}})));
    p.surface.nDepthBias = -20;  // clamped at 0
    ASSERT_TRUE(Render(p, S().StartRow().SkipPixels(3).DepthRun({{5, 5}})));
    ExpectPlanes(p,
                 {{0, 0, 2, 49, 255}, {1, 0, 3, 50, 255}, {2, 0, 1, 50, 255}, {3, 0, 5, 0, 255}});

    Planes q(2, 1);
    q.surface.nDepthBias = 10;
    ASSERT_TRUE(Render(q, S().StartRow().DepthRun({{246, 1}, {245, 2}})));
    ExpectPlanes(q, {{1, 0, 2, 255, 255}});
}

struct BlendCase {
    int weight, oldAlpha;
    BYTE red, green, blue, alpha;
};

class RenderBlendTest : public RenderTest, public ::testing::WithParamInterface<BlendCase> {};

// Palette red 200, green 50, blue 100 over a surface of 100, 100, 100.
TEST_P(RenderBlendTest, ExactBytes) {
    const BlendCase& c = GetParam();
    PaltSpec pal;
    pal.colors = {Rgb{0, 0, 0}, Rgb{200, 50, 100}};
    ASSERT_TRUE(LoadChunks(iff, {PaltChunk(kPalette, pal)}));
    Planes p(1, 1);
    p.surface.Clear(RGBQUAD{100, 100, 100, 0}, 255);
    p.alpha[0] = static_cast<BYTE>(c.oldAlpha);
    ASSERT_TRUE(Render(p, S().StartRow().BlendRun({{7, 1, static_cast<BYTE>(c.weight)}})));
    EXPECT_EQ(p.color[2], c.red);
    EXPECT_EQ(p.color[1], c.green);
    EXPECT_EQ(p.color[0], c.blue);
    EXPECT_EQ(p.alpha[0], c.alpha);
    EXPECT_EQ(p.depth[0], 7);
}

INSTANTIATE_TEST_SUITE_P(
    Weights, RenderBlendTest,
    ::testing::Values(BlendCase{0, 0, 200, 50, 100, 0}, BlendCase{1, 0, 199, 50, 100, 0},
                      BlendCase{1, 255, 199, 50, 100, 1}, BlendCase{128, 0, 149, 75, 100, 63},
                      BlendCase{128, 255, 149, 75, 100, 191}, BlendCase{254, 0, 100, 99, 100, 0},
                      BlendCase{255, 0, 99, 100, 100, 0}, BlendCase{255, 255, 99, 100, 100, 255}));

TEST_F(RenderTest, RefusesUnusableSurfacesAndMissingPalettes) {
    const Bytes stream = S().StartRow().ColorRun({1}).End();
    Planes p(1, 1);
    EXPECT_FALSE(Render(p, stream, 2));  // neither the frame's palette nor the fallback 0

    for (int which = 0; which < 4; ++which) {
        Planes q(1, 1);
        if (which == 0) q.surface.nWidth = 0;
        if (which == 1) q.surface.nHeight = 0;
        if (which == 2) q.surface.pColorBits = nullptr;
        if (which == 3) q.surface.pDepthBits = nullptr;
        EXPECT_FALSE(Render(q, stream)) << which;
    }

    Planes noAlpha(1, 1);
    noAlpha.surface.pAlphaBits = nullptr;
    EXPECT_TRUE(Render(noAlpha, stream));
    EXPECT_EQ(noAlpha.color[2], TestColor(1).r);
}

// Grids through the encoder and back through the renderer, in every encoding.
class RenderGridTest : public RenderTest, public ::testing::WithParamInterface<GridEncoding> {};

TEST_P(RenderGridTest, GridComesBack) {
    Spr2Grid g(9, 6);
    std::vector<Px> want;
    for (int y = 0; y < 6; ++y) {
        if (y == 0 || y == 3 || y == 4) continue;  // empty rows, leading ones too
        for (int x = 0; x < 9; ++x) {
            if ((x + y) % 4 == 0) continue;  // gaps inside rows
            const int color = (x * 31 + y * 7) % 256;
            const int depth = x < 4 ? -1 : 10 * x + y;
            g.Set(x, y, color, depth);
            want.push_back({x, y, color, depth < 0 ? 255 : depth, 255});
        }
    }
    Planes p(9, 6);
    ASSERT_TRUE(Render(p, EncodeGrid(g, GetParam())));
    ExpectPlanes(p, want);
}

INSTANTIATE_TEST_SUITE_P(Encodings, RenderGridTest,
                         ::testing::Values(GridEncoding{true, true}, GridEncoding{false, true},
                                           GridEncoding{true, false}, GridEncoding{false, false}));

}  // namespace
