// Sprites: the codec and the resource object around it, the renderer checked byte for byte
// in all three planes, the palette lookup, and the bitmaps and single pixels the renderer
// gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <tuple>

#include "base/byte_order.h"
#include "builders/spr2_builder.h"
#include "iff/iff_types.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"
#include "sprites/palette.h"
#include "sprites/palette_patch.h"
#include "sprites/render.h"
#include "sprites/spr2.h"

using namespace builders;
using S = Spr2Stream;

namespace {

// Frames that differ in every field, with streams of odd and even lengths.
Spr2FrameSpec Frame(int i) {
    Bytes stream = S().StartRow().ColorRun(Bytes(i + 1, BYTE(i))).End();
    if (i % 3 == 1) stream.push_back(0x5C);  // an odd tail is carried through as it is
    return {WORD(i + 1),      2,     0x01020304u + i, WORD(200 + i), WORD(3 * i), WORD(0xF000 + i),
            WORD(0x0A0B + i), stream};
}

Spr2Spec Sprite(int nFrames) {
    Spr2Spec s{1000, 0x00010203};
    for (int i = 0; i < nFrames; ++i) s.frames.push_back(Frame(i));
    return s;
}

class Spr2Test : public ::testing::Test {
protected:
    BOOL Attach(const Bytes& data, bool forReading = false) {
        EXPECT_TRUE(LoadChunks(iff, {{"SPR2", 100, 0x10, "", data}}) &&
                    iff.FindChunk(&chunk, IFF_TYPE_SPR2, 100));
        if (!chunk) return FALSE;
        return forReading ? sprite.AttachForReading(&iff, chunk) : sprite.Attach(&iff, chunk);
    }
    Bytes Data() const {
        return Bytes(chunk->m_pData.get(), chunk->m_pData.get() + chunk->m_dwSize);
    }

    CIffFile iff;
    CSpr2 sprite;
    CIffChunk* chunk = nullptr;
};

// Also when attached for reading: the frames then point into the very chunk data that
// the rewrite moves them around in.
TEST_F(Spr2Test, DecodesAnyLayoutWritesTheCanonicalOne) {
    // Frames; where the first one starts in the bytes read, and where it must be written.
    // clang-format off
    for (const auto& [n, read, written] : {std::tuple{0, 64u, 64u}, {13, 64u, 64u},
             {14, 128u, 128u}, {3, 30u, 64u}, {14, 80u, 128u}}) {
        for (const bool forReading : {false, true}) {
            // clang-format on
            Spr2Spec s = Sprite(n);
            s.firstFrameOffset = read;
            ASSERT_TRUE(Attach(BuildSpr2(s), forReading));
            ASSERT_EQ(sprite.GetFrameCount(), n);
            Spr2FrameInfo f{};
            EXPECT_EQ(sprite.GetFrameInfo(&f, n - 1) && !sprite.GetFrameInfo(&f, n), n > 0);
            if (n > 0) {
                EXPECT_EQ(f.pData >= chunk->m_pData.get() &&
                              f.pData < chunk->m_pData.get() + chunk->m_dwSize,
                          forReading);
            }
            // Records written back as read: the table padded with 0xA3 up to a multiple of 64,
            // then the frames without gaps.
            ASSERT_TRUE(sprite.Update());
            s.firstFrameOffset = written;
            EXPECT_EQ(Data(), BuildSpr2(s)) << n << " frames, for reading " << forReading;
        }
    }
}

// Each damage, done to a sprite of three frames (table entry i at 12 + 4i), with the number
// of frames read before the refusal.
TEST_F(Spr2Test, DamagedSpritesAreRefused) {
    const std::vector<std::pair<void (*)(Bytes&), size_t>> damages = {
        {[](Bytes& b) { b.clear(); }, 0},
        {[](Bytes& b) { b.resize(8); }, 0},                               // no palette word
        {[](Bytes& b) { b[0] = 0xE9; }, 0},                               // version 1001
        {[](Bytes& b) { StoreLE32(&b[4], DWORD(b.size() / 4)); }, 0},     // table beyond the data
        {[](Bytes& b) { StoreLE32(&b[4], 0x7FFFFFFF); }, 0},              // 4 x count overflows
        {[](Bytes& b) { StoreLE32(&b[16], DWORD(b.size())); }, 0},        // entry at the data size
        {[](Bytes& b) { StoreLE32(&b[20], LoadLE32(&b[16]) + 16); }, 1},  // empty stream
        {[](Bytes& b) { StoreLE32(&b[20], DWORD(b.size() - 4)); }, 2}};   // last header cut
    for (size_t i = 0; i < damages.size(); ++i) {
        Bytes data = BuildSpr2(Sprite(3));
        damages[i].first(data);
        EXPECT_FALSE(Attach(data)) << "damage " << i;
        EXPECT_EQ(sprite.m_frames.size(), damages[i].second) << "damage " << i;
    }
}

TEST_F(Spr2Test, NegativeCountDecodesToNoFrames) {
    Bytes data = BuildSpr2(Sprite(2));
    StoreLE32(&data[4], 0xFFFFFFFF);
    ASSERT_TRUE(Attach(data) && sprite.Update());
    EXPECT_EQ(Data(), BuildSpr2(Sprite(0)));
}

TEST_F(Spr2Test, EditsReachOnlyPalettesFlagsAndKeptFields) {
    ASSERT_TRUE(Attach(BuildSpr2(Sprite(3))));
    BYTE other[4] = {};
    const Spr2FrameInfo edit{999, 999, 0xCAFEF00D, 41891, 1, 2, 3, other, 4};
    ASSERT_TRUE(sprite.SetFrameInfo(&edit, 1));
    EXPECT_FALSE(sprite.SetFrameInfo(&edit, 3) || sprite.SetFrameInfo(&edit, -1));
    sprite.SetPaletteId(INVALID_PALETTE_ID);
    ASSERT_TRUE(sprite.Update());
    Spr2Spec want = Sprite(3);
    want.paletteId = INVALID_PALETTE_ID;  // the upper half cleared
    want.frames[1] = {2, 2, 0xCAFEF00D, 41891, 1, 2, 3, Frame(1).stream};
    EXPECT_EQ(Data(), BuildSpr2(want));

    // A frame without pixels cannot be written: the chunk stays as it was.
    sprite.m_frames[0].pData = nullptr;
    EXPECT_FALSE(sprite.Update());
    EXPECT_EQ(Data(), BuildSpr2(want));
}

// What tells a batch that a file's bytes changed without reading the file again.
TEST(PalettePatch, CountsTheFramesWhoseIdChanged) {
    Spr2Spec patched = Sprite(2);
    for (Spr2FrameSpec& f : patched.frames) f.paletteId = INVALID_PALETTE_ID;
    CIffFile iff;
    ASSERT_TRUE(LoadChunks(iff, {Spr2Chunk(1, Sprite(3)), Spr2Chunk(2, patched)}));
    CSpr2 sprite;
    PalettePatchResult r = PatchAllFramePalettes(iff, sprite, INVALID_PALETTE_ID, nullptr);
    EXPECT_EQ(std::tie(r.nSprites, r.nFrames, r.nChanged), std::make_tuple(2, 5, 3));
    r = PatchAllFramePalettes(iff, sprite, INVALID_PALETTE_ID, nullptr);
    EXPECT_EQ(std::tie(r.nFrames, r.nChanged), std::make_tuple(5, 0));
}

TEST_F(Spr2Test, BindingAndCopies) {
    CSpr2 fresh;
    EXPECT_FALSE(fresh.Update());  // never attached

    ASSERT_TRUE(Attach(BuildSpr2(Sprite(2))));
    chunk->m_dwPos = 7;  // Attach decodes from the first byte whatever the cursor was
    EXPECT_TRUE(sprite.Attach(&iff, chunk));

    // Letting go of the container the way the dialog does, by copying an unbound resource: a
    // chunk of its own with the header, cursor and bytes as they were, and the container's
    // chunk left alone.
    CIffResource unbound;
    std::tie(unbound.m_pChunk->m_dwType, unbound.m_pChunk->m_wID, unbound.m_pChunk->m_strName) =
        std::make_tuple(IFF_TYPE_SPR2, 7, "n");
    unbound.m_pChunk->Write("abcde", 5);
    unbound.m_pChunk->m_dwPos = 3;
    const auto state = [](const CIffChunk& c) {
        return std::make_tuple(c.m_dwType, c.m_wID, c.m_strName, c.m_dwPos,
                               Bytes(c.m_pData.get(), c.m_pData.get() + c.m_dwSize));
    };
    const auto before = state(*unbound.m_pChunk);
    sprite.Copy(unbound);
    ASSERT_TRUE(sprite.m_pChunk != unbound.m_pChunk && sprite.m_pChunk != chunk);
    EXPECT_EQ(state(*sprite.m_pChunk), before);
    EXPECT_TRUE(sprite.m_bOwnsChunk && !sprite.Update());  // unbound: writes nowhere
    sprite.m_pChunk->Write("x", 1);
    EXPECT_EQ(state(*unbound.m_pChunk), before);
    EXPECT_EQ(Data(), BuildSpr2(Sprite(2)));
}

constexpr RGBQUAD kBackground{90, 110, 100, 0};  // blue, green, red

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
    std::array<Bytes, 3> mem{Bytes(size_t(h) * cs, pad), Bytes(size_t(h) * gs, pad),
                             Bytes(size_t(h) * gs, pad)};
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
    for (int i = 0; i < p.w * p.h; ++i) want.Put(i % p.w, i / p.w, Rgb{100, 110, 90}, 255, 0);
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
    Bytes before = {};  // a frame drawn first
};

class RenderStream : public RenderTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(RenderStream, DrawsExactlyTheseBytes) {
    const StreamCase& c = GetParam();
    Planes p = Canvas(c.w, c.h);
    CSpriteSurface s = p.Surface();
    std::tie(s.nOriginX, s.nOriginY) = std::make_pair(c.originX, c.originY);
    ASSERT_TRUE(c.before.empty() || Render(s, c.before));
    EXPECT_EQ(Render(s, c.stream), c.result);
    EXPECT_EQ(p.mem, Drawn(p, c.drawn));
    const Spr2FrameInfo frame{0, 0, 0, 1, 0, 0, 0, buffer.data(), DWORD(c.stream.size())};
    EXPECT_EQ(IsSpr2StreamAccepted(frame, c.h, c.originY), c.result);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Streams, RenderStream, ::testing::Values(
    StreamCase{"TwoByOne", 2, 1, {0x00, 0x00, 0x02, 0x20, 0x0A, 0x05, 0x14, 0x07, 0x00, 0xA0}, TRUE,
               {{0, 0, 5, 10, 255}, {1, 0, 7, 20, 255}}},
    StreamCase{"RunsBeforeFirstRowOnlyConsumed", 2, 1, S().ColorRun({9, 9, 9}).DepthRun({{1, 9}})
               .SkipPixels(5).StartRow().ColorRun({4}), TRUE, {{0, 0, 4, 255, 255}}},
    // Odd payloads of opcodes 6 and 2 (three pixels of three bytes) are padded; a run right
    // after SKIP_ROWS goes to the last row it entered.
    StreamCase{"OddPayloadsPaddedSkipRowsThenRun", 4, 3, S().StartRow().ColorRun({1, 2, 3})
               .ColorRun({4}).SkipRows(2).BlendRun({{5, 1, 0}, {5, 2, 0}, {5, 3, 0}})
               .DepthRun({{6, 4}}), TRUE,
               {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}, {2, 0, 3, 255, 255}, {3, 0, 4, 255, 255},
                {0, 2, 1, 5, 0}, {1, 2, 2, 5, 0}, {2, 2, 3, 5, 0}, {3, 2, 4, 6, 255}}},
    StreamCase{"StartRowPastLastRowEnds", 1, 1,
               S().StartRow().ColorRun({3}).StartRow().Command(7, 0), TRUE, {{0, 0, 3, 255, 255}}},
    StreamCase{"SkipRowsZeroFirstEnds", 1, 1, S().SkipRows(0).StartRow().ColorRun({3}), TRUE, {}},
    StreamCase{"SkipRowsPastBottomEnds", 1, 2, S().SkipRows(3).Command(7, 0), TRUE, {}},
    // Nothing is drawn left of column 0, right of the last one or in rows above the top, and
    // parsing goes on.
    StreamCase{"Clipping", 2, 2, S().StartRow().ColorRun({1}).StartRow()
               .DepthRun({{1, 1}, {2, 2}, {3, 3}, {4, 4}}).StartRow().ColorRun({5, 6}), TRUE,
               {{0, 0, 2, 2, 255}, {1, 0, 3, 3, 255}, {0, 1, 6, 255, 255}}, -1, -1},
    StreamCase{"Opcode7FailsKeepingWhatWasDrawn", 2, 1, S().StartRow().ColorRun({1})
               .Command(7, 0x1FFF).ColorRun({2}), FALSE, {{0, 0, 1, 255, 255}}},
    StreamCase{"CommandWordCut", 2, 1, S().StartRow().ColorRun({1, 2}).Raw({0x00}), TRUE,
               {{0, 0, 1, 255, 255}, {1, 0, 2, 255, 255}}},
    StreamCase{"PayloadCutMidRun", 3, 1, S().StartRow().Command(1, 3).Raw({10, 1, 11, 2, 12}), TRUE,
               {{0, 0, 1, 10, 255}, {1, 0, 2, 11, 255}}},
    StreamCase{"PaddingPastTheEnd", 1, 1, S().StartRow().Command(6, 1).Raw({5}), TRUE,
               {{0, 0, 5, 255, 255}}},
    // Only a depth greater than the one there is hidden.
    StreamCase{"DepthTestAcrossFrames", 4, 1, S().StartRow().DepthRun({{49, 2}, {50, 3}, {51, 4}}),
               TRUE, {{0, 0, 2, 49, 255}, {1, 0, 3, 50, 255}, {2, 0, 1, 50, 255}, {3, 0, 1, 250, 255}},
               0, 0, S().StartRow().DepthRun({{50, 1}, {50, 1}, {50, 1}, {250, 1}})}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Many streams checked side by side answer as each checked alone: random ones of every
// command, cut anywhere, on every height and origin row, lanes ending at different times.
TEST(StreamCheck, ManyAtOnceAnswerAsOneByOne) {
    std::mt19937 rng(5);
    std::vector<Bytes> streams(3000);
    std::vector<Spr2FrameInfo> frames;
    std::vector<Spr2StreamQuery> queries;
    for (size_t i = 0; i < streams.size(); ++i) {
        Bytes& s = streams[i];
        s.resize(rng() % (i % 10 ? 40 : 400));
        // Small bytes, and command words of every kind at the even offsets now and then.
        for (size_t k = 0; k < s.size(); ++k)
            s[k] = k % 2 && rng() % 2 ? BYTE((rng() % 8) << 5) : BYTE(rng() % 4 ? rng() % 8 : rng());
        frames.push_back({1, 1, 0, 1, 0, 0, 0, s.empty() ? nullptr : s.data(), DWORD(s.size())});
    }
    for (const Spr2FrameInfo& f : frames)
        queries.push_back({&f, int(rng() % 5), int(rng() % 7) - 3, 2});  // height, origin row
    AreSpr2StreamsAccepted(queries.data(), queries.size());
    int refused = 0;
    for (const Spr2StreamQuery& q : queries) {
        ASSERT_EQ(q.bAccepted, IsSpr2StreamAccepted(*q.pFrame, q.nHeight, q.nOriginY));
        refused += !q.bAccepted && q.nHeight > 0;
    }
    EXPECT_GT(refused, 100);  // the unknown command reached often enough to mean something
}

// Weight and the alpha byte before; blue, green, red, alpha and depth after. TestColor(200)
// is red 200, green 55, blue 123 (the background red 100, green 110, blue 90).
TEST_F(RenderTest, BlendExactBytes) {
    // clang-format off
    for (const auto& [weight, oldAlpha, want] : {std::tuple{0, 0, Bytes{123, 55, 200, 0, 7}},
             {128, 0, {106, 82, 149, 63, 7}}, {128, 255, {106, 82, 149, 191, 7}},
             {255, 0, {89, 110, 99, 0, 7}}}) {
        // clang-format on
        Planes p = Canvas(1, 1);
        p.mem[2][0] = BYTE(oldAlpha);
        ASSERT_TRUE(Render(p.Surface(), S().StartRow().BlendRun({{7, 200, BYTE(weight)}})));
        EXPECT_EQ((Bytes{p.mem[0][0], p.mem[0][1], p.mem[0][2], p.mem[2][0], p.mem[1][0]}), want)
            << "weight " << weight;
    }
}

ChunkSpec Palt(WORD id, DWORD version, DWORD colors, size_t size) {
    return PaltChunk(id, {version, colors, TestPalette().colors, size});
}

// Which palette draws a frame, its own or (only when its own is missing) the common one,
// and why one cannot be used; drawing finds that chunk only when it is usable. 41891 is an
// ordinary ID here.
TEST(Palettes, FrameFirstFallbackOnlyWhenMissingWithTheReason) {
    const WORD big = INVALID_PALETTE_ID;
    CIffFile iff;
    ASSERT_TRUE(LoadChunks(iff, {PaltChunk(1, TestPalette()), Palt(big, 1, 256, 1000),
                                 Palt(2, 3, 256, 784), Palt(3, 0, 256, 784), Palt(4, 1, 16, 784),
                                 Palt(5, 1, 255, 784), Palt(7, 1, 256, 783), Palt(8, 1, 256, 4)}));
    struct Case {
        WORD own, common;
        int chosen;
        bool fallback;
        PaletteFault fault;
        DWORD value;  // the version, colour count or size the fault is about
    };
    using F = PaletteFault;
    // clang-format off
    for (const Case& c : std::vector<Case>{
             {big, 2, big, false, F::None, 0},        {9, 1, 1, true, F::None, 0},
             {9, 10, -1, false, F::Unreadable, 0},    {2, 1, 2, false, F::Version, 3},
             {9, 3, 3, true, F::Version, 0},          {4, 1, 4, false, F::ColorCount, 16},
             {9, 5, 5, true, F::ColorCount, 255},     {7, 1, 7, false, F::Length, 783},
             {8, 1, 8, false, F::Length, 4}}) {
        // clang-format on
        SCOPED_TRACE(testing::Message() << c.own << " then " << c.common);
        const PaletteChoice got = ChoosePalette(&iff, c.own, c.common);
        const DWORD value = c.fault == F::Version      ? got.check.dwVersion
                            : c.fault == F::ColorCount ? got.check.dwColors
                            : c.fault == F::Length     ? got.check.dwSize
                                                       : 0;
        EXPECT_EQ(std::make_tuple(got.pChunk ? got.pChunk->m_wID : -1, got.bFallback, value),
                  std::make_tuple(c.chosen, c.fallback, c.value));
        EXPECT_EQ(got.check.fault, c.fault);
        EXPECT_EQ(FindPalette(&iff, c.own, c.common), c.fault == F::None ? got.pChunk : nullptr);
    }
}

// Sprite 100 attached in a file with palette 1 (usable) and palette 2 (unusable).
bool AttachWithTwoPalettes(CIffFile& iff, CSpr2& sprite, const Spr2Spec& s) {
    CIffChunk* chunk = nullptr;
    return LoadChunks(iff,
                      {PaltChunk(1, TestPalette()), Palt(2, 1, 256, 700), Spr2Chunk(100, s)}) &&
           iff.FindChunk(&chunk, IFF_TYPE_SPR2, 100) && sprite.Attach(&iff, chunk);
}

// Sprite 100, palette 1 in the low half of its field: a 5 x 3 frame whose own palette is
// missing; frames that are not there.
TEST(FrameBitmaps, RowsPaddedTopRowLast) {
    Spr2Spec s;
    s.paletteId = 0x5A5A0001;
    S grid;
    grid.StartRow().DepthRun({{40, 1}, {40, 2}, {40, 3}, {40, 4}, {40, 5}});
    grid.SkipRows(2).SkipPixels(2).ColorRun({9});
    s.frames = {{5, 3, 0, 9, 0, 0, 0, grid}};
    CIffFile iff;
    CSpr2 sprite;
    ASSERT_TRUE(AttachWithTwoPalettes(iff, sprite, s));
    CBitmap bmp[3];  // colour, depth, alpha
    const auto build = [&](int frame) {
        return sprite.BuildFrameBitmaps(&iff, frame, &bmp[0], &bmp[1], &bmp[2], kBackground, 0, 0,
                                        0);
    };
    EXPECT_FALSE(build(-1) || build(1));
    ASSERT_TRUE(build(0));
    Planes got{5, 3, 16, 8, 0};
    for (int i = 0; i < 3; ++i) {
        BITMAP bm{};
        ASSERT_TRUE(bmp[i].GetBitmap(&bm) && bm.bmWidth == 5 && bm.bmHeight == 3);
        ASSERT_EQ(bm.bmWidthBytes, i ? 8 : 16);
        ASSERT_EQ(bm.bmBitsPixel, i ? 8 : 24);
        got.mem[i].assign(static_cast<BYTE*>(bm.bmBits),
                          static_cast<BYTE*>(bm.bmBits) + got.mem[i].size());
    }
    std::vector<Px> drawn = {{2, 2, 9, 255, 255}};  // and the top row's depth run
    for (int x = 0; x < 5; ++x) drawn.push_back({x, 0, x + 1, 40, 255});
    EXPECT_EQ(got.mem, Drawn(got, drawn));
    EXPECT_EQ(AsBitmap(bmp[2])->colors.at(200).rgbGreen, 200);  // a grey table
}

// Told without drawing, on every cut (a stream is never empty) and every damaged byte (opcode
// bits flipped in command words) of a stream that uses every command, on frames of several
// heights, from several origin rows, and on frames refused before any pixel: whether a frame
// is drawn (a refused one leaves no bitmap), and each pixel's index, depth and alpha as
// drawing leaves it.
TEST(FrameBitmaps, DrawableAndProbedWithoutDrawingAnswerAsDrawingDoes) {
    // clang-format off
    const Bytes whole = S()
        .StartRow().DepthRun({{40, 1}, {40, 2}, {200, 3}}).SkipPixels(1).BlendRun({{9, 3, 128}})
        .StartRow().ColorRun({4, 5}).SkipRows(1).SkipPixels(2).BlendRun({{50, 6, 0}, {50, 7, 255}})
        .StartRow().DepthRun({{10, 8}, {20, 9}}).End();
    // clang-format on
    std::vector<Bytes> streams;
    for (size_t n = 1; n <= whole.size(); ++n)
        streams.emplace_back(whole.begin(), whole.begin() + n);
    for (size_t i = 0; i < whole.size(); ++i) {
        streams.push_back(whole);
        streams.back()[i] ^= 0xE0;
    }
    Spr2Spec s{1000, 1, {}};
    for (const Bytes& stream : streams)
        for (WORD height : {1, 2, 4, 5}) s.frames.push_back({5, height, 0, 1, 0, 0, 0, stream});
    s.frames.push_back({5, 2, 0, 2, 0, 0, 0, whole});  // an unusable palette
    s.frames.push_back({0, 2, 0, 1, 0, 0, 0, whole});
    s.frames.push_back({5461, 16385, 0, 1, 0, 0, 0, whole});  // a row beyond 256 MiB
    EXPECT_TRUE(IsFrameSizeDrawable(5461, 16384));            // exactly 256 MiB of rows is fine
    CIffFile iff;
    CSpr2 sprite;
    ASSERT_TRUE(AttachWithTwoPalettes(iff, sprite, s));
    std::array<int, 2> outcomes{};
    Spr2Pixel px{};
    const size_t live = GetLiveBitmapCount();
    for (int frame = 0; frame < sprite.GetFrameCount(); ++frame) {
        Spr2FrameInfo info{};
        ASSERT_TRUE(sprite.GetFrameInfo(&info, frame));
        const bool hasPalette = FindPalette(&iff, info.wPaletteId, sprite.GetPaletteId());
        for (int originY : {-1, 0, 2}) {
            SCOPED_TRACE(testing::Message() << "frame " << frame << " from row " << originY);
            CBitmap bmp[3];
            const BOOL drawn = sprite.BuildFrameBitmaps(&iff, frame, &bmp[0], &bmp[1], &bmp[2],
                                                        kBackground, 0, originY, 0);
            EXPECT_EQ(sprite.IsFrameDrawable(frame, hasPalette, originY), drawn);
            EXPECT_TRUE(drawn || (bmp[0].IsEmpty() && bmp[1].IsEmpty() && bmp[2].IsEmpty()));
            ++outcomes[drawn ? 1 : 0];
            if (originY != 0) continue;  // the probe is from row 0
            EXPECT_TRUE(drawn || !sprite.ProbeFramePixel(&iff, frame, 0, 0, &px));
            for (int y = -1; drawn && y <= info.wHeight; ++y)
                for (int x = -1; x <= info.wWidth; ++x) {
                    const bool inside = x >= 0 && x < info.wWidth && y >= 0 && y < info.wHeight;
                    ASSERT_EQ(sprite.ProbeFramePixel(&iff, frame, x, y, &px), inside)
                        << x << "," << y;
                    if (!inside) continue;
                    EXPECT_EQ(px.bDepth, GetRValue(GetBitmapPixel(bmp[1], x, y))) << x << "," << y;
                    EXPECT_EQ(px.bAlpha, GetRValue(GetBitmapPixel(bmp[2], x, y))) << x << "," << y;
                    const Rgb c = px.bDrawn ? TestColor(px.bIndex) : Rgb{100, 110, 90};
                    if (px.bAlpha == 255 || !px.bDrawn) {
                        EXPECT_EQ(GetBitmapPixel(bmp[0], x, y), RGB(c.r, c.g, c.b))
                            << x << "," << y;
                    }
                }
        }
    }
    EXPECT_GT(std::min(outcomes[0], outcomes[1]), 20);
    EXPECT_FALSE(sprite.ProbeFramePixel(&iff, sprite.GetFrameCount(), 0, 0, &px));
    EXPECT_EQ(GetLiveBitmapCount(), live);  // nothing left behind by a refusal
}

}  // namespace
